#include "config/BusScan.h"

#include "config/DeviceServicePages.h"
#include "link/LinkSettingsScreen.h"
#include "link/Ports.h"
#include "model/Encodings.h"
#include "model/GroupIo.h"
#include "platform/CFormat.h"

#include <algorithm>
#include <cmath>

namespace flowcfg {

namespace {

constexpr std::uint16_t kLastAddress = 247;
constexpr std::uint16_t kLastSpeedIndex = kFirstSpeedIndex + std::size(kSpeedItems) - 1;
constexpr std::size_t kRequestBytes = 8; // the FC3 request of one register

// What a try waits for beyond the line's own character times (see scanTryWaitMs):
// a meter of this family starts its answer within a few milliseconds of noticing the end of
// the request; and a USB serial adapter hands a received byte to the computer only when its
// latency timer runs out (16 ms by default on FTDI chips, less on CP210x and CH340), so the
// first byte may reach the port that much later than it reached the adapter. A native UART
// has no such delay; the figure is kept for the adapters almost every engineer uses.
constexpr std::uint32_t kTurnaroundMs = 5;
constexpr std::uint32_t kAdapterLatencyMs = 16;

// One character's time on the line.
double charMs(const LinkSettings& s) {
    return bitsPerCharacter(s) * 1000.0 / baudOfSpeedIndex(s.speedIndex);
}

// Seach keys of the speeds, in speed-index order.
constexpr std::int32_t SeachSection::*kSpeedKeys[] = {
    &SeachSection::baud1200,  &SeachSection::baud2400,  &SeachSection::baud4800,
    &SeachSection::baud9600,  &SeachSection::baud19200, &SeachSection::baud38400,
    &SeachSection::baud57600, &SeachSection::baud115200};
constexpr std::int32_t SeachSection::*kParityKeys[] = {
    &SeachSection::parity_non, &SeachSection::parity_odd, &SeachSection::parity_ev};

// The link of one try: the settings of dev.dat at this address, speed and parity.
LinkSettings lineSettings(const LinkSettings& base, std::uint16_t address, std::uint16_t speedIndex,
                          std::uint16_t parity) {
    LinkSettings s = base;
    s.NetAdrr = address;
    s.speedIndex = speedIndex;
    s.parity = parity;
    return s;
}

// The short try: one attempt, ended as soon as a whole answer is in, or when no first byte
// has come within the try's wait.
LinkSettings trySettings(const LinkSettings& line) {
    LinkSettings s = line;
    s.Reask_val = 1;
    s.QuickAnswerEnd = 1;
    s.firstByteTimeoutMs = scanTryWaitMs(line);
    return s;
}

// An answer came, but not intact: the CRC, the length, the line or the address is wrong. An
// intact exception answer is a device that answered.
bool damaged(ExchangeResult r) {
    constexpr ExchangeStatus kDamage = status::LineError | status::OtherAddress |
                                       status::CrcMismatch | status::WrongLength |
                                       status::NotFunction;
    if ((r.status & status::Exception) && !(r.status & status::CrcMismatch) &&
        !(r.status & status::OtherAddress) && !(r.status & status::LineError))
        return false;
    return (r.status & kDamage) != 0;
}

bool silent(ExchangeResult r) {
    return (r.status & status::NothingReceived) != 0;
}

} // namespace

ScanChoices scanChoicesOf(const SeachSection& seach) {
    ScanChoices c;
    for (std::size_t i = 0; i < std::size(kSpeedKeys); ++i)
        if (seach.*kSpeedKeys[i] != 0)
            c.speedIndexes.push_back(static_cast<std::uint16_t>(kFirstSpeedIndex + i));
    for (std::size_t i = 0; i < std::size(kParityKeys); ++i)
        if (seach.*kParityKeys[i] != 0)
            c.parities.push_back(static_cast<std::uint16_t>(i));
    for (int a = std::max(seach.beg, 1); a <= std::min(seach.end, int{kLastAddress}); ++a)
        c.addresses.push_back(static_cast<std::uint16_t>(a));
    return c;
}

void keepScanChoices(const ScanChoices& choices, SeachSection& seach) {
    for (std::size_t i = 0; i < std::size(kSpeedKeys); ++i)
        seach.*kSpeedKeys[i] =
            std::ranges::count(choices.speedIndexes, kFirstSpeedIndex + i) != 0 ? 1 : 0;
    for (std::size_t i = 0; i < std::size(kParityKeys); ++i)
        seach.*kParityKeys[i] = std::ranges::count(choices.parities, i) != 0 ? 1 : 0;
    if (const auto [low, high] = std::ranges::minmax_element(choices.addresses);
        low != choices.addresses.end()) {
        seach.beg = *low;
        seach.end = *high;
    }
}

std::string scanChoicesProblem(const ScanChoices& c) {
    if (c.speedIndexes.empty())
        return "Не выбрана ни одна скорость.";
    if (c.parities.empty())
        return "Не выбран ни один паритет.";
    const auto badSpeed = [](std::uint16_t s) {
        return s < kFirstSpeedIndex || s > kLastSpeedIndex;
    };
    if (std::ranges::any_of(c.speedIndexes, badSpeed) ||
        std::ranges::any_of(c.parities, [](std::uint16_t p) { return p > 2; }))
        return "Неизвестная скорость или паритет.";
    if (c.addresses.empty() ||
        std::ranges::any_of(c.addresses, [](std::uint16_t a) { return a < 1 || a > kLastAddress; }))
        return "Адреса поиска: от 1 до 247, первый не больше последнего.";
    return {};
}

std::array<std::string, 7> foundMeterCells(const FoundMeter& m) {
    std::array<std::string, 7> cells{formatUnsigned(m.address),
                                     std::string(kSpeedItems[m.speedIndex - kFirstSpeedIndex]),
                                     std::string(kParityItems[m.parity])};
    if (m.damaged) {
        cells[3] = "ответ искажен";
    } else if (!m.identityRead) {
        cells[3] = "не прочитан";
    } else {
        cells[3] = formatUnsigned(m.factoryNumber);
        cells[4] = formatUnsigned(m.model);
        cells[5] = formatUnsigned(m.softwareVersion);
        cells[6] = formatUnsigned(m.hardwareVersion);
    }
    return cells;
}

std::string durationText(std::uint64_t ms) {
    const std::uint64_t s = (ms + 999) / 1000;
    std::string text;
    if (s >= 60) {
        appendUnsigned(text, static_cast<std::uint32_t>(s / 60));
        text += " мин ";
        appendUnsigned(text, static_cast<std::uint32_t>(s % 60), 2);
    } else {
        appendUnsigned(text, static_cast<std::uint32_t>(s));
    }
    return text + " с";
}

// From the end of the request to giving up on the first byte: the meter notices the end of
// the request after the frame silence (3.5 characters, 1.75 ms above 19200 baud), starts
// within its turnaround, and its first character takes one character time on the line; the
// adapter's latency comes on top. The meter's own answer delay (DELY of dev.dat) is added:
// a meter set to answer later is found when DELY says so. The engine adds TimeGapPrg.
std::uint32_t scanTryWaitMs(const LinkSettings& s) {
    return frameSilenceMs(s) + static_cast<std::uint32_t>(std::ceil(charMs(s))) + kTurnaroundMs +
           kAdapterLatencyMs + s.DELY;
}

double scanTryMs(const LinkSettings& s) {
    return kRequestBytes * charMs(s) + scanTryWaitMs(s) + s.TimeGapPrg;
}

std::uint64_t scanEstimateMs(const ScanChoices& c, const LinkSettings& settings) {
    double ms = 0;
    const auto addresses = static_cast<double>(c.addresses.size());
    for (const std::uint16_t speed : c.speedIndexes)
        for (const std::uint16_t parity : c.parities)
            ms += addresses * scanTryMs(lineSettings(settings, 0, speed, parity));
    return static_cast<std::uint64_t>(std::llround(ms));
}

BusScan::BusScan(LinkContext& ctx, ScanChoices choices) : ctx_(ctx), choices_(std::move(choices)) {}

ScanEnd BusScan::run() {
    OperationGuard guard(ctx_);
    if (!guard)
        return ScanEnd::Busy;
    if (onStart)
        onStart();
    const LinkSettings base = ctx_.settings;
    meters_.clear();
    done_ = 0;
    total_ = choices_.tries();
    predictedDone_ = 0;
    predictedLeft_ = static_cast<double>(scanEstimateMs(choices_, base));
    startMs_ = ctx_.clock.monotonicMs();

    ScanEnd end = ScanEnd::Finished;
    for (const std::uint16_t speed : choices_.speedIndexes) {
        for (const std::uint16_t parity : choices_.parities) {
            end = scanLine(base, speed, parity);
            if (end != ScanEnd::Finished)
                break;
        }
        if (end != ScanEnd::Finished)
            break;
    }
    ctx_.settings = base;
    if (end != ScanEnd::PortFailed)
        openPort(ctx_, false);
    return end;
}

ScanEnd BusScan::scanLine(const LinkSettings& base, std::uint16_t speedIndex,
                          std::uint16_t parity) {
    ctx_.settings = trySettings(lineSettings(base, ctx_.settings.NetAdrr, speedIndex, parity));
    if (!openPort(ctx_, true))
        return ScanEnd::PortFailed;
    const double tryMs = scanTryMs(ctx_.settings);
    std::vector<std::uint16_t> words;
    for (const std::uint16_t address : choices_.addresses) {
        if (stopRequested && stopRequested())
            return ScanEnd::Stopped;
        if (progress) {
            const double elapsed = static_cast<double>(ctx_.clock.monotonicMs() - startMs_);
            // The estimate follows the line: what the tries took so far against what they
            // should have taken scales what is left.
            const double pace = predictedDone_ > 0 && elapsed > 0 ? elapsed / predictedDone_ : 1.0;
            progress({done_, total_,
                      static_cast<std::uint64_t>(std::llround(predictedLeft_ * pace)), address,
                      speedIndex, parity});
        }
        ctx_.settings.NetAdrr = address;
        ExchangeResult r = readGroupWords(ctx_, GroupId::DeviceStatus, words);
        if (!silent(r) && damaged(r)) // once more: noise, or a meter at a near setting
            r = readGroupWords(ctx_, GroupId::DeviceStatus, words);
        if (ctx_.port && ctx_.port->lost()) {
            reportLostPort(ctx_);
            return ScanEnd::PortFailed;
        }
        ++done_;
        predictedDone_ += tryMs;
        predictedLeft_ = std::max(0.0, predictedLeft_ - tryMs);
        if (silent(r))
            continue;
        FoundMeter meter{
            .address = address, .speedIndex = speedIndex, .parity = parity, .damaged = damaged(r)};
        if (!meter.damaged) {
            readIdentity(base, meter);
            ctx_.settings = trySettings(lineSettings(base, meter.address, speedIndex, parity));
        }
        meters_.push_back(meter);
        if (found)
            found(meter);
    }
    return ScanEnd::Finished;
}

// The groups of "ДАННЫЕ ПРИБОРА", with the link's own timeouts and repeats at the meter's
// settings; the port stays open (the line settings are the same).
void BusScan::readIdentity(const LinkSettings& base, FoundMeter& meter) {
    ctx_.settings = lineSettings(base, meter.address, meter.speedIndex, meter.parity);
    const auto steps = readSteps(scratch_, deviceDataReads());
    meter.identityRead = runSteps(ctx_, steps).transportOk();
    if (!meter.identityRead)
        return;
    const auto& d = scratch_.NEW_DAT;
    meter.factoryNumber = std::uint32_t{d.NUM_HI} << 16 | d.NUM_LO;
    meter.model = d.MODEL;
    meter.softwareVersion = d.SOFT_NEW;
    meter.hardwareVersion = d.HARD_NEW;
}

bool takeFoundMeter(LinkSettings& settings, const FoundMeter& meter) {
    bool reopen = chooseSpeed(settings, meter.speedIndex - kFirstSpeedIndex);
    reopen = chooseParity(settings, meter.parity) || reopen;
    return chooseAddress(settings, meter.address) || reopen;
}

} // namespace flowcfg
