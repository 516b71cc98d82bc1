#include "link/LinkSettings.h"

#include "LinkFixture.h"
#include "platform/IniFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace flowcfg::test {
namespace {

void writeFile(const std::filesystem::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

IniFile loaded(const std::filesystem::path& p) {
    IniFile ini(p);
    ini.load();
    return ini;
}

TEST(LinkSettingsFiles, FirstStartInAnEmptyDirectoryCreatesBothFiles) {
    TempDir dir;
    const std::filesystem::path work = dir.path() / "new";
    const LinkSettings s = readLinkSettings(work);
    EXPECT_EQ(s.Number, 1);
    EXPECT_EQ(s.speedIndex, 7);
    EXPECT_EQ(s.parity, 0);
    EXPECT_EQ(s.NetAdrr, 1);
    EXPECT_EQ(s.TimeOut, 2000);
    EXPECT_EQ(s.UseLogFile, 0);
    EXPECT_EQ(s.Reask_val, 2);
    EXPECT_EQ(s.read_hold_reg_err_msk, 127);
    EXPECT_EQ(s.logPath(), work / "COM.txt");

    const IniFile dev = loaded(work / "dev.dat");
    EXPECT_EQ(dev.readString("COM_SETTINGS", "Number", ""), "1");
    EXPECT_EQ(dev.readString("COM_SETTINGS", "Settings", ""), "19200,N,8,1");
    EXPECT_EQ(dev.readString("COM_SETTINGS", "DELY", ""), "0");
    EXPECT_EQ(dev.readString("DEVICE", "NetAdrr", ""), "1");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeOut", ""), "2000");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeGapDev", ""), "0");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeGapPrg", ""), "0");
    EXPECT_EQ(dev.readString("SETTINGS", "Reask_val", ""), "2");
    EXPECT_EQ(dev.readString("SETTINGS", "read_hold_reg_err_msk", ""), "127");
    EXPECT_EQ(dev.readString("LOG", "UseLogFile", ""), "0");
    EXPECT_EQ(dev.readString("LOG", "LogFileMaxKB", ""), "10240"); // 10 MB unless set
    EXPECT_FALSE(dev.hasKey("LOG", "LogFileName"));

    const TimeoutTable t = readTimeoutTable(work);
    EXPECT_EQ(t.RTTM[0], 192);
    EXPECT_EQ(t.RIT[2], 96);
    EXPECT_EQ(t.RTTM[8], 192);
    const std::string to = readFile(work / "to.dat");
    const char* keys[] = {"RTTM1200",  "RTTM2400",  "RTTM4800",   "RTTM9600", "RTTM19200",
                          "RTTM38400", "RTTM57600", "RTTM115200", "RTTMDF",   "RIT1200",
                          "RIT2400",   "RIT4800",   "RIT9600",    "RIT19200", "RIT38400",
                          "RIT57600",  "RIT115200", "RITDF"};
    std::size_t last = 0;
    for (const char* key : keys) {
        const std::size_t at = to.find(std::string(key) + "=");
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key << " out of order";
        last = at;
    }
    EXPECT_EQ(loaded(work / "to.dat").readString("TIME_OUTS", "RIT9600", ""), "48");
}

