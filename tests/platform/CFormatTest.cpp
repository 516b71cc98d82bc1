#include "platform/CFormat.h"

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <locale.h>
#include <random>

namespace flowcfg::test {
namespace {

// printf in the "C" locale, whatever the process locale is.
template <typename T> std::string cPrintf(const char* format, T value) {
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

TEST(CFormat, LeftJustifiedFieldsAndExponentsMatchCPrintf) {
    const std::vector<double> values{0.0,
                                     -0.0,
                                     1.5,
                                     -1.5,
                                     0.00005,
                                     -0.00005,
                                     123.4567,
                                     99999.99995,
                                     1e7,
                                     -1e7,
                                     1e20,
                                     -3.25e-9,
                                     1e300,
                                     -1e-300,
                                     6.02214076e23,
                                     9.9999995e-5,
                                     std::numeric_limits<double>::infinity(),
                                     -std::numeric_limits<double>::infinity(),
                                     std::numeric_limits<double>::quiet_NaN(),
                                     -std::numeric_limits<double>::quiet_NaN()};
    for (const double v : values) {
        SCOPED_TRACE(v);
        std::string out;
        appendFixed(out, v, -11, 4);
        EXPECT_EQ(out, cPrintf("%-11.4f", v));
        out.clear();
        appendFixed(out, v, -24, 4);
        EXPECT_EQ(out, cPrintf("%-24.4f", v));
        out.clear();
        appendFixed(out, v, -5, 2);
        EXPECT_EQ(out, cPrintf("%-5.2f", v));
        out.clear();
        appendExponent(out, v, 0, 6, LetterCase::Upper);
        EXPECT_EQ(out, cPrintf("%-E", v));
        out.clear();
        appendExponent(out, v, 15, 3);
        EXPECT_EQ(out, cPrintf("%15.3e", v));
        out.clear();
        appendExponent(out, v, -15, 2, LetterCase::Upper);
        EXPECT_EQ(out, cPrintf("%-15.2E", v));
        out.clear();
        appendGeneral(out, v, -12, 5);
        EXPECT_EQ(out, cPrintf("%-12.5g", v));
    }
    std::string out;
    appendExponent(out, 1.5, 0, 6, LetterCase::Upper);
    EXPECT_EQ(out, "1.500000E+00");
}

TEST(CFormat, HexInBothCasesMatchesCPrintf) {
    for (const std::uint32_t v :
         {0u, 5u, 0xAu, 0xFFu, 0xABCDu, 0x10000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(v);
        std::string out;
        appendHex(out, v, 4, LetterCase::Upper);
        EXPECT_EQ(out, cPrintf("%04X", v));
        out.clear();
        appendHex(out, v, 8);
        EXPECT_EQ(out, cPrintf("%08x", v));
        out.clear();
        appendHex(out, v, 1, LetterCase::Upper);
        EXPECT_EQ(out, cPrintf("%X", v));
        out.clear();
        appendUnsigned(out, v, 5);
        EXPECT_EQ(out, cPrintf("%05u", v));
    }
}

} // namespace
} // namespace flowcfg::test
