#pragma once
// The operations of the "ИЗМЕРЕНИЕ" page and its cyclic poll. The shell calls tick() from
// a 1000 ms timer (disabled on entry, re-armed at 1000 ms after the call, whatever it
// returns) and the other members from the page's buttons, then renders screen().
//
// Operations that exchange take the link's OperationGuard and do nothing when another
// operation holds it (a click or a tick handled while a transaction waits); a tick then
// just returns and the shell re-arms. The stop button always works.
//
// A poll paints after each of its steps (measured block, primary flow, outputs, counters) and
// says so through `changed`, so a meter that stops answering turns the status line to
// "Ошибка обмена" while the later reads still wait out their repeats.

#include "link/LinkContext.h"
#include "measure/MeasureDisplay.h"
#include "measure/MeasureLog.h"
#include "measure/MeasureScreen.h"
#include "measure/MeasuredValues.h"
#include "measure/PollCsv.h"
#include "measure/PollRecord.h"
#include "model/DeviceImage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace flowcfg {

inline constexpr std::string_view kMeasuredReadText = "Прочитано измеренное значение.";
inline constexpr std::string_view kResetErrorsQuestion = "Сбросить число ошибок?";
inline constexpr std::string_view kResetVolumeQuestion = "Накопленный объем будет сброшен.";
inline constexpr std::string_view kCsvStoppedCaption = "Запись в CSV остановлена";
inline constexpr std::string_view kCsvFileKind = "Файлы CSV";

// What a tick did.
enum class TickResult : std::uint8_t {
    Idle,   // the poll is off (or was just stopped because another page is shown)
    Busy,   // another operation holds the link: skipped
    Polled, // the reads were made
};

class MeasurePanel {
public:
    // image.izm_i_f_diskr.use is the "read the outputs with every measurement" switch.
    MeasurePanel(LinkContext& ctx, DeviceImage& image, MeasureLogSettings log = {});

    const MeasureScreen& screen() const { return screen_; }
    MeasureScreen& screen() { return screen_; }
    const MeasuredValues& values() const { return values_; }
    const PollCounters& counters() const { return counters_; }
    bool cyclic() const { return cyclicMain_; }
    bool outputsReadEnabled() const { return image_.izm_i_f_diskr.use != 0; }

    // The log switch and file (profile section IZM); may change while running.
    void setLogSettings(MeasureLogSettings log) { log_ = std::move(log); }
    const MeasureLogSettings& logSettings() const { return log_; }
    // The values of the last clean measured-block read, as the log writes them.
    const MainLogRecord& logRecord() const { return logRecord_; }
    // Appends one line with logRecord() and the local time when the log is on. Other pages
    // that read measured values (the vortex amplitude reads) log through this too.
    void appendLogLine();

    // One tick of the main poll. measurementPageShown: the main page set shows its first
    // page; when it does not, the poll is switched off.
    TickResult tick(bool measurementPageShown);
    // The reads, painting, counting and logging of one tick, whether the poll is on or not
    // (the command line polls a given number of times on a port it opened itself). When no
    // port is open (a failed open, or one closed after it vanished) it is opened again first,
    // silently. A port that vanished during the poll (lost(): a USB adapter pulled) is said
    // once, naming it (reportLostPort), and closed; the poll goes on and reopens it on the next
    // tick, so it resumes by itself once the adapter is back.
    TickResult pollOnce();

    // "Прочитать": one read of everything with a result box.
    void readOnce();
    // "Циклическое чтение": opens the port and switches the poll on.
    void startCyclic();
    // "Остановить чтение".
    void stopCyclic();
    // "Сброс числа ошибок": after the question, zeroes cycles, errors and retries.
    void resetErrorCount();
    // "Сброс накопленного объема": after the question (No by default: it cannot be undone),
    // the UnlockForCommand row, then the VolumeReset row.
    void resetVolume();
    // The "ЧИТАТЬ" lamp: switches the outputs read with every measurement.
    void toggleOutputsRead();
    // Any page change of the main page set stops the poll; coming to this page moves the
    // focus to "Прочитать".
    void pageChanged(bool measurementPageShown);
    // Other operations that exchange stop the poll first (link checks, sensor reads).
    void stopPolling() { setCyclic(false); }

    // Repaints the lamp from the image (after a profile was loaded).
    void refreshOutputsLamp();

    // What the last poll read (pollOnce), for the trend and the CSV recording.
    const PollRecord& lastPoll() const { return lastPoll_; }
    // Records every poll from now on as a line of the CSV (nullptr: stops). A line that
    // cannot be written stops the recording with a box "Запись в CSV остановлена" that names
    // the reason; the poll goes on.
    void recordCsv(std::unique_ptr<PollCsv> csv) { csv_ = std::move(csv); }
    bool recordingCsv() const { return csv_ != nullptr; }
    // "Записывать в CSV…": asks for the file (a new one or one to empty) and records into it;
    // a file that cannot be created is said in a box. Returns whether it records.
    bool startCsvRecording();
    Dialogs& dialogs() const { return ctx_.dialogs; }

    // Runs after each poll of pollOnce with what it read.
    std::function<void(const PollRecord&)> polled;

    // Runs after each step of a poll or an operation that changed screen(), before the next
    // read waits and before a box: the window renders here, so it shows each step at once and
    // a box stands over the new values.
    std::function<void()> changed;

private:
    void setCyclic(bool on);
    void screenChanged();
    void keepLastStatus();
    void countExchange(ExchangeResult measured);
    void readSecondaryGroups(bool showPrimary);
    void reopenIfGone();
    void recordPoll(const PollRecord& poll);

    LinkContext& ctx_;
    DeviceImage& image_;
    MeasureLogSettings log_;
    MeasureScreen screen_;
    MeasuredValues values_;
    PollCounters counters_;
    MainLogRecord logRecord_;
    PollRecord lastPoll_;
    std::unique_ptr<PollCsv> csv_;
    bool cyclicMain_ = false;
};

} // namespace flowcfg
