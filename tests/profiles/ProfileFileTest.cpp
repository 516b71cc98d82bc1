#include "profiles/ProfileFile.h"

#include "TestFiles.h"
#include "profiles/ProfileTables.h"
#include "profiles/ProfileValueText.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace flowcfg::test {

namespace fs = std::filesystem;

namespace {

using Value = std::variant<double, std::string>;

Value valueOf(const ProfileRef& ref) {
    return std::visit(
        [](auto* p) -> Value {
            if constexpr (std::is_same_v<std::remove_pointer_t<decltype(p)>, std::string>) {
                return *p;
            } else {
                return static_cast<double>(*p);
            }
        },
        ref);
}

// Every row a load reads, with the section it belongs to.
template <typename F> void forEachLoadedRow(F&& f) {
    for (const ProfileSection& section : profileSections()) {
        for (const ProfileKey& row : section.keys) {
            if ((row.flags & key_flags::Load) != 0) {
                f(section, row);
            }
        }
    }
}

class ProfileFileTest : public ::testing::Test {
protected:
    static void put(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    static IniFile ini(const fs::path& p) {
        IniFile f(p);
        EXPECT_TRUE(f.load());
        return f;
    }
    // The lines of a file that are section headers, in order.
    static std::vector<std::string> sectionsOf(const fs::path& p) {
        std::vector<std::string> names;
        std::istringstream in(readFile(p));
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.front() == '[') {
                names.push_back(line.substr(1, line.size() - 2));
            }
        }
        return names;
    }
    // The keys of one section of a file, in order.
    static std::vector<std::string> keysOf(const fs::path& p, const std::string& section) {
        std::vector<std::string> keys;
        std::istringstream in(readFile(p));
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.front() == '[') {
                inside = line == "[" + section + "]";
            } else if (inside && line.find('=') != std::string::npos) {
                keys.push_back(line.substr(0, line.find('=')));
            }
        }
        return keys;
    }
    // Expects every loaded value of image/tools to be its load default.
    void expectDefaults(DeviceImage& image, ToolSettings& tools) const {
        DeviceImage defaultImage;
        ToolSettings defaultTools = ToolSettings::defaults(work_);
        forEachLoadedRow([&](const ProfileSection& section, const ProfileKey& row) {
            EXPECT_EQ(valueOf(*refOf(row, image, tools)),
                      valueOf(*refOf(row, defaultImage, defaultTools)))
                << section.name << "/" << row.key;
        });
    }
    TempDir temp_{"flowcfg-prf"};
    const fs::path dir_ = temp_.path();
    const fs::path work_ = dir_ / "work";
};

} // namespace

TEST(ProfileValueText, FormatsAndScansLikeTheCFormats) {
    float value = 1.5f;
    std::uint16_t limit = 10000;
    EXPECT_EQ(profileValueText(ValueKind::Float, &value), "1.5000     ");
    EXPECT_EQ(profileValueText(ValueKind::Float2, &limit), "10000.00");
    value = 0.36f;
    EXPECT_EQ(profileValueText(ValueKind::Float2, &value), "0.36 ");
    value = -123456.789f;
    EXPECT_EQ(profileValueText(ValueKind::Float, &value), "-123456.7891");

    EXPECT_EQ(scanFloat("1.5000     "), 1.5f);
    EXPECT_EQ(scanFloat("  -2.5E+2xyz"), -250.0f);
    EXPECT_EQ(scanFloat("+.5"), 0.5f);
    EXPECT_EQ(scanFloat("7."), 7.0f);
    EXPECT_EQ(scanFloat("0x1p3"), 8.0f);
    EXPECT_EQ(scanFloat("1,5"), 1.0f); // the point is the only decimal separator
    EXPECT_EQ(scanFloat("abc"), 0.0f);
    EXPECT_EQ(scanFloat(""), 0.0f);
    EXPECT_EQ(scanFloat("--1"), 0.0f);
    EXPECT_EQ(scanFloat("1e400"), 0.0f);
    EXPECT_TRUE(std::isinf(scanFloat("1e300")));
    EXPECT_TRUE(std::isinf(scanFloat("-inf")));
    // Rounded once, like a C float scan: just above the midpoint of two floats is the upper.
    EXPECT_EQ(scanFloat("429496720.00000000000000096017"), 429496736.0f);

    // Loading: integers wrap to the member's width, floats round into integer members.
    std::uint16_t word = 0;
    storeInteger(&word, 70000);
    EXPECT_EQ(word, 70000 - 65536);
    storeFloat(&word, 9999.6f);
    EXPECT_EQ(word, 10000);
    storeFloat(&word, -5.0f);
    EXPECT_EQ(word, 0);
    storeFloat(&word, std::nanf(""));
    EXPECT_EQ(word, 0);
}

