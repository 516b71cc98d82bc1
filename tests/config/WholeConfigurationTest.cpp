// The whole-configuration read and write against the simulated meter: what the write leaves
// in the meter after a loaded profile, the failures the sequences pass over or stop at, and
// the write's registers held against the profile tables.

#include "config/WholeConfiguration.h"

#include "DistinctProfile.h"
#include "config/AllSettingsPages.h"
#include "profiles/ProfileTables.h"
#include "tests/model/MeterFixture.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

constexpr std::uint8_t FC3 = 3, FC16 = 16;

std::uintptr_t addressIn(DeviceImage& image, ImageMember member) {
    return std::visit([](auto* p) { return reinterpret_cast<std::uintptr_t>(p); }, member(image));
}

class WholeConfigurationTest : public MeterFixture {
protected:
    void SetUp() override {
        ctx.settings.Reask_val = 1; // one attempt per transaction
        whole.progress = [this](const SequenceProgress& p) { painted.push_back(p); };
    }
    std::vector<std::uint16_t> metersWords(const GroupDescriptor& g, std::uint8_t count) {
        return meter().regs(g.start, count);
    }
    bool served(std::uint8_t function, std::uint16_t start) const {
        return std::ranges::any_of(slave->served(), [&](const sim::ServedRequest& r) {
            return r.function == function && r.start == start;
        });
    }

    DeviceImage image;
    ConfigPages pages{ctx, image};
    WholeConfiguration whole{pages};
    std::vector<SequenceProgress> painted;
};

// Each register the write sends is either carried by a profile key, or read from the
// destination meter first: by the measurement read, or as one of the meter's own values.
TEST(WholeConfigurationTables, EveryWrittenRegisterComesFromTheProfileOrTheMeter) {
    DeviceImage scratch;
    const auto profiled = [&](ImageMember m) {
        for (const ProfileSection& section : profileSections())
            for (const ProfileKey& key : section.keys)
                if (key.image && (key.flags & key_flags::Load) &&
                    addressIn(scratch, key.image) == addressIn(scratch, m))
                    return true;
        return false;
    };
    const auto preread = [](ImageMember m) {
        return std::ranges::any_of(writeAllPreread().transfers, [m](const SequenceTransfer& t) {
            return readFills(group(t.transfer.group), m);
        });
    };
    const auto metersOwn = [&](ImageMember m) {
        return std::ranges::any_of(meterOwnValues(), [&](const MeterOwnValue& v) {
            return addressIn(scratch, v.member) == addressIn(scratch, m);
        });
    };
    for (const SequenceLine& line : writeAllLines())
        for (const SequenceTransfer& t : line.transfers)
            for (const FieldDescriptor& f : group(t.transfer.group).fields)
                if (f.member && f.offset + f.width() <= group(t.transfer.group).writeCount) {
                    EXPECT_EQ(profiled(f.member) || preread(f.member), !metersOwn(f.member))
                        << group(t.transfer.group).name << " word " << int(f.offset);
                }
    for (const MeterOwnValue& v : meterOwnValues())
        EXPECT_TRUE(readFills(group(v.group), v.member)) << group(v.group).name;
}

