#include "model/Encodings.h"

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <unistd.h>

namespace flowcfg::test {
namespace {

TEST(Encodings, TheFourByteOrdersOfOneSingle) {
    // 123.456 is 0x42F6E979; each row is how the meter puts it on the wire for one code.
    struct Row {
        unsigned code;
        std::uint16_t w0, w1;
    };
    const Row rows[] = {{0, 0x42F6, 0xE979},  // 42 F6 E9 79
                        {1, 0xE979, 0x42F6},  // E9 79 42 F6
                        {2, 0xF642, 0x79E9},  // F6 42 79 E9
                        {3, 0x79E9, 0xF642}}; // 79 E9 F6 42
    const float expected = std::bit_cast<float>(0x42F6E979u);
    for (const Row& row : rows) {
        const DecodedFloat d = decodeFloat(row.w0, row.w1, floatByteOrderFromCode(row.code));
        EXPECT_EQ(d.value, expected) << "code " << row.code;
        EXPECT_FALSE(d.invalid);
        EXPECT_NEAR(d.value, 123.456, 1e-4);
    }
    // The same two words give four different values under the four codes...
    float seen[4];
    for (unsigned code = 0; code < 4; ++code)
        seen[code] = decodeFloat(0x3F80, 0x4000, floatByteOrderFromCode(code)).value;
    EXPECT_EQ(seen[0], std::bit_cast<float>(0x3F804000u));
    EXPECT_EQ(seen[1], std::bit_cast<float>(0x40003F80u));
    EXPECT_EQ(seen[2], std::bit_cast<float>(0x803F0040u));
    EXPECT_EQ(seen[3], std::bit_cast<float>(0x0040803Fu));
    // ...but zero is zero in every order, and an unknown code reads as 0.
    for (unsigned code = 0; code < 4; ++code)
        EXPECT_EQ(decodeFloat(0, 0, floatByteOrderFromCode(code)).value, 0.0f);
    EXPECT_EQ(floatByteOrderFromCode(4), FloatByteOrder::Abcd);
    EXPECT_EQ(floatByteOrderFromCode(255), FloatByteOrder::Abcd);
}

TEST(Encodings, ImplausibleSinglesBecomeZero) {
    const auto decode = [](std::uint16_t hi, std::uint16_t lo) {
        return decodeFloat(hi, lo, FloatByteOrder::Abcd);
    };
    EXPECT_EQ(decode(0x7FC0, 0x0000).value, 0.0f); // quiet NaN
    EXPECT_TRUE(decode(0x7FC0, 0x0000).invalid);
    EXPECT_TRUE(decode(0x7F80, 0x0001).invalid);          // signalling NaN
    EXPECT_TRUE(decode(0x7F80, 0x0000).invalid);          // +infinity
    EXPECT_TRUE(decode(0xFF80, 0x0000).invalid);          // -infinity
    EXPECT_EQ(decode(0x4B18, 0x9680).value, 10000000.0f); // the limit itself is valid
    EXPECT_FALSE(decode(0x4B18, 0x9680).invalid);
    EXPECT_EQ(decode(0xCB18, 0x9680).value, -10000000.0f);
    EXPECT_EQ(decode(0x4B18, 0x9681).value, 0.0f); // 10000001
    EXPECT_TRUE(decode(0xCB18, 0x9681).invalid);   // -10000001
    // Parameter groups take the pattern as it is, without the check.
    EXPECT_EQ(floatFromWords(0x3F80, 0x0000), 1.0f);
    EXPECT_TRUE(std::isinf(floatFromWords(0x7F80, 0x0000)));
}

TEST(Encodings, IntegersDoublesAndWrites) {
    EXPECT_EQ(decodeU32(0xFFFF, 0xFFFF), 4294967295u);
    EXPECT_EQ(decodeU32(0x1234, 0x5678), 0x12345678u);
    EXPECT_EQ(decodeDouble(0x4093, 0x4A00, 0x0000, 0x0000), 1234.5);
    EXPECT_EQ(decodeDouble(0x4093, 0x4A00, 0x0000, 0x0000, true), 0.0);

    const WordPair r0 = encodeFloat(100.0f);
    EXPECT_EQ(r0.first, 0x42C8);
    EXPECT_EQ(r0.second, 0x0000);
    const WordPair x = encodeFloat(123.456f);
    EXPECT_EQ(x.first, 0x42F6);
    EXPECT_EQ(x.second, 0xE979);
    const WordPair n = encodeU32(70000);
    EXPECT_EQ(n.first, 0x0001);
    EXPECT_EQ(n.second, 0x1170);
}

TEST(Encodings, FormattersGiveCsTextExactly) {
    EXPECT_EQ(formatFixed4(1.5f), "1.5000     ");
    EXPECT_EQ(formatFixed4(-0.36f), "-0.3600    ");
    EXPECT_EQ(formatFixed4(123456.789f), "123456.7891"); // float precision shows, as in C
    EXPECT_EQ(formatFixed4(10000000.0f), "10000000.0000");
    EXPECT_EQ(formatFixed2(22.5f), "22.50");
    EXPECT_EQ(formatFixed2(4.0f), "4.00 ");
    EXPECT_EQ(formatFixed2(10000.0f), "10000.00");
    EXPECT_EQ(formatTotal(1234.5), "1234.5000               ");
    EXPECT_EQ(formatTotal(-0.00004), "-0.0000                 ");
    EXPECT_EQ(formatExp(1.5f), "1.500000E+00");
    EXPECT_EQ(formatExp(-3.9083e-3f), "-3.908300E-03");
    EXPECT_EQ(formatExp(0.0f), "0.000000E+00");
    EXPECT_EQ(formatExp(std::numeric_limits<float>::infinity()), "INF");
    EXPECT_EQ(formatHex32(0xAB), "0x00ab");
    EXPECT_EQ(formatHex32(0x12345678), "0x12345678");
    EXPECT_EQ(formatHex16(0x00AB), "0x00AB");
    EXPECT_EQ(formatHex16(0xFFFF), "0xFFFF");
    EXPECT_EQ(formatUnsigned(0), "0");
    EXPECT_EQ(formatUnsigned(4294967295u), "4294967295");
    EXPECT_EQ(formatHexGrouped(0x12345678), "1234 ' 5678");
    EXPECT_EQ(formatHexGrouped(0x1ABCD), "1 ' ABCD");
    EXPECT_EQ(formatHexGrouped(0x10000), "1 ' 0000");
    EXPECT_EQ(formatHexGrouped(0xFFFF), "FFFF");
    EXPECT_EQ(formatHexGrouped(0), "0");
    // The widest double is cut to the 64-byte buffer, never overflows it.
    EXPECT_EQ(formatTotal(1e300).size(), 63u);
}

// A locale whose decimal separator is the comma: an installed one, or one compiled into a
// temporary directory with localedef (only LC_NUMERIC is defined). Empty when neither works.
std::string useCommaLocale(const std::filesystem::path& scratch) {
    for (const char* name : {"de_DE.UTF-8", "ru_RU.UTF-8", "de_DE", "ru_RU"})
        if (std::setlocale(LC_NUMERIC, name) != nullptr)
            return name;
    std::filesystem::create_directories(scratch);
    const auto source = scratch / "comma.src";
    std::ofstream(source) << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\n"
                             "grouping 3;3\nEND LC_NUMERIC\n";
    const std::string command = "localedef -c -i '" + source.string() + "' -f UTF-8 '" +
                                (scratch / "comma.UTF-8").string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str()); // warns (exit 1) about the categories left out
    ::setenv("LOCPATH", scratch.c_str(), 1);
    if (std::setlocale(LC_NUMERIC, "comma.UTF-8") != nullptr)
        return "comma.UTF-8";
    return {};
}

// The process locale must not change the separator (the window may set one).
TEST(Encodings, FormattingIgnoresTheProcessLocale) {
    const auto scratch =
        std::filesystem::temp_directory_path() / ("flowcfg-locale-" + std::to_string(::getpid()));
    const std::string locale = useCommaLocale(scratch);
    if (locale.empty()) {
        std::filesystem::remove_all(scratch);
        GTEST_SKIP() << "no locale with a decimal comma could be found or made";
    }
    char c[16];
    std::snprintf(c, sizeof c, "%.1f", 2.5);
    const std::string cText = c;
    const std::string fixed = formatFixed4(2.5f), exp = formatExp(2.5f);
    const std::string total = formatTotal(2.5), two = formatFixed2(2.5f);
    std::setlocale(LC_NUMERIC, "C");
    ::unsetenv("LOCPATH");
    std::filesystem::remove_all(scratch);
    EXPECT_EQ(cText, "2,5") << "the locale " << locale << " is not in force";
    EXPECT_EQ(fixed, "2.5000     ");
    EXPECT_EQ(two, "2.50 ");
    EXPECT_EQ(exp, "2.500000E+00");
    EXPECT_EQ(total, "2.5000                  ");
}

TEST(Encodings, ParsersScanLikeC) {
    EXPECT_EQ(parseUnsigned("42"), 42u);
    EXPECT_EQ(parseUnsigned("  17abc"), 17u);
    EXPECT_EQ(parseUnsigned("+5"), 5u);
    EXPECT_EQ(parseUnsigned("4294967295"), 4294967295u);
    EXPECT_EQ(parseUnsigned("99999999999"), 4294967295u); // beyond 32 bits: the largest value
    EXPECT_EQ(parseUnsigned("abc"), 0u);
    EXPECT_EQ(parseUnsigned(""), 0u);

    EXPECT_EQ(parseHex16("1FFFF"), 0xFFFF);
    EXPECT_EQ(parseHex16("c"), 0x000C);
    EXPECT_EQ(parseHex16("0x200"), 0x0200);
    EXPECT_EQ(parseHex16(" 12345"), 0x2345);
    EXPECT_EQ(parseHex16("g"), 0);

    const ParsedHex32 empty = parseHex32("");
    EXPECT_EQ(empty.value, 0u);
    EXPECT_FALSE(empty.failed);
    const ParsedHex32 xyz = parseHex32("xyz");
    EXPECT_EQ(xyz.value, 0u);
    EXPECT_TRUE(xyz.failed);
    EXPECT_FALSE(parseHex32("   ").failed); // only blanks: end of input as well
    const ParsedHex32 ok = parseHex32("DEADbeef tail");
    EXPECT_EQ(ok.value, 0xDEADBEEFu);
    EXPECT_FALSE(ok.failed);
    EXPECT_EQ(parseHex32("0x1a").value, 0x1Au);
    // Only the first 32 characters are scanned: 32 zeros then a 1 is 0.
    EXPECT_EQ(parseHex32(std::string(32, '0') + "1").value, 0u);
    EXPECT_EQ(parseHex32(std::string(31, '0') + "1").value, 1u);
}

} // namespace
} // namespace flowcfg::test
