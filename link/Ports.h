#pragma once
// Finding and opening the serial port. Port numbers stay integers (COMn); on POSIX a number
// maps to a device: an entry COMn=/path in section PORTS of dev.dat wins, otherwise COM1-32
// are /dev/ttyS0-31, COM33-48 /dev/ttyUSB0-15, COM49-63 /dev/ttyACM0-14.

#include "link/LinkContext.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace flowcfg {

std::string devicePathForPort(const LinkSettings& settings, std::uint16_t portNumber);

// Probes COM1..COM63 (exclusive open, closed again at once); fills ctx.foundPorts in
// ascending order and returns the count.
std::size_t enumeratePorts(LinkContext& ctx);

// The single open operation: closes the previous port, opens the device, sets the line
// (speed index table, parity, stop bits, data bits), flow control off, the open-time
// timeouts, purges and sets the queue sizes. With reportFailure an error box "Невозможно
// открыть последовательный порт" (second line: the reason) is shown on failure.
bool openPort(LinkContext& ctx, std::uint16_t portNumber, std::uint16_t speedIndex,
              std::uint8_t dataBits, std::uint16_t parity, std::uint8_t stopBits,
              std::uint32_t readTotalConstantMs, bool reportFailure);
// openPort with the current link settings (Number, speed, 8, parity, 1, TimeOut).
bool openPort(LinkContext& ctx, bool reportFailure = true);
void closePort(LinkContext& ctx);

// The reason of a failed open, in words an engineer can act on (one line, no line end);
// detail is the system's own text, added for errors without a better name.
std::string openErrorText(OpenError error, const std::string& path, const std::string& detail = {});

// The open-failure box text: "Невозможно открыть последовательный порт", then the reason.
inline constexpr std::string_view kOpenFailedText = "Невозможно открыть последовательный порт";
inline constexpr std::string_view kOpenFailedCaption = "Ошибка";

// The port that vanished under an operation (a USB adapter pulled, a pty's master closed):
// "Связь с портом COM1 (/dev/ttyUSB0) потеряна: ...", naming the port and what to do.
std::string portLostText(const LinkSettings& settings);
// When the open port is lost: the error box with portLostText, and the port is closed so that
// the next operation opens it again. Returns whether it was lost.
bool reportLostPort(LinkContext& ctx);
// How an operation ends on a failed exchange: reportLostPort, or else the outcome box.
void showExchangeFailure(LinkContext& ctx, ExchangeResult result);

// "Обновить список портов": closes the port, enumerates, then opens with the current settings
// (reporting a failure). Returns whether the port is open.
bool refreshPorts(LinkContext& ctx);

// The open at start-up and the poll's reopen after a loss: silent, then RTS cleared and DTR set
// (they drive the line converter).
bool openPortAtStartUp(LinkContext& ctx);

std::string portName(std::uint16_t portNumber); // "COM" + number
// The link's port with its device: "COM1 (/dev/ttyS0)", or just "COM1" without a device.
std::string portLabel(const LinkSettings& settings);

} // namespace flowcfg
