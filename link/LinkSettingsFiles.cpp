// dev.dat and to.dat: read at start-up (every key read with its default, corrected and
// written back, so the files list every key after the first start) and dev.dat written at
// exit. Both files go through IniFile, which saves atomically.

#include "link/LinkSettings.h"
#include "platform/IniFile.h"

#include <array>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

namespace flowcfg {

namespace {

constexpr std::string_view kComSettings = "COM_SETTINGS";
constexpr std::string_view kDevice = "DEVICE";
constexpr std::string_view kSettings = "SETTINGS";
constexpr std::string_view kLog = "LOG";
constexpr std::string_view kPorts = "PORTS";
constexpr std::string_view kTimeOuts = "TIME_OUTS";
constexpr std::string_view kQuickAnswerEnd = "QuickAnswerEnd";
constexpr std::uint16_t kMaxGap = 255;
constexpr std::uint16_t kHighestPort = 63;

constexpr std::array<std::string_view, 9> kSpeedKeys = {"1200",  "2400",  "4800",   "9600", "19200",
                                                        "38400", "57600", "115200", "DF"};

// A key's correction on reading. It sees the value as the file holds it, however large, so a
// value beyond 16 bits gets the correction it would get within them (TimeGapPrg 70000 is
// 255). A negative value, or a large one that no correction covers, gives the default.
struct Correction {
    std::int64_t min = 0, max = std::numeric_limits<std::uint16_t>::max();
    std::optional<std::uint16_t> below = std::nullopt, above = std::nullopt; // nullopt: default
};

constexpr Correction kAsRead{};
constexpr Correction kGap{.max = kMaxGap, .above = kMaxGap}; // above 255 becomes 255
constexpr Correction kAddress{.min = 1, .max = 255, .below = 1, .above = 1}; // 0 or above 255: 1
constexpr Correction kAttempts{.min = 1, .below = 1};                        // 0 becomes 1

std::uint16_t corrected(std::int64_t v, std::uint16_t defaultValue, const Correction& c) {
    if (v < 0)
        return defaultValue;
    if (v < c.min)
        return c.below.value_or(defaultValue);
    if (v > c.max)
        return c.above.value_or(defaultValue);
    return static_cast<std::uint16_t>(v);
}

// A value that is not a number, or does not fit 16 bits, gives the default.
std::uint16_t readWord(const IniFile& ini, std::string_view section, std::string_view key,
                       std::uint16_t defaultValue) {
    return corrected(ini.readInt(section, key, defaultValue), defaultValue, kAsRead);
}

// Reads a key with its default, applies the correction and writes the result back.
std::uint16_t normalise(IniFile& ini, std::string_view section, std::string_view key,
                        std::uint16_t defaultValue, const Correction& correction = kAsRead) {
    const std::uint16_t v =
        corrected(ini.readInt(section, key, defaultValue), defaultValue, correction);
    ini.writeInt(section, key, v);
    return v;
}

// The LOG limit of COM.txt: kilobytes, 32 bits; anything else gives the default.
std::uint32_t normaliseLogLimit(IniFile& ini, std::uint32_t defaultValue) {
    std::int64_t v = ini.readInt(kLog, "LogFileMaxKB", defaultValue);
    if (v < 0 || v > std::numeric_limits<std::uint32_t>::max())
        v = defaultValue;
    ini.writeInt(kLog, "LogFileMaxKB", v);
    return static_cast<std::uint32_t>(v);
}

// Why a settings file was not read, for the command line.
void reportUnreadable(const IniFile& ini, std::string* problem) {
    if (problem)
        *problem = ini.loadFailureText() + ": действуют значения по умолчанию";
}

std::uint16_t limitGap(std::uint16_t v) {
    return v > kMaxGap ? kMaxGap : v;
}

std::string portKey(std::uint16_t n) {
    return "COM" + std::to_string(n);
}

void createDefaultDevDat(IniFile& ini, std::uint16_t timeOut, std::uint16_t useLogFile) {
    ini.writeInt(kComSettings, "Number", 1);
    ini.writeString(kComSettings, "Settings", "19200,N,8,1");
    ini.writeInt(kComSettings, "DELY", 0);
    ini.writeInt(kDevice, "NetAdrr", 1);
    ini.writeInt(kSettings, "TimeOut", timeOut);
    ini.writeInt(kLog, "UseLogFile", useLogFile);
}

} // namespace

LinkSettings readLinkSettings(const std::filesystem::path& workDir, std::string* problem) {
    LinkSettings s;
    s.workDir = workDir;
    std::error_code ec;
    std::filesystem::create_directories(workDir, ec); // where COM.txt goes

    IniFile ini(workDir / "dev.dat");
    // A dev.dat that exists but cannot be read is left alone: the defaults serve this run.
    const bool readable = ini.load();
    if (!readable)
        reportUnreadable(ini, problem);
    if (!ini.existed()) {
        createDefaultDevDat(ini, 2000, 0);
        ini.writeInt(kSettings, "TimeGapDev", 0);
        ini.writeInt(kSettings, "TimeGapPrg", 0);
    }

    s.Reask_val = normalise(ini, kSettings, "Reask_val", 2, kAttempts);
    s.read_hold_reg_err_msk = normalise(ini, kSettings, "read_hold_reg_err_msk", 127);
    s.Number = normalise(ini, kComSettings, "Number", 1);
    s.Settings = ini.readString(kComSettings, "Settings", "19200,N,8,1");
    ini.writeString(kComSettings, "Settings", s.Settings);
    parseSettingsText(s.Settings, s.speedIndex, s.parity);

    s.NetAdrr = normalise(ini, kDevice, "NetAdrr", 1, kAddress);
    s.DELY = normalise(ini, kComSettings, "DELY", 0);
    s.TimeOut = normalise(ini, kSettings, "TimeOut", 2000);
    s.UseLogFile = normalise(ini, kLog, "UseLogFile", 1);
    s.LogFileMaxKB = normaliseLogLimit(ini, s.LogFileMaxKB);
    s.TimeGapDev = normalise(ini, kSettings, "TimeGapDev", 0, kGap);
    s.TimeGapPrg = normalise(ini, kSettings, "TimeGapPrg", 0, kGap);
    // Not written back: a file that never had it stays as it was.
    s.QuickAnswerEnd = readWord(ini, kSettings, kQuickAnswerEnd, 0) == 1 ? 1 : 0;

    for (std::uint16_t n = 1; n <= kHighestPort; ++n) {
        std::string path = ini.readString(kPorts, portKey(n), "");
        if (!path.empty())
            s.portPaths[n] = std::move(path);
    }

    if (readable)
        ini.save(); // a file that cannot be written still gives this run its settings
    return s;
}

TimeoutTable readTimeoutTable(const std::filesystem::path& workDir, std::string* problem) {
    TimeoutTable t;
    IniFile ini(workDir / "to.dat");
    const bool readable = ini.load();
    if (!readable)
        reportUnreadable(ini, problem);
    const TimeoutTable defaults;
    const auto key = [](std::string_view prefix, std::size_t slot) {
        return std::string(prefix) + std::string(kSpeedKeys[slot]);
    };
    if (!ini.existed()) {
        for (std::size_t i = 0; i < kSpeedKeys.size(); ++i)
            ini.writeInt(kTimeOuts, key("RTTM", i), defaults.RTTM[i]);
        for (std::size_t i = 0; i < kSpeedKeys.size(); ++i)
            ini.writeInt(kTimeOuts, key("RIT", i), defaults.RIT[i]);
    }
    for (std::size_t i = 0; i < kSpeedKeys.size(); ++i)
        t.RTTM[i] = normalise(ini, kTimeOuts, key("RTTM", i), defaults.RTTM[i]);
    for (std::size_t i = 0; i < kSpeedKeys.size(); ++i)
        t.RIT[i] = normalise(ini, kTimeOuts, key("RIT", i), defaults.RIT[i]);
    if (readable)
        ini.save();
    return t;
}

bool writeLinkSettings(const LinkSettings& s, std::string* error) {
    IniFile ini(s.workDir / "dev.dat");
    if (!ini.load()) {
        // Saving over a file we could not read would lose its unknown keys.
        if (error)
            *error = ini.loadFailureText() + std::string(IniFile::kNotOverwritten);
        return false;
    }
    if (!ini.existed()) {
        createDefaultDevDat(ini, 200, 1);
        ini.writeString(kLog, "LogFileName", "COM.txt");
    }
    ini.writeInt(kSettings, "reask_val", s.Reask_val);
    ini.writeInt(kComSettings, "Number", s.Number);
    ini.writeString(kComSettings, "Settings", composeSettingsText(s.speedIndex, s.parity));
    ini.writeInt(kDevice, "NetAdrr", s.NetAdrr);
    ini.writeInt(kComSettings, "DELY", s.DELY);
    ini.writeInt(kSettings, "TimeOut", s.TimeOut);
    ini.writeInt(kLog, "UseLogFile", s.UseLogFile);
    std::error_code ec;
    const std::filesystem::path log = std::filesystem::absolute(s.logPath(), ec);
    ini.writeString(kLog, "LogFileName", (ec ? s.logPath() : log).string());
    ini.writeInt(kLog, "LogFileMaxKB", s.LogFileMaxKB);
    ini.writeInt(kSettings, "TimeGapDev", limitGap(s.TimeGapDev));
    ini.writeInt(kSettings, "TimeGapPrg", limitGap(s.TimeGapPrg));
    for (const auto& [n, path] : s.portPaths)
        ini.writeString(kPorts, portKey(n), path);
    if (s.QuickAnswerEnd == 1 || ini.hasKey(kSettings, kQuickAnswerEnd))
        ini.writeInt(kSettings, kQuickAnswerEnd, s.QuickAnswerEnd == 1 ? 1 : 0);
    return ini.save(error);
}

} // namespace flowcfg
