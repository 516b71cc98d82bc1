// flowcfg-cli groups, get, set and do against the simulated meter on an in-process line.

#include "SimLine.h"
#include "cli/Commands.h"
#include "cli/RunCli.h"
#include "tests/config/TestPages.h"
#include "tests/link/LinkFixture.h"

#include <gtest/gtest.h>
#include <sstream>

namespace flowcfg::test {
namespace {

class ConfigCommandTest : public ::testing::Test {
protected:
    ConfigCommandTest() {
        auto line = devices.add("/dev/sim");
        line->clock = &clock;
        attachMeter(*line, slave, clock);
    }

    int run(std::vector<std::string> args, const AddCommands& commands = addConfigCommands) {
        out.str({});
        err.str({});
        args.insert(args.begin(),
                    {"flowcfg-cli", "--dir", dir.path().string(), "--port", "/dev/sim"});
        std::vector<const char*> argv;
        for (const auto& a : args)
            argv.push_back(a.c_str());
        Session session(out, err, in, devices, pump, clock);
        return runCli(static_cast<int>(argv.size()), argv.data(), session, commands);
    }
    sim::Meter& meter() { return slave.meter(); }

    TempDir dir;
    FakeClock clock;
    FakeEventPump pump{clock};
    FakeSerialDevices devices;
    sim::MeterSlave slave;
    std::ostringstream out, err;
    std::istringstream in;
};

TEST_F(ConfigCommandTest, GroupsListsEveryButtonPairWithItsFields) {
    ASSERT_EQ(run({"groups"}), 0);
    const std::string text = out.str();
    for (const char* name : {"measurement\t", "cutoff\t", "output1-mode\t", "output1-frequency\t",
                             "output1-pulse\t", "output2-mode\t", "output2-frequency\t",
                             "output2-pulse\t", "current-scale\t", "current-direct\t"})
        EXPECT_NE(text.find(name), std::string::npos) << name;
    EXPECT_NE(text.find("  i_control\t0 \"Обычн.работа\", 2 \"Задаем ток\"\n"), std::string::npos);
    EXPECT_NE(text.find("  mediana_val\t1 \"1\", 3 \"3\""), std::string::npos);
    EXPECT_NE(text.find("  line_size_cmp\tread only: taken, but not written to the meter\n"),
              std::string::npos);
}

TEST_F(ConfigCommandTest, GetPrintsWhatTheMeterHolds) {
    meter().setReg(0x1075, 2);
    meter().setReg(0x1086, 1234);
    meter().setFloat(0x1087, 12.5f);
    ASSERT_EQ(run({"get", "current-direct"}), 0) << err.str();
    EXPECT_EQ(out.str(), "i_control = 2 (Задаем ток)\n"
                         "i_ma_direct = 12.5000\n"
                         "code_direct = 1234\n");
    EXPECT_EQ(err.str(),
              "Результат операции: Чтение параметров токового выхода успешно осуществлено.\n");

    // Only what the group's read filled: the module's cut-off values are not among it.
    meter().setFloat(0x101D, 1.5f);
    meter().setFloat(0x101F, 0.25f);
    meter().setReg(0x1036, 0x0005);
    ASSERT_EQ(run({"get", "cutoff"}), 0) << err.str();
    EXPECT_EQ(out.str(), "izm_flow_v_cut_ee = 1.5000\n"
                         "cut_hysteresis = 0.2500\n"
                         "cut_main_meter = 1 (вкл)\n"
                         "cut_main_primary = 0 (выкл)\n"
                         "cut_main_summary =  Прибор\n"
                         "cut_display_meter = 1 (вкл)\n"
                         "cut_display_primary = 0 (выкл)\n"
                         "cut_display_summary =  Прибор\n");
}

// A table comes under its field's line, a row per line, each column right-aligned.
TEST_F(ConfigCommandTest, GetPrintsATableAsATable) {
    ASSERT_EQ(run({"get", "coefficients"}), 0) << err.str();
    EXPECT_EQ(out.str().substr(0, 103), "coefficient_count = 8\n"
                                        "coefficients =\n"
                                        "         Gi        Gv\n"
                                        " 1   0.0500    0.9968\n"
                                        " 2   0.1000    0.9981\n");
    EXPECT_NE(out.str().find("\n20   0.0000    0.0000\n"), std::string::npos) << out.str();
}

TEST_F(ConfigCommandTest, SetChangesOnlyTheNamedFieldsThroughTheWriteSequence) {
    meter().setReg(0x104D, 9000);  // f_max
    meter().setReg(0x104E, 100);   // f_min
    meter().setReg(0x1053, 11000); // error frequency
    ASSERT_EQ(run({"--yes", "set", "output1-frequency", "f_min=200", "f_flow_v_max= 50.5 ",
                   "f_direct_control=Задаем частоту"}),
              0)
        << err.str();
    EXPECT_EQ(meter().reg(0x104D), 9000); // as read
    EXPECT_EQ(meter().reg(0x104E), 200);
    EXPECT_EQ(meter().floatAt(0x104F), 50.5f);
    EXPECT_EQ(meter().reg(0x1053), 11000);
    EXPECT_EQ(meter().reg(0x1054), 1);
    EXPECT_FALSE(meter().unlocked());
    EXPECT_NE(out.str().find("f_min = 200\n"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("Подтвердите действие: Данные конфигурации будут переписаны?."),
              std::string::npos);

    // Lists by code, indicators by 0/1; the meter's cut-off flags are kept where not named.
    meter().setReg(0x1036, 0x0008);
    ASSERT_EQ(run({"--yes", "set", "measurement", "mediana_val=19", "cut_main_meter=1"}), 0)
        << err.str();
    EXPECT_EQ(meter().reg(0x1800), 19);
    EXPECT_EQ(meter().reg(0x1036), 0x0009);
}

// A grid row is named as a whole word or cell by cell; get prints the word with its cells.
TEST_F(ConfigCommandTest, GridRowsAsWordsOrCells) {
    meter().setReg(0x10AE, 0x0009);
    ASSERT_EQ(run({"--yes", "set", "error-enables", "ovld_en=0x0060", "udld_en.current_error1=1",
                   "udld_en.general=0"}),
              0)
        << err.str();
    EXPECT_EQ(meter().reg(0x10AC), 0x0040);
    EXPECT_EQ(meter().reg(0x10AE), 0x0028);
    EXPECT_NE(out.str().find("ovld_en = 0x0040 (current_error2)\n"), std::string::npos)
        << out.str();
    EXPECT_EQ(run({"--yes", "set", "error-enables", "ovld_en.stop=1"}), 1);
    EXPECT_NE(err.str().find("ovld_en has no column \"stop\""), std::string::npos) << err.str();
}

TEST_F(ConfigCommandTest, AGroupThatTakesNoFieldIsWrittenAsRead) {
    meter().setReg(0x0541, 9);
    ASSERT_EQ(run({"--yes", "set", "service-cleaning"}), 0) << err.str();
    EXPECT_EQ(meter().reg(0x0541), 9);
    EXPECT_NE(err.str().find("Запись времени очистки электродов успешно осуществлена."),
              std::string::npos);
    EXPECT_EQ(run({"--yes", "set", "emulation"}), 1); // it has fields to name
}

TEST_F(ConfigCommandTest, SetRefusesWhatThePageWouldRefuse) {
    const std::uint16_t before = meter().reg(0x1056);
    // A bad number: the input boxes, exit 1, nothing written.
    EXPECT_EQ(run({"--yes", "set", "output1-pulse", "flow_v_for_pulse=1,5"}), 1);
    EXPECT_NE(err.str().find("Ошибка ввода: Вводимые данные не получается представить "
                             "плавающим числом.\nСообщение: Запись данных не будет производиться."),
              std::string::npos)
        << err.str();
    EXPECT_EQ(meter().reg(0x1056), before);
    // Without --yes the question is answered No: exit 3.
    EXPECT_EQ(run({"set", "output1-pulse", "flow_v_for_pulse=2"}), 3);
    EXPECT_NE(err.str().find("Ничего не записано.\n"), std::string::npos) << err.str();
    EXPECT_EQ(meter().reg(0x1056), before);
    // Unknown groups, fields, codes and read-only fields are usage errors before any exchange.
    slave.clearServed();
    EXPECT_EQ(run({"get", "nothing"}), 1);
    EXPECT_EQ(run({"set", "cutoff", "f_max=1"}), 1);
    EXPECT_EQ(run({"set", "measurement", "izm_flow_v_dsum_type=4"}), 1);
    EXPECT_EQ(run({"set", "cutoff", "module_cutoff=1"}), 1);
    EXPECT_EQ(run({"set", "cutoff", "cut_main_meter=2"}), 1);
    EXPECT_TRUE(slave.served().empty());
    // A code that no item stands for exactly: refused with the items, not moved to "5".
    EXPECT_EQ(run({"set", "measurement", "mediana_val=4"}), 1);
    EXPECT_NE(err.str().find("mediana_val: \"4\" is none of 1 \"1\", 3 \"3\", 5 \"5\""),
              std::string::npos)
        << err.str();
    // Taken by the page, but never sent.
    EXPECT_EQ(run({"set", "measurement", "izm_flow_v_max_m3_h_cmp=100"}), 1);
    EXPECT_NE(err.str().find("izm_flow_v_max_m3_h_cmp is read only: taken, but not written to "
                             "the meter"),
              std::string::npos)
        << err.str();
    EXPECT_TRUE(slave.served().empty());
    // A 16-bit field takes 0..65535: the integer boxes, nothing written.
    for (const char* value : {"f_max=70000", "f_max=-1"}) {
        slave.clearServed();
        EXPECT_EQ(run({"--yes", "set", "output1-frequency", value}), 1) << value;
        EXPECT_NE(err.str().find("Ошибка ввода: Вводимые данные не получается представить целым "
                                 "числом.\nСообщение: Запись данных не будет производиться."),
                  std::string::npos)
            << err.str();
        for (const auto& r : slave.served())
            EXPECT_NE(r.function, 16) << value;
    }
}

} // namespace
} // namespace flowcfg::test

namespace flowcfg::test {
namespace {

// do presses a command button (here of the tests' own rows): --yes answers its question,
// without it nothing is sent and the exit is 3; a button that takes its section reads the
// fields not named first. A section whose write takes nothing refuses set.
TEST_F(ConfigCommandTest, DoPressesACommandButton) {
    const AddCommands testPages = [](CLI::App& app, Session& s) {
        addPageCommands(app, s, kTestPages);
    };
    ASSERT_EQ(run({"groups"}, testPages), 0);
    EXPECT_NE(out.str().find("do test-restart\tТЕСТ: \"ПЕРЕЗАГРУЗКА ПРИБОРА\"\n  asks \"Работа "
                             "программы прибора будет перезапущена?.\", unlocks, writes Restart, "
                             "leaves the locks lifted, no box on success\n"),
              std::string::npos)
        << out.str();

    slave.clearServed();
    EXPECT_EQ(run({"do", "test-restart"}, testPages), 3);
    EXPECT_EQ(meter().restarts(), 0u);
    EXPECT_TRUE(slave.served().empty());
    EXPECT_EQ(run({"--yes", "do", "test-restart"}, testPages), 0) << err.str();
    EXPECT_EQ(meter().restarts(), 1u);

    meter().setReg(0x0541, 24);
    EXPECT_EQ(run({"--yes", "do", "test-interval", "interval=30"}, testPages), 0) << err.str();
    EXPECT_EQ(meter().reg(0x0541), 30);
    slave.clearServed();
    EXPECT_EQ(run({"--yes", "do", "test-blink", "interval=30"}, testPages), 1);
    EXPECT_EQ(run({"--yes", "set", "test-cleaning", "interval=30"}, testPages), 1);
    EXPECT_EQ(run({"do", "nothing"}, testPages), 1);
    EXPECT_TRUE(slave.served().empty());
}

} // namespace
} // namespace flowcfg::test
