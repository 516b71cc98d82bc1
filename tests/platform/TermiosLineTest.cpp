#include "platform/TermiosLine.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

// A termios as a terminal may hand it over: cooked, echoing, with flow control on.
termios cookedTerminal() {
    termios t{};
    t.c_iflag = ICRNL | IXON | IXOFF | IXANY | ISTRIP;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 5;
    return t;
}

TEST(TermiosLine, RawLineWithoutFlowControl) {
    termios t = cookedTerminal();
    applyLineSettings(t, {.baud = 19200, .dataBits = 8, .parity = Parity::None});
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | PARODD | CSTOPB));
    EXPECT_FALSE(t.c_iflag & INPCK);
    EXPECT_EQ(cfgetospeed(&t), B19200);
}

TEST(TermiosLine, SpeedWordSizeParityAndStopBits) {
    struct Case {
        LineSettings line;
        speed_t speed;
        tcflag_t size;
        bool parity, odd, twoStops;
    };
    const Case cases[] = {
        {{9600, 7, Parity::Even, StopBits::Two}, B9600, CS7, true, false, true},
        {{115200, 8, Parity::Odd, StopBits::One}, B115200, CS8, true, true, false},
        {{110, 5, Parity::None, StopBits::One}, B110, CS5, false, false, false},
        {{1200, 6, Parity::Even, StopBits::One}, B1200, CS6, true, false, false},
        // No termios constant for these: 19200 baud, 8 bits; one and a half stop bits -> two.
        {{12345, 9, Parity::None, StopBits::OneAndHalf}, B19200, CS8, false, false, true},
        {{230400, 4, Parity::None, StopBits::Two}, B19200, CS8, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.baud);
        termios t = cookedTerminal();
        applyLineSettings(t, c.line);
        EXPECT_EQ(cfgetispeed(&t), c.speed);
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(t.c_cflag & CSIZE, c.size);
        EXPECT_EQ(bool(t.c_cflag & PARENB), c.parity);
        EXPECT_EQ(bool(t.c_iflag & INPCK), c.parity);
        EXPECT_EQ(bool(t.c_cflag & PARODD), c.odd);
        EXPECT_EQ(bool(t.c_cflag & CSTOPB), c.twoStops);
    }
    EXPECT_TRUE(isSupportedBaud(57600));
    EXPECT_FALSE(isSupportedBaud(230400));
}

} // namespace
} // namespace flowcfg::test
