#include "archive/CFormat.h"

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <locale.h>
#include <random>

namespace flowcfg::test {
namespace {

// printf in the "C" locale, whatever the process locale is.
std::string cPrintf(const char* format, double value) {
    const locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t previous = uselocale(c);
    char text[512];
    std::snprintf(text, sizeof text, format, value);
    uselocale(previous);
    freelocale(c);
    return text;
}

std::string ours(void (*append)(std::string&, double, int, int), double v, int w, int p) {
    std::string out;
    append(out, v, w, p);
    return out;
}

TEST(CFormat, MatchesCPrintfOnTheExportConversions) {
    std::mt19937_64 random(12345);
    std::vector<double> values{0.0,   -0.0,    1.0,       0.5,      0.0005,     0.00049,
                               1e-5,  -1e-5,   12345.678, 999.9995, 99950.0,    1e15,
                               1e300, -1e-300, 2.5,       0.125,    123456789.0};
    for (int i = 0; i < 2000; ++i) {
        // Floats widened to double as the frames carry them, over many magnitudes.
        const auto bits = static_cast<std::uint32_t>(random());
        const float f = std::bit_cast<float>(bits & 0xBFFFFFFFu); // |f| < 2
        values.push_back(static_cast<double>(f) *
                         std::pow(10.0, static_cast<int>(random() % 14) - 4));
    }
    for (const double v : values) {
        SCOPED_TRACE(v);
        EXPECT_EQ(ours(appendFixed, v, 6, 3), cPrintf("%6.3f", v));
        EXPECT_EQ(ours(appendFixed, v, 3, 1), cPrintf("%3.1f", v));
        EXPECT_EQ(ours(appendFixed, v, 3, 2), cPrintf("%3.2f", v));
        EXPECT_EQ(ours(appendGeneral, v, 8, 3), cPrintf("%8.3g", v));
    }
}

TEST(CFormat, IntegersAndTheProcessLocaleDoNotMatter) {
    std::string out;
    appendUnsigned(out, 7, 4);
    out += '|';
    appendUnsigned(out, 4294967295u, 4);
    out += '|';
    appendHex(out, 0xABCD, 2);
    out += '|';
    appendHex(out, 5, 2);
    EXPECT_EQ(out, "0007|4294967295|abcd|05");

    // A locale with a decimal comma, when the system has one, must not change anything.
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "fr_FR.UTF-8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            EXPECT_EQ(ours(appendFixed, 1.5, 6, 3), " 1.500");
            EXPECT_EQ(ours(appendGeneral, 12345.678, 8, 3), "1.23e+04");
            std::setlocale(LC_NUMERIC, "C");
        }
    }
}

} // namespace
} // namespace flowcfg::test