TEST(LinkSettingsFiles, ReadingCorrectsAndWritesBack) {
    TempDir dir;
    writeFile(dir.path() / "dev.dat", "[COM_SETTINGS]\r\nSettings=115200,O,8,1\r\nNumber=12\r\n"
                                      "[DEVICE]\r\nNetAdrr=300\r\n"
                                      "[SETTINGS]\r\nReask_val=0\r\nTimeGapPrg=300\r\n"
                                      "TimeGapDev=7\r\nTimeOut=0\r\n"
                                      "[PORTS]\r\nCOM12=/dev/pts/7\r\n");
    writeFile(dir.path() / "to.dat", "[TIME_OUTS]\nRIT9600=5\n");
    LinkSettings s = readLinkSettings(dir.path());
    EXPECT_EQ(s.speedIndex, 10);
    EXPECT_EQ(s.parity, 1);
    EXPECT_EQ(s.NetAdrr, 1);
    EXPECT_EQ(s.Reask_val, 1);
    EXPECT_EQ(s.TimeGapPrg, 255);
    EXPECT_EQ(s.TimeGapDev, 7);
    EXPECT_EQ(s.TimeOut, 0) << "no range check beyond the corrections";
    EXPECT_EQ(s.UseLogFile, 1) << "a missing key gives the default, not the creation value";
    EXPECT_EQ(s.portPaths.at(12), "/dev/pts/7");
    const IniFile dev = loaded(dir.path() / "dev.dat");
    EXPECT_EQ(dev.readString("DEVICE", "NetAdrr", ""), "1");
    EXPECT_EQ(dev.readString("SETTINGS", "Reask_val", ""), "1");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeGapPrg", ""), "255");
    EXPECT_EQ(dev.readString("LOG", "UseLogFile", ""), "1");
    EXPECT_EQ(dev.readString("PORTS", "COM12", ""), "/dev/pts/7");

    const TimeoutTable t = readTimeoutTable(dir.path());
    EXPECT_EQ(t.RIT[3], 5);
    EXPECT_EQ(t.RTTM[3], 48);
    EXPECT_EQ(loaded(dir.path() / "to.dat").readString("TIME_OUTS", "RTTMDF", ""), "192");

    writeFile(dir.path() / "dev.dat", "[DEVICE]\nNetAdrr=255\n[COM_SETTINGS]\nNetAdrr=0\n");
    EXPECT_EQ(readLinkSettings(dir.path()).NetAdrr, 255);
    writeFile(dir.path() / "dev.dat", "[DEVICE]\nNetAdrr=0\n");
    EXPECT_EQ(readLinkSettings(dir.path()).NetAdrr, 1);
}

// A value beyond 16 bits gets the correction it would get within them, not its low bits;
// where no correction covers it, or it is negative, the default.
TEST(LinkSettingsFiles, ValuesBeyondSixteenBitsAreCorrectedLikeTheOthers) {
    TempDir dir;
    writeFile(dir.path() / "dev.dat", "[SETTINGS]\nTimeGapPrg=70000\nTimeGapDev=-1\n"
                                      "Reask_val=65537\nTimeOut=70000\n"
                                      "[DEVICE]\nNetAdrr=65537\n");
    const LinkSettings s = readLinkSettings(dir.path());
    EXPECT_EQ(s.TimeGapPrg, 255);
    EXPECT_EQ(s.TimeGapDev, 0);
    EXPECT_EQ(s.Reask_val, 2);
    EXPECT_EQ(s.TimeOut, 2000);
    EXPECT_EQ(s.NetAdrr, 1);
    EXPECT_EQ(loaded(dir.path() / "dev.dat").readString("SETTINGS", "TimeGapPrg", ""), "255");
}

TEST(LinkSettingsFiles, ExitWriterRecreatesAMissingFileAndWritesTheCurrentValues) {
    TempDir dir;
    LinkSettings s = readLinkSettings(dir.path());
    std::filesystem::remove(dir.path() / "dev.dat");
    s.Reask_val = 4;
    s.Number = 3;
    s.speedIndex = 6;
    s.parity = 2;
    s.NetAdrr = 17;
    s.TimeGapDev = 999;
    s.portPaths[3] = "/dev/ttyUSB9";
    ASSERT_TRUE(writeLinkSettings(s));
    const std::string text = readFile(dir.path() / "dev.dat");
    EXPECT_NE(text.find("reask_val=4"), std::string::npos) << text;
    EXPECT_EQ(text.find("read_hold_reg_err_msk"), std::string::npos) << text;
    const IniFile dev = loaded(dir.path() / "dev.dat");
    EXPECT_EQ(dev.readString("COM_SETTINGS", "Settings", ""), "9600,E,8,2");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeOut", ""), "2000");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeGapDev", ""), "255");
    EXPECT_EQ(dev.readString("LOG", "UseLogFile", ""), "0");
    EXPECT_EQ(dev.readString("LOG", "LogFileName", ""),
              std::filesystem::absolute(dir.path() / "COM.txt").string());
    EXPECT_EQ(dev.readString("PORTS", "COM3", ""), "/dev/ttyUSB9");

    const LinkSettings back = readLinkSettings(dir.path());
    EXPECT_EQ(back.Reask_val, 4);
    EXPECT_EQ(back.speedIndex, 6);
    EXPECT_EQ(back.parity, 2);
    EXPECT_EQ(back.NetAdrr, 17);
    EXPECT_EQ(back.portPaths.at(3), "/dev/ttyUSB9");
}