// What the meter holds after a loaded profile was written: the measurement settings and the
// values no profile carries as the meter had them, every other written register as loaded.
TEST_F(WholeConfigurationTest, WriteAfterALoadedProfileKeepsTheMetersOwnValues) {
    meter().setReg(0x1001, 42);             // averages
    meter().setReg(0x1700, 0x0C07);         // calibration word 0
    meter().setReg(0x1709, 1);              // characteristic: user-defined
    meter().setFloat(0x170E, -4.6013e-12f); // coefficient C
    meter().setFloat(0x101F, 0.375f);       // cut-off hysteresis
    meter().setReg(0x1502, 2);              // frame number after read
    image = distinctProfile();
    DeviceImage expected = image;
    for (const SequenceTransfer& t : writeAllPreread().transfers)
        storeWords(group(t.transfer.group),
                   meter().regs(group(t.transfer.group).start, group(t.transfer.group).readCount),
                   expected);
    for (const MeterOwnValue& v : meterOwnValues()) {
        DeviceImage meters;
        storeWords(group(v.group), meter().regs(group(v.group).start, group(v.group).readCount),
                   meters);
        std::visit([&](auto* to) { *to = *std::get<decltype(to)>(v.member(meters)); },
                   v.member(expected));
    }

    const WholeOutcome out = whole.writeAll();
    ASSERT_EQ(out.outcome.end, OperationEnd::Succeeded);
    EXPECT_TRUE(out.outcome.leftUnlocked);
    EXPECT_TRUE(meter().unlocked());
    for (const SequenceLine& line : writeAllLines())
        for (const SequenceTransfer& t : line.transfers) {
            const GroupDescriptor& g = group(t.transfer.group);
            EXPECT_EQ(metersWords(g, g.writeCount), composeWords(g, expected)) << g.name;
        }
    EXPECT_EQ(meter().reg(0x1001), 42);
    EXPECT_EQ(meter().reg(0x1700), 0x0C07);
    EXPECT_EQ(meter().reg(0x1709), 1);
    EXPECT_EQ(meter().floatAt(0x170E), -4.6013e-12f);
    EXPECT_EQ(meter().floatAt(0x101F), 0.375f);
    EXPECT_EQ(meter().reg(0x1502), 2);
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"Данные конфигурации будут переписаны?.",
                                        "Запись всех настроек успешно осуществлена."}));
    // Panel cleared, shown after the reads, 11 of 17 steps, full, hidden.
    ASSERT_EQ(painted.size(), 1u + 1u + 11u + 1u + 1u);
    EXPECT_FALSE(painted.front().shown);
    EXPECT_EQ(painted[1].caption, "ИДЕТ ЗАПИСЬ ДАННЫХ");
    EXPECT_EQ(painted[12].done, 11);
    EXPECT_EQ(painted[13].done, 17);
    EXPECT_FALSE(painted.back().shown);
}

// The three ways the sequences meet a meter that stops answering.
TEST_F(WholeConfigurationTest, FailuresArePassedOverOnlyAtTheFirstCutoffWrite) {
    // The first cut-off write unanswered: reported once, every later line written.
    pump.onEvents = [this] {
        const auto& s = slave->served();
        if (!s.empty() && s.back().function == FC16 && s.back().start == 0x04FE &&
            slave->faults().rules().empty() && !served(FC16, 0x101D))
            silentOn(0x101D, 0x101D, 1);
    };
    WholeOutcome out = whole.writeAll();
    pump.onEvents = nullptr;
    EXPECT_EQ(out.outcome.end, OperationEnd::Succeeded);
    EXPECT_EQ(out.passedOverFailures, 1);
    EXPECT_EQ(dialogs.texts()[1].rfind("Ответа не было.", 0), 0u) << dialogs.texts()[1];
    EXPECT_EQ(dialogs.texts().back(), "Запись всех настроек успешно осуществлена.");
    EXPECT_EQ(dialogs.texts().size(), 3u);
    EXPECT_EQ(std::ranges::count(out.written, GroupId::Cutoff), 1); // line 7
    EXPECT_EQ(out.written.back(), GroupId::Emulation);

    // A read that fails at the pressure unit: reported, the device groups not read.
    slave->clearServed();
    dialogs.shown.clear();
    silentOn(0x171A, 0x171A, 1);
    out = whole.readAll();
    EXPECT_EQ(out.outcome.end, OperationEnd::Failed);
    EXPECT_EQ(out.failedLine, "градуировка температуры, давление");
    EXPECT_TRUE(served(FC3, 0x1709));
    EXPECT_FALSE(served(FC3, 0x0403) || served(FC3, 0x0400) || served(FC3, 0x04F0));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Ошибка в обмене.");

    // Any other write failure ends the write with the locks lifted.
    slave->clearServed();
    dialogs.shown.clear();
    exceptionOn(0x1064, 0x1064, 2);
    out = whole.writeAll();
    EXPECT_EQ(out.outcome.end, OperationEnd::Failed);
    EXPECT_TRUE(out.outcome.leftUnlocked);
    EXPECT_EQ(out.failedLine, "выход 2");
    EXPECT_FALSE(served(FC16, 0x106D));
    EXPECT_EQ(dialogs.texts().back(), "Адрес данных выходит за допустимые границы.");
}