TEST_F(ProfileFileTest, SavedValueTextsAreExact) {
    DeviceImage image;
    image.output.flow_v_for_pulse = 1.5f;
    image.output.f_max = 10000;
    image.output.f_flow_v_max_1 = 2.25f;
    image.NEW_DAT.LONG_NUM = 4000000000u;
    ToolSettings tools = ToolSettings::defaults(work_);
    const fs::path file = dir_ / "a.prf";
    ASSERT_TRUE(saveProfile(file, image, tools).ok);
    const std::string text = readFile(file);
    EXPECT_NE(text.find("\nflow_v_for_pulse=1.5000     \n"), std::string::npos);
    EXPECT_NE(text.find("\nf_max=10000.00\n"), std::string::npos);
    EXPECT_NE(text.find("\nf_min=0.00 \n"), std::string::npos);
    EXPECT_NE(text.find("\nf_flow_v_max_1=2.25 \n"), std::string::npos);
    EXPECT_NE(text.find("\nr_cod_max=138.5000   \n"), std::string::npos);
    EXPECT_NE(text.find("\nLONG_NUM=4000000000\n"), std::string::npos);
    // Sections that only a load touches are not saved.
    EXPECT_EQ(text.find("[Form title]"), std::string::npos);
    EXPECT_EQ(text.find("[USR]"), std::string::npos);
    EXPECT_EQ(text.find("izm_modul_file_name"), std::string::npos);
}

// A float goes through a file bit for bit. One that its fixed text shows exactly keeps that
// text; the others are written in the shortest exponent form a C "%E" scan reads back.
TEST_F(ProfileFileTest, FloatsComeBackBitForBit) {
    const struct {
        float value;
        std::string_view fixed4, fixed2; // flow_v_for_pulse ("%-11.4f"), f_flow_v_max ("%-5.2f")
    } cases[] = {
        {0.0039083f, "3.9083E-03 ", "3.9083E-03"},
        {-5.775e-7f, "-5.775E-07 ", "-5.775E-07"},
        {1e-5f, "1E-05      ", "1E-05"},
        {72.0f, "72.0000    ", "72.00"},
        {0.36f, "0.3600     ", "0.36 "},
        {10000.0f, "10000.0000 ", "10000.00"},
        {3.4e38f, "339999995214436424907732413799364296704.0000",
         "339999995214436424907732413799364296704.00"},
        {-0.0f, "-0.0000    ", "-0.00"},
    };
    const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
    for (const auto& c : cases) {
        DeviceImage image;
        image.output.flow_v_for_pulse = c.value;
        image.output.f_flow_v_max = c.value;
        ToolSettings tools = ToolSettings::defaults(work_);
        const fs::path file = dir_ / "f.prf";
        ASSERT_TRUE(saveProfile(file, image, tools).ok);
        const std::string text = readFile(file);
        for (const auto& [key, expected] :
             {std::pair{"flow_v_for_pulse", c.fixed4}, std::pair{"f_flow_v_max", c.fixed2}}) {
            EXPECT_NE(text.find("\n" + std::string(key) + "=" + std::string(expected) + "\n"),
                      std::string::npos)
                << key << " " << c.value;
            float scanned = 1;
            EXPECT_EQ(std::sscanf(std::string(expected).c_str(), "%E", &scanned), 1);
            EXPECT_EQ(bits(scanned), bits(c.value)) << expected;
        }
        DeviceImage loaded;
        loadProfile(file, loaded, tools, work_);
        EXPECT_EQ(bits(loaded.output.flow_v_for_pulse), bits(c.value)) << c.value;
        EXPECT_EQ(bits(loaded.output.f_flow_v_max), bits(c.value)) << c.value;
    }
}

