#include "platform/IniFile.h"

#include "TestFiles.h"
#include "platform/TextEncoding.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace flowcfg::test {

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    // A test may leave the directory read-only: give it back for the removal.
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::path file(const std::string& name) const { return dir_ / name; }
    static void put(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    IniFile loaded(const std::string& bytes) {
        put(file("t.ini"), bytes);
        IniFile ini(file("t.ini"));
        EXPECT_TRUE(ini.load());
        return ini;
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }
    TempDir temp_{"flowcfg-ini"};
    const fs::path dir_ = temp_.path();
};

} // namespace

TEST_F(IniFileTest, ReadsWithProfileStringSemantics) {
    const IniFile ini = loaded("[Main]\r\n"
                               "  Name =  value with spaces \t\r\n"
                               "Count=42abc\r\n"
                               "Neg= -17\r\n"
                               "Plus=+5\r\n"
                               "Word=abc\r\n"
                               "Empty=\r\n"
                               "Eq=a=b\r\n"
                               "; comment=not a key\r\n"
                               "no equals sign here\r\n");
    EXPECT_EQ(ini.readString("main", "NAME", "d"), "value with spaces");
    EXPECT_EQ(ini.readString("MAIN", "missing", "d"), "d");
    EXPECT_EQ(ini.readString("Other", "Name", "d"), "d");
    EXPECT_EQ(ini.readString("Main", "Empty", "d"), "");
    EXPECT_EQ(ini.readString("Main", "Eq", "d"), "a=b");
    EXPECT_FALSE(ini.hasKey("Main", "; comment"));
    EXPECT_FALSE(ini.hasKey("Main", "no equals sign here"));
    EXPECT_EQ(ini.readInt("Main", "Count", 7), 42);
    EXPECT_EQ(ini.readInt("Main", "Neg", 7), -17);
    EXPECT_EQ(ini.readInt("Main", "Plus", 7), 5);
    EXPECT_EQ(ini.readInt("Main", "Word", 7), 7);
    EXPECT_EQ(ini.readInt("Main", "Empty", 7), 7);
    EXPECT_EQ(ini.readInt("Main", "Name", 7), 7);
    EXPECT_EQ(ini.readInt("Main", "missing", 7), 7);
    EXPECT_TRUE(ini.hasSection("mAiN"));
    EXPECT_TRUE(ini.existed());
}

// Only ASCII letters fold, in names of any length; other bytes never do, though the upper and
// lower case of a Cyrillic letter differ by the ASCII case bit, as do C4 ("Ā") and E4.
TEST_F(IniFileTest, NamesMatchWithoutRegardToAsciiCaseOnly) {
    const IniFile ini = loaded("[Измерение Long Section]\nFlow_V_For_Pulse_Unit=1\nĀ=2\n");
    const struct {
        std::string_view section, key;
        bool found;
    } cases[] = {
        {"Измерение Long Section", "Flow_V_For_Pulse_Unit", true},
        {"Измерение LONG section", "FLOW_V_FOR_PULSE_UNIT", true},
        {"измерение Long Section", "Flow_V_For_Pulse_Unit", false},
        {"Измерение Long Section", "flow_v_for_pulse_unix", false},
        {"Измерение Long Section", "flow_v_for_pulse_uni", false},
        {"Измерение Long Sectio", "Flow_V_For_Pulse_Unit", false},
        {"Измерение Long Section", "Ā", true},
        {"Измерение Long Section", "\xE4\x80", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.hasKey(c.section, c.key), c.found) << c.section << " / " << c.key;
    }
}

TEST_F(IniFileTest, DuplicatesFirstWinsForReadAndWrite) {
    IniFile ini = loaded("[A]\nk=1\nK=2\n[a]\nk=3\nx=4\n");
    EXPECT_EQ(ini.readInt("A", "k", 0), 1);
    EXPECT_FALSE(ini.hasKey("A", "x")); // only the first [A] is looked at
    ini.writeInt("a", "K", 9);
    EXPECT_EQ(ini.text(), "[A]\nk=9\nK=2\n[a]\nk=3\nx=4\n");
}

TEST_F(IniFileTest, WritesInPlaceAndKeepsWhatItDoesNotKnow) {
    IniFile ini = loaded("; header comment\r\n"
                         "[One]\r\n"
                         "a=1\r\n"
                         "junk line\r\n"
                         "b=2\r\n"
                         "\r\n"
                         "[Two]\r\n"
                         "c=3\r\n");
    ini.writeString("one", "A", "10");  // replaced in place, key spelling kept
    ini.writeString("ONE", "new", "x"); // appended after the last key of its section
    ini.writeInt("Three", "d", -4);     // section created at the end
    ini.writeString("Three", "e", "line\nbreak");
    EXPECT_EQ(ini.text(), "; header comment\r\n"
                          "[One]\r\n"
                          "a=10\r\n"
                          "junk line\r\n"
                          "b=2\r\n"
                          "new=x\r\n"
                          "\r\n"
                          "[Two]\r\n"
                          "c=3\r\n"
                          "[Three]\r\n"
                          "d=-4\r\n"
                          "e=line break\r\n");
    EXPECT_EQ(ini.readInt("three", "D", 0), -4);
}

