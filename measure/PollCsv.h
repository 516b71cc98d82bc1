#pragma once
// The polls of the measurement page as CSV, one line per poll, for a spreadsheet or a script:
//
//   time,flow,flow_unit,state,volume_sum,volume_forward,volume_reverse,volume_modulus,
//   volume_unit,primary_flow_m3_h,current_mA,out1_Hz,out2_Hz,status,exchange
//
// time is ISO 8601 local time with milliseconds and the UTC offset
// ("2026-12-06T17:56:20.123+03:00"); numbers are the values as read, in the shortest decimal
// form that gives the same value back, with a dot whatever the locale; texts are the page's,
// without the blanks around them. A group that did not arrive leaves its columns empty (a
// failed poll leaves every value empty); status is the measured-block read's status word
// ("0x0040") and exchange says what went wrong in the words of the failure box. Fields with a
// comma or a quote are quoted. UTF-8, lines end in LF.

#include "measure/PollRecord.h"

#include <cstdio>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>

namespace flowcfg {

std::string pollCsvHeader();
std::string pollCsvLine(const PollRecord& poll);

// A recording: the header, then one line per poll, each handed to the system at once, so a
// program that dies or a pulled cable loses nothing already read.
class PollCsv {
public:
    // Creates the file, or empties it, and writes the header.
    explicit PollCsv(const std::filesystem::path& file);
    // Writes to a stream the caller keeps open (stdout).
    explicit PollCsv(std::ostream& out);

    // False once the file could not be created or a line not written; problem() says why.
    bool ok() const { return problem_.empty(); }
    const std::string& problem() const { return problem_; }

    // Appends the poll's line; false (and nothing more is written) when it cannot.
    bool append(const PollRecord& poll);

private:
    bool put(const std::string& text);

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_{nullptr, &std::fclose};
    std::ostream* stream_ = nullptr;
    std::string problem_;
};

} // namespace flowcfg