TEST_F(ProfileFileTest, EmptyFileLoadsEveryDefault) {
    const fs::path file = dir_ / "empty.prf";
    put(file, "");
    DeviceImage image;
    ToolSettings tools;
    // Start from values that are not the defaults, so each default has to be taken.
    forEachLoadedRow([&](const ProfileSection&, const ProfileKey& row) {
        const auto ref = *refOf(row, image, tools);
        if (row.kind == ValueKind::String) {
            storeText(ref, "x");
        } else {
            storeInteger(ref, 77);
        }
    });
    EXPECT_TRUE(loadProfile(file, image, tools, work_).ok);
    expectDefaults(image, tools);
    EXPECT_TRUE(fs::is_directory(work_));
    EXPECT_EQ(tools.IZM.izm_file_name, (work_ / "izm.txt").string());
    EXPECT_EQ(tools.PATH.com_dir, work_.string());
    EXPECT_EQ(tools.form_title, "Программа настройки ТКС-71ЛД, версия 0.099");

    // Every loaded key is now in the file but those the tool added, which a file lacks until
    // they are set; Seach holds the fixed write-back values, not the values in force
    // (19200..115200 on, even parity).
    const IniFile written = ini(file);
    forEachLoadedRow([&](const ProfileSection& section, const ProfileKey& row) {
        EXPECT_EQ(written.hasKey(section.name, row.key), (row.flags & key_flags::OnlyWhenSet) == 0)
            << section.name << "/" << row.key;
    });
    const std::pair<const char*, int> seach[] = {
        {"1200", 0},       {"2400", 0},       {"4800", 0},     {"9600", 1}, {"19200", 1},
        {"38400", 0},      {"57600", 0},      {"115200", 0},   {"beg", 1},  {"end", 5},
        {"parity_non", 0}, {"parity_odd", 0}, {"parity_ev", 0}};
    for (const auto& [key, value] : seach) {
        EXPECT_EQ(written.readString("Seach", key, "?"), std::to_string(value)) << key;
    }
    EXPECT_EQ(tools.Seach.baud115200, 1);
    EXPECT_EQ(tools.Seach.parity_ev, 1);
    EXPECT_EQ(written.readString("output", "f_max", ""), "10000.00");
    EXPECT_EQ(written.readString("i_control", "flow_v_min", ""), "0.3600");
    // The creation values belong to a new file only.
    EXPECT_FALSE(written.hasSection("SET_0"));
    EXPECT_FALSE(written.hasSection("Definition"));
}

TEST_F(ProfileFileTest, MissingFileIsCreatedWithTheCreationValues) {
    const fs::path file = dir_ / "recent.prf";
    DeviceImage image;
    ToolSettings tools;
    EXPECT_TRUE(loadProfile(file, image, tools, work_).ok);
    const IniFile created = ini(file);
    EXPECT_EQ(created.readString("Definition", "txt0", ""), "Flowmeter 0.0.0");
    EXPECT_EQ(created.readString("Definition", "txt1", ""), "19200");
    EXPECT_EQ(created.readString("SET_0", "SET_0_VAL", ""), "0.0");
    EXPECT_EQ(created.readString("SET_DIAP", "SET_DIAP_VAL", ""), "250.0");
    EXPECT_EQ(created.readInt("SET_DIAP", "SET_DIAP_N", 0), 32);
    // The load then reads the creation values: they are in force...
    EXPECT_EQ(image.NEW_DAT.MODEL, 10);
    EXPECT_EQ(image.NEW_DAT.DAY_NEW, 15);
    EXPECT_EQ(tools.Seach.end, 3);
    EXPECT_EQ(tools.Seach.parity_non, 1);
    EXPECT_EQ(tools.Seach.baud19200, 1);
    EXPECT_EQ(tools.Seach.baud38400, 0);
    // ...while Seach gets the fixed values written back.
    EXPECT_EQ(created.readInt("Seach", "end", 0), 5);
    EXPECT_EQ(created.readInt("Seach", "parity_non", 9), 0);
    // The creation values come first, then the load's sections in the order it reads them.
    const std::vector<std::string> sections = sectionsOf(file);
    ASSERT_GE(sections.size(), 9u);
    const std::vector<std::string> head(sections.begin(), sections.begin() + 9);
    EXPECT_EQ(head, (std::vector<std::string>{"TAB", "Definition", "TX", "SET_0", "SET_DIAP",
                                              "Seach", "NEW_DAT", "USR_REG_HOLD", "Form title"}));
}

