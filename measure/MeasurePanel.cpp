#include "measure/MeasurePanel.h"

#include "link/Outcome.h"
#include "link/Ports.h"
#include "model/GroupIo.h"

namespace flowcfg {

MeasurePanel::MeasurePanel(LinkContext& ctx, DeviceImage& image, MeasureLogSettings log)
    : ctx_(ctx), image_(image), log_(std::move(log)) {
    refreshOutputsLamp();
}

void MeasurePanel::setCyclic(bool on) {
    cyclicMain_ = on;
    screen_.cyclic = on;
}

void MeasurePanel::screenChanged() {
    if (changed)
        changed();
}

void MeasurePanel::refreshOutputsLamp() {
    screen_.readOutputsLamp = outputsReadEnabled() ? ScreenColour::Green : ScreenColour::ButtonFace;
}

void MeasurePanel::appendLogLine() {
    // A log that cannot be opened loses its line; the reading goes on.
    (void)appendMainLog(log_, logRecord_, ctx_.clock.now());
}

// The link keeps the result of the last status read for the page's exchange state.
void MeasurePanel::keepLastStatus() {
    ctx_.lastStatusRead = values_.lastExchange;
}

void MeasurePanel::countExchange(ExchangeResult measured) {
    ++counters_.cycles;
    if (!measured.clean())
        ++counters_.exchangeErrors;
    if (measured.status & status::Repeated)
        ++counters_.retries;
    showCounters(screen_, counters_);
}

void MeasurePanel::readSecondaryGroups(bool showPrimary) {
    const ExchangeResult primary = readPrimaryFlow(ctx_, image_, values_);
    if (showPrimary) {
        showPrimaryFlow(screen_, values_.primary, primary.clean());
        screenChanged();
    }
    if (outputsReadEnabled()) {
        if (readOutputs(ctx_, image_, values_).clean()) {
            showOutputs(screen_, values_.outputs);
            screenChanged();
        }
    }
}

void MeasurePanel::reopenIfGone() {
    reportLostPort(ctx_); // lost since the last poll: said and closed
    if (!ctx_.port)
        openPortAtStartUp(ctx_);
}

TickResult MeasurePanel::tick(bool measurementPageShown) {
    if (!measurementPageShown)
        setCyclic(false);
    if (!cyclicMain_)
        return TickResult::Idle;
    return pollOnce();
}

TickResult MeasurePanel::pollOnce() {
    const OperationGuard guard(ctx_);
    if (!guard)
        return TickResult::Busy;

    reopenIfGone();
    PollRecord poll;
    poll.time = ctx_.clock.now();
    poll.utcOffsetMinutes = ctx_.clock.utcOffsetMinutes();
    poll.monotonicMs = ctx_.clock.monotonicMs();
    const ExchangeResult measured = readMeasuredBlock(ctx_, image_, values_);
    const bool clean = measured.clean();
    if (clean) {
        // The status line keeps the state showMeasured paints (white, light green, yellow).
        showMeasured(screen_, values_.measured);
        logRecord_ = mainLogRecordOf(values_.measured);
    } else {
        // A success after repeats has updated the block; it is drawn at the next clean read.
        showExchangeError(screen_);
    }
    screenChanged();
    readSecondaryGroups(clean);
    keepLastStatus();
    countExchange(measured);
    screenChanged();
    appendLogLine();
    poll.measuredResult = measured;
    if (measured.transportOk())
        poll.measured = values_.measured;
    if (values_.primaryResult.transportOk())
        poll.primary = values_.primary;
    if (outputsReadEnabled() && values_.outputsResult.transportOk())
        poll.outputs = values_.outputs;
    recordPoll(poll);
    // A port that vanished is told once and closed: the next tick opens it again.
    reportLostPort(ctx_);
    return TickResult::Polled;
}

void MeasurePanel::recordPoll(const PollRecord& poll) {
    lastPoll_ = poll;
    if (csv_ && !csv_->append(poll)) {
        const std::string problem = csv_->problem();
        csv_.reset();
        ctx_.dialogs.message(std::string(kCsvStoppedCaption), problem, DialogIcon::Warning);
    }
    if (polled)
        polled(poll);
}

bool MeasurePanel::startCsvRecording() {
    const auto file = ctx_.dialogs.chooseSaveFileOf(kCsvFileKind, "csv");
    if (!file)
        return false;
    auto csv = std::make_unique<PollCsv>(std::filesystem::path(*file));
    if (!csv->ok()) {
        ctx_.dialogs.message("Ошибка",
                             "Файл " + *file + " не открыть для записи: " + csv->problem(),
                             DialogIcon::Error);
        return false;
    }
    csv_ = std::move(csv);
    return true;
}

void MeasurePanel::readOnce() {
    const OperationGuard guard(ctx_);
    if (!guard)
        return;
    setCyclic(false);
    if (!openPort(ctx_))
        return;
    const ExchangeResult measured = readMeasuredBlock(ctx_, image_, values_);
    showMeasured(screen_, values_.measured);
    keepLastStatus();
    if (!measured.clean()) {
        showExchangeError(screen_);
        screenChanged();
        showExchangeFailure(ctx_, measured);
        return;
    }
    logRecord_ = mainLogRecordOf(values_.measured);
    appendLogLine();
    readSecondaryGroups(true);
    keepLastStatus();
    screenChanged();
    showSuccess(ctx_.dialogs, kMeasuredReadText);
}

void MeasurePanel::startCyclic() {
    const OperationGuard guard(ctx_);
    if (!guard)
        return;
    if (!openPort(ctx_))
        return;
    setCyclic(true);
    screen_.focus = MeasureFocus::StopButton;
}

void MeasurePanel::stopCyclic() {
    setCyclic(false);
    screen_.focus = MeasureFocus::ReadButton;
}

void MeasurePanel::resetErrorCount() {
    if (!confirm(ctx_.dialogs, kResetErrorsQuestion))
        return;
    counters_.cycles = 0;
    counters_.exchangeErrors = 0;
    counters_.retries = 0;
    showCounters(screen_, counters_);
}

void MeasurePanel::resetVolume() {
    const OperationGuard guard(ctx_);
    if (!guard)
        return;
    if (!openPort(ctx_))
        return;
    if (!confirm(ctx_.dialogs, kResetVolumeQuestion, DefaultAnswer::No))
        return;
    ExchangeResult result = sendCommand(ctx_, GroupId::UnlockForCommand);
    if (result.transportOk())
        result = sendCommand(ctx_, GroupId::VolumeReset);
    if (!result.transportOk())
        showExchangeFailure(ctx_, result);
}

void MeasurePanel::toggleOutputsRead() {
    image_.izm_i_f_diskr.use = outputsReadEnabled() ? 0 : 1;
    refreshOutputsLamp();
}

void MeasurePanel::pageChanged(bool measurementPageShown) {
    setCyclic(false);
    if (measurementPageShown)
        screen_.focus = MeasureFocus::ReadButton;
}

} // namespace flowcfg