TEST_F(WholeConfigurationTest, ReadAllFillsEveryPageAndReopensTheLinkTwice) {
    meter().setReg(0x04F0, 4321);
    meter().setReg(0x1047, 3);
    const int opens = devices.opens;
    const WholeOutcome out = whole.readAll();
    ASSERT_EQ(out.outcome.end, OperationEnd::Succeeded);
    EXPECT_EQ(devices.opens - opens, 3);
    EXPECT_EQ(image.PSW.PSW, 4321);
    EXPECT_EQ(pages.page("НАСТРОЙКИ РАБОТЫ/ВЫХОД 1").state("diskr_out_type0").index, 3u);
    EXPECT_EQ(slave->served().back().start, 0x04F0);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"Прочитаны все параметры прибора."}));
    EXPECT_EQ(painted.back().shown, false);
    EXPECT_EQ(painted[painted.size() - 2].done, 18);
    EXPECT_EQ(barWidth(200, 2, 18, 5), 50); // (200 - 6) / 18 = 10 a step
}

// The summary pages show the image as each value's own page formats it: after the whole read,
// after a page's read and after the take of a page's write.
TEST_F(WholeConfigurationTest, SummaryPagesFollowEveryReadAndTake) {
    meter().setReg(0x1047, 3);                      // output 1 type: pulse
    meter().setReg(0x1061, 1);                      // output 2 direct state: on
    meter().setReg(0x103B, 5);                      // emulation mode without an item
    meter().setReg(0x1046, 0x00AB);                 // emulated error HI
    meter().setReg(0x10AC, 0x0161);                 // ovld_en: general, current 1 and 2, bit 8
    meter().setReg(0x10AE, 0);                      // udld_en: none
    meter().setFloat(0x170A, 150.0f);               // coefficient A
    meter().setFloat(0x1718, 100.0f);               // R0
    meter().setReg(0x1709, 1);                      // characteristic: user-defined
    meter().setReg(0x171A, 2);                      // pressure unit: МПа
    meter().setReg(0x1800, 5);                      // median window 5
    meter().setReg(0x0541, 7);                      // cleaning interval, days
    meter().setReg(0x1099, 3);                      // empty pipe: both flags
    meter().setReg(0x1036, 0x06);                   // cut-off: main from the transducer, display
    image.frame_write.frame_write_interval_sec = 0; // not read: as loaded
    ASSERT_EQ(whole.readAll().outcome.end, OperationEnd::Succeeded);
    const auto text = [this](std::string_view path, std::string_view id) {
        return pages.page(path).state(id).text;
    };
    const struct {
        std::string_view page, id, text;
    } shown[] = {
        {page::summaryOutputs, "diskr_out_type0", "Импульсный"},
        {page::summaryOutputs, "diskr_out_direct_val_1", "вкл"},
        {page::summaryEmulation, "sym_mode", "-"},
        {page::summaryEmulation, "flow_v_err_raw_hi_sym", "0x00AB"},
        {page::summaryErrors, "ovld_en", " Общее разрешение Ток ош 1. Ток ош 2. др. биты"},
        {page::summaryErrors, "udld_en", "нет"},
        {page::summarySensors, "ext_sens_kvd_a", "1.500000E+02"},
        {page::summarySensors, "ext_sens_r0", "100.00"},
        {page::summarySensors, "characteristic", "Пользовательские"},
        {page::summarySensors, "pressure_unit", "МПа"},
        {page::summaryMeasurement, "mediana_val", "5"},
        {page::summarySpecial, "el_clear_time_interval_val_h", "7"},
        {page::summarySpecial, "empty_pype_en", " Расх.и скор=0  Отобр. П.Т. "},
        {page::summarySpecial, "cut_main", " ПП"},
        {page::summarySpecial, "cut_display", " Прибор"},
        {page::summarySpecial, "frame_write_interval_sec", "выкл."},
    };
    for (const auto& s : shown)
        EXPECT_EQ(text(s.page, s.id), s.text) << s.page << " " << s.id;

    meter().setReg(0x103B, 1);
    ASSERT_EQ(pages.read(*findButtons("emulation")).end, OperationEnd::Succeeded);
    EXPECT_EQ(text(page::summaryEmulation, "sym_mode"), "Фикс. значение");

    pages.page("НАСТРОЙКИ РАБОТЫ/ЭМУЛЯЦИЯ").edit("flow_v_m3_h_raw_sym", "12.5");
    dialogs.answers.push_back(false); // the take stays in the image, nothing is sent
    pages.write(*findButtons("emulation"));
    EXPECT_EQ(text(page::summaryEmulation, "flow_v_m3_h_raw_sym"), "12.5000    ");
}

} // namespace
} // namespace flowcfg::test