TEST_F(ProfileFileTest, LoadExceptions) {
    const fs::path file = dir_ / "p.prf";
    put(file, "[el_clear]\r\n"
              "time_val=5000\r\n"
              "[IZM]\r\n"
              "write_file=0\r\n"
              "write_all_izm_file=7\r\n"
              "[Seach]\r\n"
              "beg=10\r\n"
              "end=20\r\n"
              "1200=1\r\n"
              "[TAB]\r\n"
              "ActivePageIndex4=3\r\n"
              "activepageindex5=2\r\n"
              "ElClearTabEn=1\r\n"
              "[USR_REG_HOLD]\r\n"
              "reg_15=65535\r\n"
              "[mediana_filtr_flow]\r\n"
              "mediana_val=7\r\n"
              "[output]\r\n"
              "f_max=  2500.6  \r\n"
              "f_flow_v_max=abc\r\n"
              "f_direct_val=12ab\r\n"
              "f_flow_err=zz\r\n");
    DeviceImage image;
    ToolSettings tools;
    ASSERT_TRUE(loadProfile(file, image, tools, work_).ok);
    EXPECT_EQ(image.el_clear.time_val, 3600);
    EXPECT_EQ(tools.IZM.write_file, 0);
    EXPECT_EQ(tools.IZM.write_all_izm_file, 7);
    EXPECT_EQ(tools.Seach.beg, 10);
    EXPECT_EQ(tools.Seach.end, 20);
    EXPECT_EQ(tools.Seach.baud1200, 1);
    EXPECT_EQ(tools.TAB.ActivePageIndex4, 3);
    EXPECT_EQ(tools.TAB.ActivePageIndex5, 2);
    EXPECT_EQ(tools.TAB.ElClearTabEn, 1);
    EXPECT_EQ(image.USR_REG_HOLD.reg[15], 65535);
    EXPECT_EQ(image.mediana_filtr_flow.mediana_val, 7);
    EXPECT_EQ(image.output.f_max, 2501);        // a frequency limit keeps whole hertz
    EXPECT_EQ(image.output.f_flow_v_max, 0.0f); // present but not a number: 0
    EXPECT_EQ(image.output.f_direct_val, 12);
    EXPECT_EQ(image.output.f_flow_err, 12500); // not a number: the default

    const IniFile back = ini(file);
    EXPECT_EQ(back.readInt("el_clear", "time_val", 0), 3600);
    EXPECT_EQ(back.readInt("IZM", "write_file", 0), 1);
    EXPECT_EQ(back.readInt("IZM", "write_all_izm_file", 0), 1);
    EXPECT_EQ(back.readInt("Seach", "beg", 0), 1);
    EXPECT_EQ(back.readInt("Seach", "end", 0), 5);
    EXPECT_EQ(back.readString("output", "f_max", ""), "2501.00");
    // Keys keep their spelling and place; the file keeps its line ends.
    const std::string head = "[el_clear]\r\ntime_val=3600\r\nel_clear_time_";
    EXPECT_EQ(readFile(file).substr(0, head.size()), head);
    EXPECT_NE(readFile(file).find("\r\nactivepageindex5=2\r\n"), std::string::npos);

    // A save writes the values in force, not the write-back values.
    ASSERT_TRUE(saveProfile(file, image, tools).ok);
    const IniFile saved = ini(file);
    EXPECT_EQ(saved.readInt("IZM", "write_file", 9), 0);
    EXPECT_EQ(saved.readInt("Seach", "beg", 0), 10);
    EXPECT_EQ(saved.readInt("Seach", "1200", 0), 1);
    EXPECT_EQ(saved.readInt("USR_REG_HOLD", "reg_15", 0), 65535);
    EXPECT_EQ(saved.readInt("TAB", "ActivePageIndex4", 0), 3);
}

