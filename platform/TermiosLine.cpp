#include "platform/TermiosLine.h"

#include <algorithm>
#include <array>

namespace flowcfg {

namespace {

struct BaudCode {
    std::uint32_t baud;
    speed_t code;
};

constexpr std::array kBauds{
    BaudCode{110, B110},     BaudCode{134, B134},     BaudCode{150, B150},
    BaudCode{200, B200},     BaudCode{300, B300},     BaudCode{600, B600},
    BaudCode{1200, B1200},   BaudCode{1800, B1800},   BaudCode{2400, B2400},
    BaudCode{4800, B4800},   BaudCode{9600, B9600},   BaudCode{19200, B19200},
    BaudCode{38400, B38400}, BaudCode{57600, B57600}, BaudCode{115200, B115200},
};

speed_t speedCode(std::uint32_t baud) {
    for (const BaudCode& b : kBauds)
        if (b.baud == baud)
            return b.code;
    return B19200;
}

tcflag_t sizeFlag(std::uint8_t dataBits) {
    switch (dataBits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

} // namespace

void makeRawLine(termios& t) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

bool isSupportedBaud(std::uint32_t baud) {
    return std::any_of(kBauds.begin(), kBauds.end(),
                       [baud](const BaudCode& b) { return b.baud == baud; });
}

void applyLineSettings(termios& t, const LineSettings& line) {
    makeRawLine(t);
    const speed_t speed = speedCode(line.baud);
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);

    t.c_cflag = (t.c_cflag & ~CSIZE) | sizeFlag(line.dataBits);

    t.c_cflag &= ~(PARENB | PARODD);
    t.c_iflag &= ~INPCK;
    if (line.parity != Parity::None) {
        t.c_cflag |= PARENB;
        if (line.parity == Parity::Odd)
            t.c_cflag |= PARODD;
        t.c_iflag |= INPCK;
    }

    // termios has no one-and-a-half stop bits: two is the nearest, and a receiver that
    // expects one and a half accepts it.
    if (line.stopBits == StopBits::One)
        t.c_cflag &= ~CSTOPB;
    else
        t.c_cflag |= CSTOPB;
}

} // namespace flowcfg
