#pragma once
// How line settings become a termios: raw 8-bit-clean line, receiver on, modem lines
// ignored, no flow control, reads that return at once (the port paces them with poll()).
// Kept apart from the port so the mapping can be checked without a device: a pty, for one,
// keeps the speed and stop bits but forces 8 data bits and no parity.

#include "platform/SerialPort.h"

#include <cstdint>
#include <termios.h>

namespace flowcfg {

// Raw mode on its own, as set at open before any line settings arrive.
void makeRawLine(termios& t);

// Raw mode plus speed, data bits, parity and stop bits. A speed termios has no constant for
// falls back to 19200; data bits outside 5..8 mean 8; one and a half stop bits become two.
void applyLineSettings(termios& t, const LineSettings& line);

// The speeds applyLineSettings knows (110 to 115200).
bool isSupportedBaud(std::uint32_t baud);

} // namespace flowcfg