TEST_F(ProfileFileTest, SaveLayoutOfANewFile) {
    DeviceImage image;
    ToolSettings tools = ToolSettings::defaults(work_);
    tools.TAB.ActivePageIndex4 = 4;
    tools.IZM.izm_modul_file_name = "modul.txt";
    tools.PATH.izm_dir = "/data/logs";
    image.IND.point = 2;
    image.MTR.mdat = "01.02.2003";
    const fs::path file = dir_ / "new.prf";
    ASSERT_TRUE(saveProfile(file, image, tools).ok);

    EXPECT_EQ(sectionsOf(file), (std::vector<std::string>{"IZM",
                                                          "ADC",
                                                          "TAB",
                                                          "PATH",
                                                          "PSW",
                                                          "err_en",
                                                          "izm_i_f_diskr",
                                                          "el_clear",
                                                          "izm_to_comp",
                                                          "output",
                                                          "i_control",
                                                          "adc_7793",
                                                          "sym_control",
                                                          "izm_general_param",
                                                          "vihr",
                                                          "Definition",
                                                          "TX",
                                                          "Seach",
                                                          "NEW_COMM",
                                                          "NEW_DAT",
                                                          "IND",
                                                          "MTR",
                                                          "USR_REG_HOLD",
                                                          "frame_write",
                                                          "err_msk"}));
    EXPECT_EQ(keysOf(file, "IZM"),
              (std::vector<std::string>{"write_file", "write_all_izm_file", "izm_file_name",
                                        "all_izm_file_name"}));
    EXPECT_EQ(
        keysOf(file, "TAB"),
        (std::vector<std::string>{"num", "ActivePageIndex", "ActivePageIndex1", "ActivePageIndex2",
                                  "ActivePageIndex4", "ActivePageIndex5"}));
    EXPECT_EQ(keysOf(file, "el_clear"),
              (std::vector<std::string>{"el_clear_time_interval_val_h", "el_clear_time_on_val_s",
                                        "time_val"}));
    EXPECT_EQ(keysOf(file, "USR_REG_HOLD").size(), 16u);
    const IniFile saved = ini(file);
    EXPECT_EQ(saved.readString("PATH", "adc_dir", ""), "/data/logs");
    EXPECT_EQ(saved.readInt("TAB", "ActivePageIndex4", 0), 4);
    EXPECT_EQ(saved.readInt("IND", "point", 0), 2);
    EXPECT_EQ(saved.readString("MTR", "mdat", ""), "01.02.2003");
    EXPECT_TRUE(saved.hasKey("Definition", "txt3"));
    EXPECT_EQ(saved.readString("Definition", "txt0", "?"), "");
}

TEST_F(ProfileFileTest, SaveKeepsWhatItDoesNotKnowInPlace) {
    const fs::path file = dir_ / "old.prf";
    put(file, "; made by hand\n"
              "[Mine]\n"
              "x=1\n"
              "[Definition]\n"
              "txt0=Flowmeter 1.2.3\n"
              "[PSW]\n"
              "own=keep\n"
              "PSW=1\n");
    DeviceImage image;
    image.PSW.PSW = 4321;
    ASSERT_TRUE(saveProfile(file, image, ToolSettings::defaults(work_)).ok);
    const std::string text = readFile(file);
    const std::string head = "; made by hand\n[Mine]\nx=1\n"
                             "[Definition]\ntxt0=\ntxt1=\ntxt2=\ntxt3=\n"
                             "[PSW]\nown=keep\nPSW=4321\n";
    EXPECT_EQ(text.substr(0, head.size()), head);
}