TEST_F(IniFileTest, MissingEmptyAndGarbageFilesLoadAsEmpty) {
    IniFile missing(file("none.ini"));
    EXPECT_TRUE(missing.load());
    EXPECT_FALSE(missing.existed());
    EXPECT_EQ(missing.readString("A", "b", "def"), "def");

    const IniFile empty = loaded("");
    EXPECT_EQ(empty.text(), "");
    EXPECT_EQ(empty.readInt("A", "b", 3), 3);

    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919 + 13) & 0xFF));
    }
    garbage += "\n[S]\nk=v\n";
    const IniFile g = loaded(garbage);
    EXPECT_EQ(g.readString("S", "k", ""), "v");

    // A directory or a FIFO where the file should be cannot be read, and does not hang.
    fs::create_directory(file("dir.ini"));
    IniFile d(file("dir.ini"));
    EXPECT_FALSE(d.load());
    ASSERT_EQ(::mkfifo(file("fifo.ini").c_str(), 0600), 0);
    IniFile fifo(file("fifo.ini"));
    EXPECT_FALSE(fifo.load());
}

TEST_F(IniFileTest, ByteOrderMarkIsKept) {
    IniFile ini = loaded("\xEF\xBB\xBF[A]\r\nk=1\r\n");
    EXPECT_EQ(ini.readInt("A", "k", 0), 1);
    ini.writeInt("A", "k", 2);
    EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[A]\r\nk=2\r\n");
}

TEST_F(IniFileTest, Windows1251LinesAreDecoded) {
    // "Расход" in Windows-1251, then the same word in UTF-8.
    const IniFile ini = loaded("[S]\n"
                               "a=\xD0\xE0\xF1\xF5\xEE\xE4 \xB9\n"
                               "b=\xD0\xA0\xD0\xB0\xD1\x81\xD1\x85\xD0\xBE\xD0\xB4\n");
    EXPECT_EQ(ini.readString("S", "a", ""), "Расход №");
    EXPECT_EQ(ini.readString("S", "b", ""), "Расход");
    EXPECT_EQ(cp1251ToUtf8("\x80\x98\xA8\xB8\xC0\xFF"), "Ђ\u0098ЁёАя");
    EXPECT_FALSE(isValidUtf8("\xC0\x80"));         // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xD0"));             // truncated
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
}

TEST_F(IniFileTest, BytesThatAreNotUtf8ComeBackAsWritten) {
    // A Linux path in Latin-1, not UTF-8: saved and loaded again, byte for byte. The saved
    // file is marked as UTF-8, so the value is not taken for Windows-1251.
    const std::string path = "/home/user/caf\xE9/izm.txt";
    IniFile ini(file("p.ini"));
    ini.writeString("IZM", "izm_file_name", path);
    ini.writeString("IZM", "title", "Расход");
    ASSERT_TRUE(ini.save());
    EXPECT_EQ(readFile(file("p.ini")),
              "\xEF\xBB\xBF[IZM]\nizm_file_name=" + path + "\ntitle=Расход\n");
    IniFile back(file("p.ini"));
    ASSERT_TRUE(back.load());
    EXPECT_EQ(back.readString("IZM", "izm_file_name", ""), path);
    EXPECT_EQ(back.readString("IZM", "title", ""), "Расход");
}

TEST_F(IniFileTest, LongValuesAndLargeFiles) {
    const std::string big(10 * 1024, 'x');
    IniFile ini = loaded("[S]\nv=" + big + "\n");
    EXPECT_EQ(ini.readString("S", "v", ""), big);

    // About 50 MB: sections of keys with long junk lines between them, as a damaged file
    // might have. Loads in one pass; writes into it stay cheap.
    const std::string junk(1000, '#');
    std::string text;
    text.reserve(51 * 1024 * 1024);
    for (int s = 0; text.size() < 50u * 1024 * 1024; ++s) {
        text += "[Section" + std::to_string(s) + "]\n";
        for (int k = 0; k < 10; ++k) {
            text += "key" + std::to_string(k) + "=value " + std::to_string(s * 10 + k) + "\n";
            text += junk + "\n";
        }
    }
    IniFile large = loaded(text);
    EXPECT_EQ(large.readString("section17", "KEY5", ""), "value 175");
    for (int i = 0; i < 1000; ++i) {
        large.writeInt("Section3", "added" + std::to_string(i), i);
    }
    EXPECT_EQ(large.readInt("Section3", "added999", 0), 999);
    EXPECT_TRUE(large.save());
}

