#include "measure/PollCsv.h"

#include "link/Outcome.h"
#include "measure/MeasureDisplay.h"
#include "model/Encodings.h"
#include "platform/SystemErrorText.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ostream>
#include <string_view>

namespace flowcfg {

namespace {

constexpr std::string_view kHeader =
    "time,flow,flow_unit,state,volume_sum,volume_forward,volume_reverse,volume_modulus,"
    "volume_unit,primary_flow_m3_h,current_mA,out1_Hz,out2_Hz,status,exchange\n";

std::string isoTime(const LocalTime& t, int offsetMinutes) {
    const char sign = offsetMinutes < 0 ? '-' : '+';
    const int offset = std::abs(offsetMinutes);
    std::array<char, 48> text{};
    const int n = std::snprintf(
        text.data(), text.size(), "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", t.year, t.month,
        t.day, t.hour, t.minute, t.second, t.millisecond, sign, offset / 60, offset % 60);
    return std::string(text.data(), static_cast<std::size_t>(n));
}

// The shortest fixed-point text that reads back as the same value; to_chars ignores the locale.
template <typename T> std::string number(T value) {
    std::array<char, 400> text{};
    const auto end =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed).ptr;
    return std::string(text.data(), end);
}

class Line {
public:
    void field(std::string_view text) {
        if (!first_)
            out_ += ',';
        first_ = false;
        if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
            out_ += text;
            return;
        }
        out_ += '"';
        for (const char c : text) {
            if (c == '"')
                out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }
    void empty(int count) {
        for (int i = 0; i < count; ++i)
            field({});
    }
    std::string end() { return std::move(out_) + '\n'; }

private:
    std::string out_;
    bool first_ = true;
};

void measuredFields(Line& line, const MeasuredBlock& block) {
    // The page's own texts: the unit and state rules live in the display routines.
    MeasureScreen page;
    showMeasured(page, block);
    line.field(number(block.IZM_FLOW_V));
    line.field(trimBlanks(page.flowUnit.text));
    line.field(trimBlanks(page.statusLine.text));
    for (const double total : {block.VOL_SUM, block.VOL_FWD, block.VOL_REV, block.VOL_ABS})
        line.field(number(total));
    line.field(trimBlanks(page.volumeUnit.text));
}

} // namespace

std::string pollCsvHeader() {
    return std::string(kHeader);
}

std::string pollCsvLine(const PollRecord& poll) {
    Line line;
    line.field(isoTime(poll.time, poll.utcOffsetMinutes));
    if (poll.measured)
        measuredFields(line, *poll.measured);
    else
        line.empty(8);
    if (poll.primary)
        line.field(number(poll.primary->IZM_FLOW_V));
    else
        line.empty(1);
    if (poll.outputs) {
        line.field(number(poll.outputs->I_OUT));
        line.field(number(poll.outputs->F_OUT1));
        line.field(number(poll.outputs->F_OUT2));
    } else {
        line.empty(3);
    }
    line.field(formatHex16(poll.measuredResult.status));
    const auto failure = outcomeText(poll.measuredResult);
    line.field(failure ? failure->text : std::string());
    return line.end();
}

PollCsv::PollCsv(const std::filesystem::path& file)
    : file_(std::fopen(file.c_str(), "wb"), &std::fclose) {
    if (!file_) {
        problem_ = systemErrorText(errno);
        return;
    }
    put(pollCsvHeader());
}

PollCsv::PollCsv(std::ostream& out) : stream_(&out) {
    put(pollCsvHeader());
}

bool PollCsv::append(const PollRecord& poll) {
    return ok() && put(pollCsvLine(poll));
}

bool PollCsv::put(const std::string& text) {
    errno = 0;
    bool written = false;
    if (file_) {
        written = std::fwrite(text.data(), 1, text.size(), file_.get()) == text.size() &&
                  std::fflush(file_.get()) == 0;
        if (!written)
            file_.reset();
    } else if (stream_) {
        written = static_cast<bool>(*stream_ << text << std::flush);
    }
    if (!written)
        problem_ = systemErrorText(errno != 0 ? errno : EIO);
    return written;
}

} // namespace flowcfg
