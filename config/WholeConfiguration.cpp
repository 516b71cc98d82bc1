#include "config/WholeConfiguration.h"

#include "link/Outcome.h"
#include "link/Ports.h"

#include <algorithm>
#include <array>
#include <type_traits>
#include <variant>

namespace flowcfg {

namespace {

using G = GroupId;

// The pauses of the groups, as their pages and the register map give them: reads wait
// 100 ms after a success (the device groups 0x0400..0x04F0 before instead), the measurement
// and output writes 400 ms after; the others send back to back.
constexpr SequenceTransfer plain(G g) {
    return {{.group = g}};
}
constexpr SequenceTransfer after(G g, std::uint32_t ms) {
    return {{.group = g, .pauseAfterMs = ms}};
}
constexpr SequenceTransfer after100(G g) {
    return after(g, 100);
}
constexpr SequenceTransfer after400(G g) {
    return after(g, 400);
}
constexpr SequenceTransfer before100(G g) {
    return {{.group = g, .pauseBeforeMs = 100}};
}
constexpr SequenceTransfer reopened(SequenceTransfer t) {
    t.reopenFirst = true;
    return t;
}

// Read -----------------------------------------------------------------------------------
// The measurement page's read: pauses after its first two groups only.
constexpr SequenceTransfer kReadMeasurement[] = {
    after100(G::MeasurementSettings), after100(G::SumUnit),    plain(G::CutoffSource),
    plain(G::DisplayedSumType),       plain(G::FlowRange),     plain(G::SensorType),
    plain(G::NominalDiameter),        plain(G::DecimalDigits), plain(G::MedianFilter),
    plain(G::TemperatureAdjustment),
};
constexpr SequenceTransfer kReadCutoffValues[] = {plain(G::CutoffValues), plain(G::LinearScale)};
// An output's groups: mode, direct state, frequency, pulse, pulse volume kind.
template <std::uint32_t Ms>
constexpr std::array<SequenceTransfer, 5> output1{
    after(G::Output1Type, Ms), after(G::Output1DirectValue, Ms), after(G::Output1Frequency, Ms),
    after(G::Output1Pulse, Ms), after(G::Output1PulseSumType, Ms)};
template <std::uint32_t Ms>
constexpr std::array<SequenceTransfer, 5> output2{
    after(G::Output2Type, Ms), after(G::Output2DirectValue, Ms), after(G::Output2Frequency, Ms),
    after(G::Output2Pulse, Ms), after(G::Output2PulseSumType, Ms)};
constexpr SequenceTransfer kReadCurrent[] = {
    after100(G::CurrentScale),  after100(G::CurrentError),
    after100(G::CurrentShift),  reopened(after100(G::CurrentMode)),
    after100(G::CurrentDirect), reopened(after100(G::CurrentCalibration)),
};
constexpr SequenceTransfer kReadEmulation[] = {after100(G::Emulation)};
constexpr SequenceTransfer kReadErrorEnables[] = {after100(G::ErrorEnables)};
constexpr SequenceTransfer kReadCleaning[] = {after100(G::ElectrodeCleaning)};
constexpr SequenceTransfer kReadCutoffControl[] = {after100(G::Cutoff), after100(G::CutoffFlags),
                                                   after100(G::EmptyPipe)};
// The external-sensor reads add no pause but the one before the user coefficients.
constexpr SequenceTransfer kReadTemperature[] = {
    plain(G::TemperatureCalibration),
    plain(G::TemperatureAdjustment),
    {{.group = G::UserCoefficients, .pauseBeforeMs = 100}},
    plain(G::PressureUnit)};
constexpr SequenceTransfer kReadDevice[] = {before100(G::Versions), before100(G::Identity),
                                            before100(G::PanelPassword)};

constexpr SequenceLine kReadLines[] = {
    {.name = "параметры измерения", .transfers = kReadMeasurement},
    {.name = "параметры отсечки", .transfers = kReadCutoffValues},
    {.name = "выход 1", .transfers = output1<100>},
    {.name = "выход 2", .transfers = output2<100>},
    {.name = "токовый выход", .transfers = kReadCurrent},
    {.name = "эмуляция", .transfers = kReadEmulation},
    {.name = "разрешение ошибок", .transfers = kReadErrorEnables},
    {.name = "очистка электродов", .transfers = kReadCleaning},
    {.name = "управление отсечкой, пустая труба", .transfers = kReadCutoffControl},
    {.name = "градуировка температуры, давление",
     .transfers = kReadTemperature,
     .refreshesLinkStatus = true},
    {.name = "версии, прибор, пароль", .transfers = kReadDevice},
};

// Write ----------------------------------------------------------------------------------
constexpr SequenceTransfer kWriteCutoff[] = {after400(G::Cutoff), after400(G::CutoffFlags)};
constexpr SequenceTransfer kWriteMeasurement[] = {
    after400(G::Averages),         after400(G::FlowUnit),      after400(G::SumUnit),
    after400(G::DisplayedSumType), after400(G::DecimalDigits), after400(G::LinearScale),
    after400(G::MedianFilter)};
// The scale groups back to back, 100 ms between the direct-control groups, the calibration
// point without a pause.
constexpr SequenceTransfer kWriteCurrent[] = {
    plain(G::CurrentScale),   plain(G::CurrentError),  plain(G::CurrentShift),
    after100(G::CurrentMode), plain(G::CurrentDirect), plain(G::CurrentCalibration)};
constexpr SequenceTransfer kWriteErrorEnables[] = {
    plain(G::ErrEnOvld),     plain(G::ErrEnUdld),         plain(G::ErrEnEmptyPipe),
    plain(G::ErrEnNotReady), plain(G::ErrEnService),      plain(G::ErrEnSens2Cut),
    plain(G::ErrEnSens1Cut), plain(G::ErrEnSignalStrong), plain(G::ErrEnSignalWeak),
    plain(G::ErrEnCutoff),   plain(G::ErrEnSensModbus)};
constexpr SequenceTransfer kWriteEmptyPipe[] = {plain(G::EmptyPipe)};
constexpr SequenceTransfer kWriteArchive[] = {after400(G::ArchiveSettings)};
constexpr SequenceTransfer kWriteTemperature[] = {
    after400(G::TemperatureCalibration), after400(G::ExternalR0),
    after400(G::TemperatureAdjustment), after400(G::UserCoefficients)};
constexpr SequenceTransfer kWriteEmulation[] = {plain(G::Emulation)};

constexpr std::uint32_t kLinePauseMs = 100;
constexpr SequenceLine kWriteLines[] = {
    {.name = "управление отсечкой",
     .transfers = kWriteCutoff,
     .pauseBeforeMs = kLinePauseMs,
     .onFailure = OnFailure::ReportAndContinue},
    {.name = "параметры измерения", .transfers = kWriteMeasurement, .pauseBeforeMs = kLinePauseMs},
    {.name = "выход 1", .transfers = output1<400>, .pauseBeforeMs = kLinePauseMs},
    {.name = "выход 2", .transfers = output2<400>, .pauseBeforeMs = kLinePauseMs},
    {.name = "токовый выход", .transfers = kWriteCurrent, .pauseBeforeMs = kLinePauseMs},
    {.name = "разрешение ошибок", .transfers = kWriteErrorEnables, .pauseBeforeMs = kLinePauseMs},
    {.name = "управление отсечкой", .transfers = kWriteCutoff, .pauseBeforeMs = kLinePauseMs},
    {.name = "пустая труба", .transfers = kWriteEmptyPipe, .pauseBeforeMs = kLinePauseMs},
    {.name = "архив", .transfers = kWriteArchive, .pauseBeforeMs = kLinePauseMs},
    {.name = "градуировка температуры",
     .transfers = kWriteTemperature,
     .pauseBeforeMs = kLinePauseMs},
    {.name = "эмуляция", .transfers = kWriteEmulation, .pauseBeforeMs = kLinePauseMs},
};

// The write's registers without a profile key (held against the tables by a test).
constexpr MeterOwnValue kMeterOwn[] = {
    {G::Cutoff, MEMBER(readings.cutoffHysteresis)},
    {G::ArchiveSettings, MEMBER(readings.frame_number_after_read)},
    {G::TemperatureCalibration, MEMBER(readings.calibrationWord0)},
    {G::TemperatureCalibration, MEMBER(readings.characteristic)},
    {G::TemperatureCalibration, MEMBER(readings.coefficientC)},
};

// What a failed reopen hands back: nothing was sent, openPort has said why.
constexpr ExchangeResult kNotOpened{status::NothingReceived, 0};

WholeOutcome busy() {
    WholeOutcome out;
    out.outcome.end = OperationEnd::Busy;
    return out;
}

} // namespace

std::span<const SequenceLine> readAllLines() {
    return kReadLines;
}

std::span<const SequenceLine> writeAllLines() {
    return kWriteLines;
}

const SequenceLine& writeAllPreread() {
    return kReadLines[0];
}

std::span<const MeterOwnValue> meterOwnValues() {
    return kMeterOwn;
}

void copyMember(ImageMember member, DeviceImage& from, DeviceImage& to) {
    const ValueRef source = member(from);
    std::visit(
        [&source](auto* target) {
            using T = std::remove_pointer_t<decltype(target)>;
            *target = **std::get_if<T*>(&source);
        },
        member(to));
}

int barWidth(int trackWidth, int bevelWidth, int steps, int done) {
    if (steps <= 0)
        return 0;
    return std::max(0, (trackWidth - 3 * bevelWidth) / steps) * std::clamp(done, 0, steps);
}

struct WholeConfiguration::Run {
    LinkContext& ctx;
    SequenceProgress shown;
    WholeOutcome out;
    bool reopenFailed = false;
};

void WholeConfiguration::paint(Run& run) {
    if (progress)
        progress(run.shown);
}

ExchangeResult WholeConfiguration::runLine(Run& run, const SequenceLine& line, Direction d) {
    if (line.pauseBeforeMs != 0)
        run.ctx.pump.pauseMs(line.pauseBeforeMs);
    std::vector<OperationStep> steps;
    for (const SequenceTransfer& t : line.transfers) {
        if (t.reopenFirst)
            steps.push_back({[&run](LinkContext& c) {
                if (openPort(c, true))
                    return ExchangeResult{};
                run.reopenFailed = true;
                return kNotOpened;
            }});
        const std::span<const GroupTransfer> one(&t.transfer, 1);
        OperationStep step = std::move((d == Direction::Read ? readSteps(pages_.image(), one)
                                                             : writeSteps(pages_.image(), one))
                                           .front());
        step.exchange = [this, &run, d, id = t.transfer.group,
                         exchange = std::move(step.exchange)](LinkContext& c) {
            const ExchangeResult r = exchange(c);
            if (stepSucceeded(r)) {
                (d == Direction::Read ? run.out.read : run.out.written).push_back(id);
                if (d == Direction::Read)
                    pages_.showGroup(id);
            }
            return r;
        };
        steps.push_back(std::move(step));
    }
    return runSteps(run.ctx, steps);
}

// Reads the groups of meterOwnValues into a copy of the image and takes only those members
// from it, so the loaded values of the groups' other fields stay.
ExchangeResult WholeConfiguration::keepMetersOwn(Run& run) {
    std::vector<GroupId> groups;
    for (const MeterOwnValue& v : kMeterOwn)
        if (std::ranges::find(groups, v.group) == groups.end())
            groups.push_back(v.group);
    for (const GroupId id : groups) {
        DeviceImage meters = pages_.image();
        const ExchangeResult r = readGroup(run.ctx, meters, id);
        if (!stepSucceeded(r))
            return r;
        for (const MeterOwnValue& v : kMeterOwn)
            if (v.group == id)
                copyMember(v.member, meters, pages_.image());
        run.out.read.push_back(id);
        pages_.showGroup(id);
        run.ctx.pump.pauseMs(100);
    }
    return {};
}

WholeOutcome WholeConfiguration::finish(Run& run, OperationOutcome outcome) {
    const bool wasShown = run.shown.shown;
    if (outcome.end == OperationEnd::Succeeded) {
        run.shown.done = run.shown.steps; // the bar full
        paint(run);
        if (wasShown && run.shown.caption == kWritingCaption)
            run.ctx.pump.pauseMs(100);
    }
    pages_.showSummaries();
    if (wasShown) {
        run.shown.shown = false;
        paint(run);
    }
    if (outcome.end == OperationEnd::Failed)
        showExchangeFailure(run.ctx, outcome.failure);
    run.out.outcome = outcome;
    return std::move(run.out);
}

WholeOutcome WholeConfiguration::readAll() {
    LinkContext& ctx = pages_.link();
    Run run{ctx, {false, kReadingCaption, kReadAllBarSteps, 0, {}}, {}};
    const OperationGuard guard(ctx);
    if (!guard)
        return busy();
    if (!openPort(ctx, true))
        return finish(run, {OperationEnd::PortFailed, {}, false});
    for (const SequenceLine& line : kReadLines) {
        const ExchangeResult r = runLine(run, line, Direction::Read);
        if (run.reopenFailed)
            return finish(run, {OperationEnd::PortFailed, {}, false});
        if (!stepSucceeded(r)) {
            run.out.failedLine = line.name;
            return finish(run, {OperationEnd::Failed, r, false});
        }
        if (!run.shown.shown) // after the measurement settings came in
            run.shown.shown = true;
        ++run.shown.done;
        run.shown.line = line.name;
        paint(run);
        if (line.refreshesLinkStatus && linkStatusChanged)
            linkStatusChanged();
    }
    const WholeOutcome out = finish(run, {});
    if (readSuccessBox)
        showSuccess(ctx.dialogs, kReadAllSuccess);
    return out;
}

WholeOutcome WholeConfiguration::writeAll(bool ask) {
    LinkContext& ctx = pages_.link();
    Run run{ctx, {false, kWritingCaption, kWriteAllBarSteps, 0, {}}, {}};
    const OperationGuard guard(ctx);
    if (!guard)
        return busy();
    paint(run); // the bar cleared
    if (ask && !confirm(ctx.dialogs, kConfigurationOverwrite))
        return finish(run, {OperationEnd::Declined, {}, false});
    if (!openPort(ctx, true))
        return finish(run, {OperationEnd::PortFailed, {}, false});
    // Before the unlock: the measurement settings and the registers no profile carries.
    ExchangeResult r = runLine(run, writeAllPreread(), Direction::Read);
    if (stepSucceeded(r))
        r = keepMetersOwn(run);
    if (!stepSucceeded(r)) {
        run.out.failedLine = writeAllPreread().name;
        return finish(run, {OperationEnd::Failed, r, false});
    }
    run.shown.shown = true;
    paint(run);
    if (r = unlockParameters(ctx); !stepSucceeded(r)) {
        run.out.failedLine = "разблокировка";
        return finish(run, {OperationEnd::Failed, r, false});
    }
    for (const SequenceLine& line : kWriteLines) {
        r = runLine(run, line, Direction::Write);
        if (!stepSucceeded(r)) {
            if (line.onFailure == OnFailure::Stop) {
                run.out.failedLine = line.name;
                return finish(run, {OperationEnd::Failed, r, true});
            }
            ++run.out.passedOverFailures;
            if (line.onFailure == OnFailure::ReportAndContinue)
                showExchangeFailure(ctx, r);
        }
        ++run.shown.done;
        run.shown.line = line.name;
        paint(run);
    }
    const WholeOutcome out = finish(run, {OperationEnd::Succeeded, {}, true});
    showSuccess(ctx.dialogs, kWriteAllSuccess);
    return out;
}

} // namespace flowcfg