TEST_F(IniFileTest, SaveReplacesAtomicallyAndKeepsLineEnds) {
    put(file("p.ini"), "[A]\r\nk=1\r\n");
    IniFile ini(file("p.ini"));
    ASSERT_TRUE(ini.load());
    ini.writeInt("A", "k", 2);
    std::string error;
    ASSERT_TRUE(ini.save(&error)) << error;
    EXPECT_EQ(readFile(file("p.ini")), "[A]\r\nk=2\r\n");
    EXPECT_EQ(entries(), 1u); // no temporary file left behind

    IniFile fresh(file("new.ini"));
    ASSERT_TRUE(fresh.load());
    fresh.writeString("Sec", "key", "v");
    ASSERT_TRUE(fresh.save(&error)) << error;
    EXPECT_EQ(readFile(file("new.ini")), "[Sec]\nkey=v\n");
}

TEST_F(IniFileTest, SaveThroughASymbolicLinkReplacesTheFileItNames) {
    fs::create_directory(file("real"));
    put(file("real/p.ini"), "[A]\nk=1\n");
    fs::create_symlink(file("real/p.ini"), file("link.ini"));
    IniFile ini(file("link.ini"));
    ASSERT_TRUE(ini.load());
    ini.writeInt("A", "k", 2);
    ASSERT_TRUE(ini.save());
    EXPECT_TRUE(fs::is_symlink(file("link.ini")));
    EXPECT_EQ(readFile(file("real/p.ini")), "[A]\nk=2\n");
}

TEST_F(IniFileTest, ReadOnlyTargetIsOverwritten) {
    put(file("ro.ini"), "[A]\nk=1\n");
    fs::permissions(file("ro.ini"), fs::perms::owner_read | fs::perms::group_read);
    IniFile ini(file("ro.ini"));
    ASSERT_TRUE(ini.load());
    ini.writeInt("A", "k", 2);
    std::string error;
    ASSERT_TRUE(ini.save(&error)) << error;
    EXPECT_EQ(readFile(file("ro.ini")), "[A]\nk=2\n");
    const auto perms = fs::status(file("ro.ini")).permissions();
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
}

TEST_F(IniFileTest, FailedSaveReportsAndKeepsTheOldFile) {
    // Missing directory.
    IniFile missingDir(file("no/such/dir/x.ini"));
    missingDir.writeInt("A", "k", 1);
    std::string error;
    EXPECT_FALSE(missingDir.save(&error));
    EXPECT_NE(error.find("no/such/dir"), std::string::npos) << error;

    // Interrupted after the temporary file is written: the old file stays as it was.
    put(file("p.ini"), "[A]\nk=1\n");
    IniFile ini(file("p.ini"));
    ASSERT_TRUE(ini.load());
    ini.writeInt("A", "k", 2);
    fs::path seen;
    ini.setBeforeReplaceHook([&](const fs::path& temporary) {
        seen = temporary;
        EXPECT_EQ(readFile(temporary), "[A]\nk=2\n");
        return false;
    });
    error.clear();
    EXPECT_FALSE(ini.save(&error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(seen.parent_path(), dir_);
    EXPECT_EQ(readFile(file("p.ini")), "[A]\nk=1\n");
    EXPECT_EQ(entries(), 1u);

    // A directory without write permission (root ignores permissions).
    if (::geteuid() != 0) {
        fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
        IniFile locked(file("p.ini"));
        ASSERT_TRUE(locked.load());
        locked.writeInt("A", "k", 3);
        EXPECT_FALSE(locked.save(&error));
        fs::permissions(dir_, fs::perms::owner_all);
        EXPECT_EQ(readFile(file("p.ini")), "[A]\nk=1\n");
    }
}

TEST_F(IniFileTest, SaveRemovesWhatAKilledSaveLeftBehind) {
    put(file("p.ini"), "[A]\nk=1\n");
    // A child killed with SIGKILL in the middle of its save: its temporary file stays.
    const pid_t child = ::fork();
    if (child == 0) {
        IniFile ini(file("p.ini"));
        ini.load();
        ini.writeInt("A", "k", 2);
        ini.setBeforeReplaceHook([](const fs::path&) {
            ::raise(SIGKILL);
            return false;
        });
        ini.save();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(readFile(file("p.ini")), "[A]\nk=1\n");
    ASSERT_EQ(entries(), 2u);
    // A save that is still writing holds its temporary file locked: that one is left alone.
    put(file(".p.ini.tmp-LiveXX"), "being written");
    const int live = ::open(file(".p.ini.tmp-LiveXX").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    IniFile ini(file("p.ini"));
    ASSERT_TRUE(ini.load());
    ini.writeInt("A", "k", 3);
    ASSERT_TRUE(ini.save());
    ::close(live);
    EXPECT_EQ(readFile(file("p.ini")), "[A]\nk=3\n");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".p.ini.tmp-LiveXX", "p.ini"}));
}

} // namespace flowcfg::test
