#pragma once
// The whole configuration in one operation: "ПРОЧ.ИЗ ПРИБ." reads every configuration group
// from the meter into the image, "ЗАП.В ПРИБОР" writes the image (the last reads or a loaded
// profile) into the meter. Both are fixed tables of lines, each line a few register groups
// with their pauses, followed by a step of the progress bar (18 steps for the read, 17 for
// the write, the bar full at the end). They run on the register map's group operations and
// the write guard's pieces, like the pages' own buttons, and end with one box.
//
// The read stops at its first failure. The write first reads the measurement settings, so
// their registers go back as the meter holds them, then reads the registers that the write
// sends but no profile key carries (meterOwnValues), so a loaded profile cannot put the
// image's defaults over the meter's own calibration words; then it lifts the parameter locks
// and writes its lines. A failure of the first cut-off line is reported and passed over;
// any other ends the write with the locks lifted. A successful write leaves them lifted too.
//
// After every group read the page sections that show the group are shown again
// (ConfigPages::showGroup), and after the sequence the summary pages.
//
//   WholeConfiguration whole(pages);
//   whole.progress = [&](const SequenceProgress& p) { panel.paint(p); };
//   whole.readAll();

#include "config/ConfigPages.h"
#include "model/GroupIo.h"
#include "model/RegisterMap.h"
#include "model/WriteGuard.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace flowcfg {

inline constexpr std::string_view kReadingCaption = "ИДЕТ ЧТЕНИЕ ДАННЫХ";
inline constexpr std::string_view kWritingCaption = "ИДЕТ ЗАПИСЬ ДАННЫХ";
inline constexpr std::string_view kReadAllSuccess = "Прочитаны все параметры прибора.";
inline constexpr std::string_view kWriteAllSuccess = "Запись всех настроек успешно осуществлена.";
inline constexpr int kReadAllBarSteps = 18;
inline constexpr int kWriteAllBarSteps = 17;

// One group of a line; reopenFirst: the link is opened again before it, and a failure to
// open ends the sequence.
struct SequenceTransfer {
    GroupTransfer transfer;
    bool reopenFirst = false;
};

// One line of a sequence: its groups in order, then one step of the bar.
struct SequenceLine {
    std::string_view name; // what the line transfers, for progress lines and reports
    std::span<const SequenceTransfer> transfers;
    std::uint32_t pauseBeforeMs = 0;
    // Stop: the sequence ends at a failure. ReportAndContinue: the failure box, then the
    // next line (the line's later groups are not sent).
    OnFailure onFailure = OnFailure::Stop;
    bool refreshesLinkStatus = false; // the link status line is refreshed after the line
};

// The read's lines, from the measurement settings to the panel password.
std::span<const SequenceLine> readAllLines();
// The write's lines, after the unlock.
std::span<const SequenceLine> writeAllLines();
// The write reads this line first: the measurement settings, the read's first line.
const SequenceLine& writeAllPreread();

// A value the write sends that no profile key carries: the write reads `group` from the
// meter before the unlock and sends the member back as read.
struct MeterOwnValue {
    GroupId group;
    ImageMember member;
};
std::span<const MeterOwnValue> meterOwnValues();

// Copies one member's value from one image into another.
void copyMember(ImageMember member, DeviceImage& from, DeviceImage& to);

// What the progress panel shows.
struct SequenceProgress {
    bool shown = false;
    std::string_view caption; // kReadingCaption or kWritingCaption
    int steps = 0;            // the bar's number of steps
    int done = 0;             // steps filled; `steps` when the bar is full
    std::string_view line;    // the line just finished, empty before the first
};

// The filled width of a bar of `steps` equal steps after `done` of them, on a track of
// trackWidth with bevels of bevelWidth: ((trackWidth - 3 * bevelWidth) / steps) * done.
int barWidth(int trackWidth, int bevelWidth, int steps, int done);

struct WholeOutcome {
    OperationOutcome outcome;
    // The groups read and the groups written successfully, in order (the write's reads
    // before the unlock among the read).
    std::vector<GroupId> read, written;
    std::string_view failedLine; // the line that ended the sequence
    int passedOverFailures = 0;  // failures reported and passed over
};

class WholeConfiguration {
public:
    explicit WholeConfiguration(ConfigPages& pages) : pages_(pages) {}

    // After the panel is shown, after every bar step and when it is hidden: the window
    // paints the panel here.
    std::function<void(const SequenceProgress&)> progress;
    // After the temperature line of the read.
    std::function<void()> linkStatusChanged;
    // The read's success box; off when the read only gathers values for another operation
    // (a comparison, a report), which says its own result.
    bool readSuccessBox = true;

    // "ПРОЧ.ИЗ ПРИБ." Busy when another operation holds the link.
    WholeOutcome readAll();
    // "ЗАП.В ПРИБОР". With ask false the question is taken as answered Yes (the command
    // line asks once for several meters).
    WholeOutcome writeAll(bool ask = true);

private:
    struct Run;
    enum class Direction : std::uint8_t { Read, Write };
    ExchangeResult runLine(Run& run, const SequenceLine& line, Direction direction);
    ExchangeResult keepMetersOwn(Run& run);
    void paint(Run& run);
    WholeOutcome finish(Run& run, OperationOutcome outcome);

    ConfigPages& pages_;
};

} // namespace flowcfg