TEST_F(ProfileFileTest, RoundTripThroughTheTables) {
    DeviceImage image;
    ToolSettings tools = ToolSettings::defaults(work_);
    int n = 0;
    forEachLoadedRow([&](const ProfileSection&, const ProfileKey& row) {
        if ((row.flags & key_flags::Save) == 0) {
            return;
        }
        ++n;
        std::visit(
            [&](auto* p) {
                using T = std::remove_pointer_t<decltype(p)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    *p = "путь " + std::to_string(n);
                } else if constexpr (std::is_same_v<T, float>) {
                    *p = static_cast<float>(n) + (row.kind == ValueKind::Float2 ? 0.5f : 0.0625f);
                } else if constexpr (std::is_same_v<T, std::uint32_t>) {
                    *p = 100000u + static_cast<std::uint32_t>(n);
                } else if constexpr (std::is_same_v<T, std::int32_t>) {
                    *p = -n;
                } else {
                    *p = static_cast<T>(1000 + n);
                }
            },
            *refOf(row, image, tools));
    });
    image.el_clear.time_val = 1800; // within its ceiling
    EXPECT_GT(n, 150);

    const fs::path file = dir_ / "round.prf";
    ASSERT_TRUE(saveProfile(file, image, tools).ok);
    DeviceImage loadedImage;
    ToolSettings loadedTools;
    ASSERT_TRUE(loadProfile(file, loadedImage, loadedTools, work_).ok);
    forEachLoadedRow([&](const ProfileSection& section, const ProfileKey& row) {
        if ((row.flags & key_flags::Save) != 0) {
            EXPECT_EQ(valueOf(*refOf(row, loadedImage, loadedTools)),
                      valueOf(*refOf(row, image, tools)))
                << section.name << "/" << row.key;
        }
    });
}

TEST_F(ProfileFileTest, InterruptedSaveLeavesTheOldProfile) {
    const fs::path file = dir_ / "keep.prf";
    DeviceImage image;
    image.PSW.PSW = 1111;
    ToolSettings tools = ToolSettings::defaults(work_);
    ASSERT_TRUE(saveProfile(file, image, tools).ok);
    const std::string old = readFile(file);

    image.PSW.PSW = 2222;
    bool reached = false;
    const ProfileResult result = saveProfile(file, image, tools, [&](const fs::path& temporary) {
        reached = true;
        EXPECT_NE(readFile(temporary).find("PSW=2222"), std::string::npos);
        return false; // the program dies here
    });
    EXPECT_TRUE(reached);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(readFile(file), old);
    DeviceImage reloaded;
    ToolSettings reloadedTools;
    EXPECT_TRUE(loadProfile(file, reloaded, reloadedTools, work_).ok);
    EXPECT_EQ(reloaded.PSW.PSW, 1111);
}