TEST(LinkSettingsFiles, ExitWriterCreationValues) {
    TempDir dir;
    LinkSettings s;
    s.workDir = dir.path();
    // Every creation value is overwritten by the current one.
    ASSERT_TRUE(writeLinkSettings(s));
    const IniFile dev = loaded(dir.path() / "dev.dat");
    EXPECT_EQ(dev.readString("SETTINGS", "TimeOut", ""), "2000");
    EXPECT_EQ(dev.readString("SETTINGS", "reask_val", ""), "2");
    EXPECT_EQ(dev.readString("COM_SETTINGS", "Settings", ""), "19200,N,8,2");
    const LinkSettings back = readLinkSettings(dir.path());
    EXPECT_EQ(back.speedIndex, 7);
    EXPECT_EQ(back.parity, 0);
}

TEST(LinkSettingsFiles, QuickAnswerEndIsAKeyOnlyFilesThatUseItHave) {
    TempDir dir;
    LinkSettings s = readLinkSettings(dir.path());
    ASSERT_TRUE(writeLinkSettings(s));
    EXPECT_EQ(s.QuickAnswerEnd, 0);
    EXPECT_FALSE(loaded(dir.path() / "dev.dat").hasKey("SETTINGS", "QuickAnswerEnd"));

    s.QuickAnswerEnd = 1;
    ASSERT_TRUE(writeLinkSettings(s));
    EXPECT_EQ(loaded(dir.path() / "dev.dat").readString("SETTINGS", "QuickAnswerEnd", ""), "1");
    EXPECT_EQ(readLinkSettings(dir.path()).QuickAnswerEnd, 1);
    s.QuickAnswerEnd = 0; // switched off again: saved as off
    ASSERT_TRUE(writeLinkSettings(s));
    EXPECT_EQ(loaded(dir.path() / "dev.dat").readString("SETTINGS", "QuickAnswerEnd", ""), "0");

    writeFile(dir.path() / "dev.dat", "[SETTINGS]\nQuickAnswerEnd=2\n");
    EXPECT_EQ(readLinkSettings(dir.path()).QuickAnswerEnd, 0) << "only 1 switches it on";
}

TEST(LinkSettingsFiles, UnusableFilesGiveDefaultsAndAreNotReplaced) {
    TempDir dir;
    // A working directory that cannot be created: defaults, nothing written, no failure.
    writeFile(dir.path() / "file", "x");
    const LinkSettings s = readLinkSettings(dir.path() / "file" / "sub");
    EXPECT_EQ(s.TimeOut, 2000);
    EXPECT_EQ(s.NetAdrr, 1);
    EXPECT_EQ(readTimeoutTable(dir.path() / "file" / "sub").RTTM[8], 192);
    std::string error;
    EXPECT_FALSE(writeLinkSettings(s, &error));
    EXPECT_FALSE(error.empty());

    // A dev.dat or to.dat that exists but cannot be read is neither read nor replaced, and
    // the reader says so, in Russian.
    std::filesystem::create_directories(dir.path() / "dev.dat");
    std::filesystem::create_directories(dir.path() / "to.dat");
    std::string problem;
    const LinkSettings d = readLinkSettings(dir.path(), &problem);
    EXPECT_EQ(d.Reask_val, 2);
    const std::string dev = (dir.path() / "dev.dat").string();
    EXPECT_EQ(problem, "Не удалось прочитать файл \"" + dev +
                           "\" (это папка, а не файл): действуют значения по умолчанию");
    problem.clear();
    EXPECT_EQ(readTimeoutTable(dir.path(), &problem).RTTM[8], 192);
    EXPECT_NE(problem.find("to.dat\" (это папка, а не файл)"), std::string::npos) << problem;
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "dev.dat"));
    LinkSettings changed = d;
    changed.NetAdrr = 9;
    EXPECT_FALSE(writeLinkSettings(changed, &error));
    EXPECT_EQ(error, "Не удалось прочитать файл \"" + dev +
                         "\" (это папка, а не файл); он не перезаписан, чтобы не потерять его "
                         "содержимое");
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "dev.dat"));
}

