#pragma once
// The bus scan ("Поиск прибора", flowcfg-cli scan): which meters answer on the line, at which
// address, speed and parity.
//
// Every chosen speed and parity is set on the port in turn, and at each of them every address
// of the range is asked for the device status word (0x012C, one register: any meter answers
// it, whatever its model and settings). An address that stays silent costs only the request
// and a short wait for the first byte of an answer (scanTryWaitMs), not the read timeout of
// dev.dat. An address that answers intact is a meter: the groups "ДАННЫЕ ПРИБОРА" reads
// (factory number, model, versions) are read from it at once with the link's own timeouts and
// repeats. The scan only reads: nothing is ever written to a meter.
//
// An answer that arrives damaged (CRC, length, line error, another address) means something
// is there: a meter at this speed but another parity or character size, two meters at one
// address, or noise. The try is made once more; an intact answer then counts as a meter, a
// second damaged one is listed as such (FoundMeter::damaged), without identity, and cannot be
// taken as the link.
//
//   BusScan scan(ctx, scanChoicesOf(tools.Seach));
//   scan.found = [](const FoundMeter& m) { ... };
//   scan.progress = [](const ScanProgress& p) { ... };
//   scan.stopRequested = [&] { return stopClicked; };
//   const ScanEnd end = scan.run(); // scan.meters() holds every find

#include "link/LinkContext.h"
#include "model/DeviceImage.h"
#include "profiles/ToolSettings.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

// The profile's section of the scan choices (its member and type share the name Seach).
using SeachSection = decltype(ToolSettings::Seach);

struct ScanChoices {
    std::vector<std::uint16_t> speedIndexes; // 3..10 (1200..115200), in the order tried
    std::vector<std::uint16_t> parities;     // 0 none, 1 odd, 2 even, in the order tried
    std::vector<std::uint16_t> addresses;    // 1..247, in the order tried
    std::size_t tries() const { return speedIndexes.size() * parities.size() * addresses.size(); }
    bool operator==(const ScanChoices&) const = default;
};

// The choices the profile keeps (section Seach): a speed or parity is chosen when its key is
// not 0; beg..end are the addresses.
ScanChoices scanChoicesOf(const SeachSection& seach);
// The choices back into the profile's section (1 for a chosen speed or parity, 0 otherwise;
// the lowest and highest address as beg and end), so that the next save keeps what was last
// scanned.
void keepScanChoices(const ScanChoices& choices, SeachSection& seach);
// Why the choices cannot be scanned, in Russian; empty when they can.
std::string scanChoicesProblem(const ScanChoices& choices);

struct FoundMeter {
    std::uint16_t address = 0, speedIndex = 0, parity = 0;
    bool damaged = false;      // only damaged answers came: something is there, nothing read
    bool identityRead = false; // the identity groups were read
    std::uint32_t factoryNumber = 0;
    std::uint16_t model = 0, softwareVersion = 0, hardwareVersion = 0;
    bool operator==(const FoundMeter&) const = default;
};

// The columns of a find, as the dialog's table and the command's lines show them.
inline constexpr std::array<std::string_view, 7> kFoundMeterColumns = {
    "АДРЕС", "СКОРОСТЬ", "ПАРИТЕТ", "ЗАВОДСКОЙ НОМЕР", "МОДЕЛЬ", "ВЕРСИЯ ПО", "ВЕРСИЯ КОНСТРУКЦИИ"};
// The cells of a find: "5", "9600", "Четный", "260417", "10", "3", "2". A damaged answer shows
// "ответ искажен" as its factory number, an identity that could not be read "не прочитан";
// the other identity cells are empty then.
std::array<std::string, 7> foundMeterCells(const FoundMeter& meter);

struct ScanProgress {
    std::size_t done = 0, total = 0;                       // tries
    std::uint64_t remainingMs = 0;                         // estimate of the time left
    std::uint16_t address = 0, speedIndex = 0, parity = 0; // the try being made
};

// A time to wait, for the estimates: "1 мин 05 с", "12 с" (whole seconds, rounded up).
std::string durationText(std::uint64_t ms);

// How long a try waits for the first byte of an answer after the request has gone out, in ms.
std::uint32_t scanTryWaitMs(const LinkSettings& settings);
// A silent try at these settings: the request on the line and the wait, in ms.
double scanTryMs(const LinkSettings& settings);
// The time a scan of the choices takes when nothing answers, in ms (settings give the port,
// DELY and TimeGapPrg).
std::uint64_t scanEstimateMs(const ScanChoices& choices, const LinkSettings& settings);

enum class ScanEnd : std::uint8_t {
    Finished,   // every try was made
    Stopped,    // stopRequested said so between two tries
    Busy,       // another operation holds the link: nothing was done
    PortFailed, // the port did not open or was lost (its box has been shown)
};

class BusScan {
public:
    BusScan(LinkContext& ctx, ScanChoices choices);

    std::function<void()> onStart; // once the scan holds the link (the window stops its poll)
    std::function<void(const ScanProgress&)> progress; // before every try
    std::function<void(const FoundMeter&)> found;      // after every find
    std::function<bool()> stopRequested;               // asked before every try

    // Runs the whole scan. The link settings are the same afterwards and the port is open
    // with them again.
    ScanEnd run();
    const std::vector<FoundMeter>& meters() const { return meters_; }

private:
    ScanEnd scanLine(const LinkSettings& base, std::uint16_t speedIndex, std::uint16_t parity);
    void readIdentity(const LinkSettings& base, FoundMeter& meter);

    LinkContext& ctx_;
    ScanChoices choices_;
    std::vector<FoundMeter> meters_;
    DeviceImage scratch_; // the identity reads land here, never in the tool's image
    std::size_t done_ = 0, total_ = 0;
    double predictedDone_ = 0, predictedLeft_ = 0;
    std::uint64_t startMs_ = 0;
};

// Makes a found meter's address, speed and parity the link's, as the selectors of
// "НАСТРОЙКИ ПРОГРАММЫ" store them. Returns whether the port must be reopened.
bool takeFoundMeter(LinkSettings& settings, const FoundMeter& meter);

} // namespace flowcfg