TEST_F(ProfileFileTest, BadFilesNeverStopALoad) {
    // Garbage with a readable key in the middle, Windows-1251 text, duplicates, keys in another
    // case, lines without "=", a 10 kB value.
    std::string bytes;
    for (int i = 0; i < 3000; ++i) {
        bytes.push_back(static_cast<char>((i * 131 + 7) & 0xFF));
    }
    const std::string longValue(10 * 1024, 'z');
    bytes += "\n[psw]\nPsw=12\npsw=13\n[PSW]\nPSW=14\n"
             "[Form title]\nform_title=\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xE0\n"
             "[USR]\nusr_txt=" +
             longValue +
             "\nno equals here\n"
             "[output]\nF_MAX=5000\n";
    const fs::path file = dir_ / "bad.prf";
    put(file, bytes);
    DeviceImage image;
    ToolSettings tools;
    EXPECT_TRUE(loadProfile(file, image, tools, work_).ok);
    EXPECT_EQ(image.PSW.PSW, 12);
    EXPECT_EQ(tools.form_title, "Программа");
    EXPECT_EQ(tools.usr_txt, longValue);
    EXPECT_EQ(image.output.f_max, 5000);
    EXPECT_EQ(image.i_control.code_direct, 43690);

    // A profile path that is a directory cannot be read: defaults, and the directory stays.
    DeviceImage fromDir;
    fromDir.PSW.PSW = 99;
    const ProfileResult dirResult = loadProfile(dir_, fromDir, tools, work_);
    EXPECT_FALSE(dirResult.ok);
    EXPECT_EQ(fromDir.PSW.PSW, 0);
    EXPECT_TRUE(fs::is_directory(dir_));

    // A profile in a directory that does not exist: defaults, and the caller hears why the
    // file could not be written.
    DeviceImage missing;
    const ProfileResult missingResult =
        loadProfile(dir_ / "no" / "such.prf", missing, tools, work_);
    EXPECT_FALSE(missingResult.ok);
    EXPECT_NE(missingResult.message.find("no"), std::string::npos);
    EXPECT_EQ(missing.i_control.flow_v_max, 72.0f);
    const ProfileResult saveResult = saveProfile(dir_ / "no" / "such.prf", missing, tools);
    EXPECT_FALSE(saveResult.ok);
    EXPECT_FALSE(saveResult.message.empty());
}

TEST_F(ProfileFileTest, ReadOnlyProfileIsOverwrittenAndUnchangedFileIsNotRewritten) {
    const fs::path file = dir_ / "ro.prf";
    DeviceImage image;
    ToolSettings tools = ToolSettings::defaults(work_);
    ASSERT_TRUE(saveProfile(file, image, tools).ok);
    DeviceImage loaded;
    ASSERT_TRUE(loadProfile(file, loaded, tools, work_).ok); // completes the file
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    ASSERT_TRUE(loadProfile(file, loaded, tools, work_).ok); // nothing to complete now
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);

    fs::permissions(file, fs::perms::owner_read);
    image.PSW.PSW = 55;
    ASSERT_TRUE(saveProfile(file, image, tools).ok);
    EXPECT_EQ(ini(file).readInt("PSW", "PSW", 0), 55);
}

TEST_F(ProfileFileTest, DirectoryWithoutWritePermission) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not bind root";
    }
    const fs::path file = dir_ / "locked" / "p.prf";
    fs::create_directories(file.parent_path());
    put(file, "[PSW]\nPSW=7\n");
    fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    DeviceImage image;
    ToolSettings tools;
    const ProfileResult loaded = loadProfile(file, image, tools, work_);
    EXPECT_FALSE(loaded.ok);     // the completed file cannot be written back...
    EXPECT_EQ(image.PSW.PSW, 7); // ...but the values are loaded
    image.PSW.PSW = 8;
    EXPECT_FALSE(saveProfile(file, image, tools).ok);
    fs::permissions(file.parent_path(), fs::perms::owner_all);
    EXPECT_EQ(readFile(file), "[PSW]\nPSW=7\n");
}

TEST(SaveDialogRule, AppendsTheExtensionForANewNameWithTheProfileFilter) {
    const TempDir temp("flowcfg-rule");
    const fs::path& dir = temp.path();
    const std::string abc = (dir / "abc").string();
    EXPECT_EQ(applySaveDialogRule(abc, 0), abc + ".prf");
    EXPECT_EQ(applySaveDialogRule(abc, 1), abc); // "Все файлы"
    EXPECT_EQ(applySaveDialogRule(abc + ".prf", 0), abc + ".prf");
    EXPECT_EQ(applySaveDialogRule(abc + ".PRF", 0), abc + ".PRF");
    std::ofstream(dir / "abc") << "x";
    EXPECT_EQ(applySaveDialogRule(abc, 0), abc); // an existing abc is overwritten
}

} // namespace flowcfg::test
