#pragma once
// A progress line on stderr: on a terminal one line rewritten in place, otherwise plain lines
// (a log or a pipe gets no control characters).

#include <iosfwd>
#include <string_view>

namespace flowcfg {

class StatusLine {
public:
    explicit StatusLine(std::ostream& err);
    ~StatusLine() { finish(); }
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    bool terminal() const { return terminal_; }
    // Replaces the line on a terminal; a line of its own otherwise.
    void show(std::string_view text);
    // Ends a line rewritten in place, so that what follows starts on a line of its own.
    void finish();

private:
    std::ostream& err_;
    bool terminal_;
    bool open_ = false;
};

} // namespace flowcfg
