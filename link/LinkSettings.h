#pragma once
// dev.dat (LinkSettings) and to.dat (TimeoutTable) in memory, with their readers (start-up:
// every key read with its default, corrected and written back) and the exit writer.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace flowcfg {

struct LinkSettings {
    // COM_SETTINGS
    std::uint16_t Number = 1;             // COM port number
    std::string Settings = "19200,N,8,1"; // only speed and parity are taken from it
    std::uint16_t DELY = 0;
    // DEVICE
    std::uint16_t NetAdrr = 1;
    // SETTINGS
    std::uint16_t TimeOut = 2000; // read total constant, ms
    std::uint16_t TimeGapDev = 0;
    std::uint16_t TimeGapPrg = 0; // added to every read timeout
    std::uint16_t Reask_val = 2;  // attempts per transaction
    std::uint16_t read_hold_reg_err_msk = 127;
    // 1: a read ends as soon as a whole answer is in (see ModbusMaster.h), instead of the
    // interval timeout after it. Older files lack the key: off.
    std::uint16_t QuickAnswerEnd = 0;
    // LOG
    std::uint16_t UseLogFile = 1;
    // COM.txt grows to this many kilobytes, then becomes COM.txt.1 (replacing an older one)
    // and a new COM.txt starts; 0 = no limit. A dev.dat without the key gets the default.
    std::uint32_t LogFileMaxKB = 10240;
    // This run only, never stored (flowcfg-cli --timeout): when not 0, the longest wait for a
    // whole answer in ms (plus TimeGapPrg), for every transaction, in place of to.dat's
    // per-byte times, TimeOut and the archive block's own total.
    std::uint32_t answerTimeoutMs = 0;
    // This run only, never stored (the bus scan's short try): when not 0, a read gives up when
    // the first byte of the answer has not come this many ms (plus TimeGapPrg) after the
    // request; once it has, the timeouts above hold for the rest of the answer.
    std::uint32_t firstByteTimeoutMs = 0;
    // Derived from Settings, changed by the selectors.
    std::uint16_t speedIndex = 7; // 3..10 = 1200..115200
    std::uint16_t parity = 0;     // 0 none, 1 odd, 2 even
    // Section PORTS: COMn=/dev/... overrides the default device of a port number.
    std::map<std::uint16_t, std::string> portPaths;
    // The working directory (where COM.txt goes).
    std::filesystem::path workDir;

    std::filesystem::path logPath() const { return workDir / "COM.txt"; }
};

struct TimeoutTable {
    // Index 0..7 = 1200..115200 baud, index 8 = any other speed (the DF keys).
    std::uint16_t RTTM[9] = {192, 96, 96, 48, 48, 48, 48, 48, 192};
    std::uint16_t RIT[9] = {192, 96, 96, 48, 48, 48, 48, 48, 192};
};

// Parses a Settings text ("115200,O,8,1") into the speed index and parity code.
void parseSettingsText(const std::string& text, std::uint16_t& speedIndex, std::uint16_t& parity);
// Composes the text written at exit ("9600,E,8,2").
std::string composeSettingsText(std::uint16_t speedIndex, std::uint16_t parity);
// Slot of TimeoutTable for a speed index: 0..7 for 3..10, 8 (the DF keys) for any other.
std::size_t timeoutSlot(std::uint16_t speedIndex);
// Baud rate of a speed index (19200 for any index the table does not know).
std::uint32_t baudOfSpeedIndex(std::uint16_t speedIndex);
// Bits of one character on the line: start, 8 data, parity when on (odd or even), one stop.
std::uint32_t bitsPerCharacter(const LinkSettings& settings);
// The silence between two frames in whole milliseconds, rounded up: 3.5 characters (start,
// 8 data, parity, stop bits) at the link's speed, and above 19200 baud the fixed 1.75 ms that
// Modbus slaves there use instead. 2 ms from 19200 up, 4 at 9600 8N1, 33 at 1200 8E1.
std::uint32_t frameSilenceMs(const LinkSettings& settings);

// Reads dev.dat in workDir (creating it with the reader's values when missing), corrects
// and writes every key back. Never fails: unreadable values give defaults. A dev.dat that
// exists but cannot be read (a directory, no permission) is left alone, and problem (when
// given) says so in Russian; otherwise problem is left empty.
LinkSettings readLinkSettings(const std::filesystem::path& workDir, std::string* problem = nullptr);
// Reads to.dat the same way.
TimeoutTable readTimeoutTable(const std::filesystem::path& workDir, std::string* problem = nullptr);
// The exit writer; false (with the reason, in Russian) when dev.dat cannot be written.
bool writeLinkSettings(const LinkSettings& settings, std::string* error = nullptr);

// The link status line: "COM1, 19200 , без паритета ".
std::string linkStatusText(const LinkSettings& settings);

} // namespace flowcfg