TEST(LinkSettingsText, SettingsComposeAndParseRoundTrip) {
    for (std::uint16_t speed = 3; speed <= 10; ++speed) {
        for (std::uint16_t parity = 0; parity <= 2; ++parity) {
            std::uint16_t s = 0, p = 9;
            parseSettingsText(composeSettingsText(speed, parity), s, p);
            EXPECT_EQ(s, speed);
            EXPECT_EQ(p, parity);
        }
    }
    EXPECT_EQ(composeSettingsText(10, 1), "115200,O,8,2");
    EXPECT_EQ(composeSettingsText(2, 7), "19200,N,8,2");
    std::uint16_t s = 0, p = 0;
    parseSettingsText("1200,E,8,1", s, p);
    EXPECT_EQ(s, 3);
    EXPECT_EQ(p, 2);
    parseSettingsText("NEO", s, p); // the last test that matches wins
    EXPECT_EQ(s, 7);
    EXPECT_EQ(p, 1);
    parseSettingsText("9600,n,8,1", s, p);
    EXPECT_EQ(s, 6);
    EXPECT_EQ(p, 0);
}

TEST(LinkSettingsText, StatusLine) {
    LinkSettings s;
    EXPECT_EQ(linkStatusText(s), "COM1, 19200 , без паритета ");
    s.Number = 12;
    s.speedIndex = 10;
    s.parity = 1;
    EXPECT_EQ(linkStatusText(s), "COM12, 115200 , нечетный паритет ");
    s.speedIndex = 2;
    s.parity = 2;
    EXPECT_EQ(linkStatusText(s), "COM12, ? четный паритет ");
    s.parity = 3;
    EXPECT_EQ(linkStatusText(s), "COM12, ? без паритета ");
}

TEST(LinkSettingsText, FrameSilenceIsThreeAndAHalfCharactersOrFixedOnFastLines) {
    LinkSettings s;
    const struct {
        std::uint16_t speedIndex, parity;
        std::uint32_t ms;
    } cases[] = {{3, 2, 33}, {6, 0, 4}, {7, 0, 2}, {10, 1, 2}};
    for (const auto& c : cases) {
        s.speedIndex = c.speedIndex;
        s.parity = c.parity;
        EXPECT_EQ(frameSilenceMs(s), c.ms) << c.speedIndex;
    }
}

TEST(LinkSettingsFiles, GarbageLoadsDefaults) {
    TempDir dir;
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        std::string junk(random() % 5000, '\0');
        for (char& c : junk)
            c = static_cast<char>(random() % 4 == 0 ? "[]=\n"[random() % 4] : random());
        if (round % 2)
            junk += "\n[SETTINGS]\nTimeOut=abc\nReask_val=-5\nTimeGapPrg=99999999999999999999\n"
                    "[DEVICE]\nNetAdrr=70000\n";
        writeFile(dir.path() / "dev.dat", junk);
        writeFile(dir.path() / "to.dat", junk);
        const LinkSettings s = readLinkSettings(dir.path());
        EXPECT_GE(s.NetAdrr, 1);
        EXPECT_LE(s.NetAdrr, 255);
        EXPECT_GE(s.Reask_val, 1);
        EXPECT_LE(s.TimeGapPrg, 255);
        EXPECT_GE(s.speedIndex, 3);
        EXPECT_LE(s.speedIndex, 10);
        if (round % 2) {
            EXPECT_EQ(s.TimeOut, 2000);
            EXPECT_EQ(s.NetAdrr, 1);
        }
        readTimeoutTable(dir.path());
    }
}

} // namespace
} // namespace flowcfg::test
