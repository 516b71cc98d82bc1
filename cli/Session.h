#pragma once
// What every flowcfg-cli command shares: the global options and the link, built on first use
// from dev.dat and to.dat in --dir (created and normalised like the application does at
// start-up) with the options laid over them for this run only. Nothing is written back.
//
// Commands report through the session: what they print goes to out, messages to err, and the
// exit code is one of the kExit codes below (`flowcfg-cli --help` lists them: kExitCodesText).

#include "cli/ConsoleDialogs.h"
#include "link/ExchangeStatus.h"
#include "link/LinkContext.h"
#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/SerialPort.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace flowcfg {

// The exit codes, few and stable: scripts test them.
inline constexpr int kExitOk = 0;            // done
inline constexpr int kExitUsage = 1;         // usage, a port that cannot be opened, a file
inline constexpr int kExitExchange = 2;      // the meter did not answer as expected
inline constexpr int kExitDiffers = 1;       // config diff: the meter differs from the profile
inline constexpr int kExitDeclined = 3;      // a question was answered No: nothing written
inline constexpr int kExitInterrupted = 130; // Ctrl-C (what was read is still written)

// The footer of `flowcfg-cli --help`.
inline constexpr std::string_view kExitCodesText =
    "Exit codes: 0 done; 1 usage error, a port that cannot be opened or a file that cannot be "
    "written; 2 the meter did not answer as expected (no answer, an exception, a damaged "
    "answer); 3 a question was answered No, nothing was written; 130 interrupted by Ctrl-C. "
    "config diff: 0 the meter agrees with the profile, 1 they differ (a usage error is 1 too, "
    "said on stderr with nothing on stdout), 2 the meter could not be read (the port "
    "included).";

struct GlobalOptions {
    std::string dir = ".";
    std::string port;    // "COMn" or a device path; empty: Number of dev.dat
    std::string address; // empty: NetAdrr of dev.dat
    std::string baud;    // empty: the speed of dev.dat
    std::string parity;  // N, O or E; empty: the parity of dev.dat
    std::string timeout; // ms for a whole answer; empty: to.dat, TimeOut, the archive's own
    std::string retries; // repeats after a failed attempt; empty: Reask_val - 1 of dev.dat
    bool quick = false;  // end a read as soon as a whole answer is in
    bool yes = false;    // answer Yes to every question
};

class Session {
public:
    // The real thing: POSIX serial devices, a blocking pump, the system clock.
    Session(std::ostream& out, std::ostream& err, std::istream& in);
    // For tests: the given devices, pump and clock.
    Session(std::ostream& out, std::ostream& err, std::istream& in, SerialDevices& devices,
            EventPump& pump, Clock& clock);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    GlobalOptions options;
    std::ostream& out;
    std::ostream& err;
    int exitCode = kExitOk;

    // The link with the settings of --dir and the options; built on first use. Throws
    // UsageError for an option value that cannot be used, also for a --dir that does not exist.
    LinkContext& link();
    // Opens the port of the link; on failure the reason has been printed and the exit code
    // is 1.
    bool openLink();
    Dialogs& dialogs() { return dialogs_; }

    // Prints a failed exchange (after reportLostPort's text when the port vanished, then
    // exchangeFailureText) and sets the exit code 2. Returns whether the exchange succeeded:
    // status & 0x7FFF is 0 and there is no exception.
    bool checkExchange(ExchangeResult result);
    // Prints the message and sets the exit code.
    void fail(int code, const std::string& message);

private:
    void applyOptions(LinkSettings& settings) const;

    std::unique_ptr<SerialDevices> ownDevices_;
    std::unique_ptr<EventPump> ownPump_;
    std::unique_ptr<Clock> ownClock_;
    SerialDevices& devices_;
    EventPump& pump_;
    Clock& clock_;
    ConsoleDialogs dialogs_;
    std::unique_ptr<LinkContext> link_;
};

// The report checkExchange prints for a failed exchange (lines end with '\n'): first what the
// window's box says ("caption: text", for no answer with what was tried and what to check),
// then the status word in hex, the name of every set bit and the exception code.
std::string exchangeFailureText(ExchangeResult result, const LinkSettings& settings);

} // namespace flowcfg
