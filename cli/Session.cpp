#include "cli/Session.h"

#include "cli/CliNumbers.h"
#include "link/ExchangeLog.h"
#include "link/Outcome.h"
#include "link/Ports.h"
#include "platform/PosixSerialPort.h"

#include <array>
#include <filesystem>
#include <istream>
#include <ostream>
#include <unistd.h>

namespace flowcfg {

namespace {

constexpr std::uint64_t kMaxTimeoutMs = 600'000;
constexpr std::uint64_t kMaxRetries = 65534; // Reask_val is 16 bits

} // namespace

Session::Session(std::ostream& out, std::ostream& err, std::istream& in)
    : out(out), err(err), ownDevices_(std::make_unique<PosixSerialDevices>()),
      ownPump_(std::make_unique<BlockingEventPump>()), ownClock_(std::make_unique<SystemClock>()),
      devices_(*ownDevices_), pump_(*ownPump_), clock_(*ownClock_),
      dialogs_(err, in, false, ::isatty(STDIN_FILENO) == 1) {}

Session::Session(std::ostream& out, std::ostream& err, std::istream& in, SerialDevices& devices,
                 EventPump& pump, Clock& clock)
    : out(out), err(err), devices_(devices), pump_(pump), clock_(clock),
      dialogs_(err, in, false, false) {}

Session::~Session() = default;

void Session::applyOptions(LinkSettings& s) const {
    if (!options.port.empty()) {
        const std::string& p = options.port;
        if (p.size() > 3 && (p.compare(0, 3, "COM") == 0 || p.compare(0, 3, "com") == 0)) {
            s.Number = static_cast<std::uint16_t>(cliNumber(p.substr(3), 1, 65535, "--port"));
        } else if (p.find('/') != std::string::npos) {
            s.portPaths[s.Number] = p; // this run only: nothing is written back
        } else {
            throw UsageError("--port: \"" + p + "\" — это не COMn и не путь к устройству");
        }
    }
    if (!options.address.empty())
        s.NetAdrr = static_cast<std::uint16_t>(cliNumber(options.address, 0, 255, "--address"));
    if (!options.baud.empty())
        s.speedIndex = speedIndexOfBaud(options.baud, "--baud");
    if (!options.parity.empty())
        s.parity = parityOfLetter(options.parity, "--parity");
    if (!options.timeout.empty())
        s.answerTimeoutMs =
            static_cast<std::uint32_t>(cliNumber(options.timeout, 1, kMaxTimeoutMs, "--timeout"));
    if (!options.retries.empty())
        s.Reask_val =
            static_cast<std::uint16_t>(cliNumber(options.retries, 0, kMaxRetries, "--retries") + 1);
    if (options.quick)
        s.QuickAnswerEnd = 1;
}

LinkContext& Session::link() {
    if (!link_) {
        // The settings files are made in --dir, but --dir itself is not made: a mistyped
        // directory would otherwise run on fresh defaults without a word.
        std::error_code ec;
        if (!std::filesystem::is_directory(options.dir, ec))
            throw UsageError("--dir: папки " + options.dir + " нет");
        dialogs_.setAssumeYes(options.yes);
        auto ctx = std::make_unique<LinkContext>(devices_, pump_, clock_, dialogs_);
        // A settings file in the way (a directory, no permission) is said once; the defaults
        // serve this run.
        std::string problem;
        ctx->settings = readLinkSettings(options.dir, &problem);
        if (!problem.empty())
            err << "flowcfg-cli: " << problem << '\n';
        problem.clear();
        ctx->timeouts = readTimeoutTable(options.dir, &problem);
        if (!problem.empty())
            err << "flowcfg-cli: " << problem << '\n';
        applyOptions(ctx->settings);
        link_ = std::move(ctx);
    }
    return *link_;
}

bool Session::openLink() {
    LinkContext& ctx = link();
    if (openPort(ctx, true)) {
        ctx.port->setRts(false);
        ctx.port->setDtr(true);
        return true;
    }
    exitCode = kExitUsage; // the box with the reason went to err
    return false;
}

std::string exchangeFailureText(ExchangeResult result, const LinkSettings& settings) {
    std::string text;
    if (const auto outcome = outcomeText(result, settings))
        text = outcome->caption + ": " + outcome->text + "\n";
    text += "Ошибка обмена: status " + hexAndDecimal(result.status) + ", exception code " +
            hexAndDecimal(result.exceptionCode, 2) + "\n";
    for (const ExchangeStatus bit : kLoggedStatusBits) {
        if (result.status & bit)
            text +=
                "  " + hexAndDecimal(bit) + " " + std::string(exchangeStatusBitText(bit)) + "\n";
    }
    if (result.status & status::Repeated)
        text += "  " + hexAndDecimal(status::Repeated) + " был повтор запроса\n";
    return text;
}

bool Session::checkExchange(ExchangeResult result) {
    if (result.transportOk())
        return true;
    reportLostPort(link()); // a port that vanished is named first
    err << exchangeFailureText(result, link().settings);
    exitCode = kExitExchange;
    return false;
}

void Session::fail(int code, const std::string& message) {
    err << message << '\n';
    exitCode = code;
}

} // namespace flowcfg
