#include "archive/ArchiveExport.h"

#include "ArchiveFrameBuilder.h"
#include "TestFiles.h"
#include "archive/ArchiveFrame.h"
#include "archive/ArchiveImage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace flowcfg::test {
namespace {

std::string lineOf(std::span<const std::uint8_t, 102> bytes) {
    std::string out;
    appendArchiveFrameLine(out, decodeArchiveFrame(bytes));
    return out;
}

TEST(ArchiveExport, EveryFieldOfAFrameLineByteForByte) {
    FrameBuilder fb;
    fb.u8(0, 0x00)
        .u8(1, 0x00)
        .u8(2, 0x01)
        .u8(3, 0x00) // frame_num 256
        .u8(4, 17)   // hour
        .u8(5, 5)    // min
        .u8(6, 3)    // sec
        .u8(7, 6)    // day
        .u8(8, 12)   // month
        .u8(9, 26)   // year - 2000
        .u8(10, 0x00)
        .u8(11, 0x00)
        .u8(12, 0x80)
        .u8(13, 0x3F)       // flow 1.0f, little-endian
        .be16(14, 0x0001)   // err_hi
        .be16(16, 0xABCD)   // err_lo
        .be16(18, 0x0010)   // stat
        .f32(20, 500.3f)    // f_out_1
        .f32(24, 0.0f)      // f_out_2
        .f32(28, 4.5f)      // i_out
        .be16(32, 3)        // d_out
        .f64(34, 12345.678) // sum_v
        .f64(42, 0.5)       // mod_v
        .f64(50, -1e-5)     // forv_v
        .f64(58, 1234567.0) // rev_v
        .f32(66, -0.5f)     // min_flow
        .f32(70, 2.25f)     // avr_flow
        .f32(74, 123.4567f) // max_flow
        .f32(78, 0.25f)     // flow_vel
        .be16(82, 0)        // vel_err
        .f32(84, 101.325f)  // ext_p_kpa
        .be16(88, 0x1F)     // ext_p_err
        .be16(90, 0x7777)   // not exported
        .f32(92, -12.5f)    // ext_t
        .be16(96, 0x100);   // ext_t_err
    const auto frame = fb.sealed();
    ASSERT_TRUE(archiveFrameValid(frame));
    const std::string cs = std::to_string(frame[101]);

    const std::string expected =
        "frame_num 0256\t hour 17\t min 05\t sec 03\t day 06\t month 12\t year 2026\t "
        " flow=  1.000\t err_hi= 01\t err_lo= abcd\t stat= 10\t"
        " flow_vel=  0.250\t"
        " vel_err= 00\t"
        " d_out= 03\t"
        " f_out_1= 500.3\t"
        " f_out_2= 0.0\t"
        " i_out= 4.50\t"
        " sum_v= 1.23e+04\t"
        " mod_v=      0.5\t"
        " forv_v=   -1e-05\t"
        " rev_v= 1.23e+06\t"
        " max_flow= 123.457\t"
        " min_flow= -0.500\t"
        " avr_flow=  2.250\t"
        " ext_p_kpa= 101.325\t"
        " ext_p_err= 1f\t"
        " ext_t= -12.500\t"
        " ext_t_err= 100\t"
        " cs_rx " +
        cs + "  cs_acnt " + cs + " \r\n";
    EXPECT_EQ(lineOf(frame), expected);
}

TEST(ArchiveExport, ZeroFrameIsALineAndAllOnesIsSkipped) {
    const std::array<std::uint8_t, 102> zero{};
    EXPECT_TRUE(archiveFrameValid(zero));
    EXPECT_EQ(lineOf(zero),
              "frame_num 0000\t hour 00\t min 00\t sec 00\t day 00\t month 00\t year 2000\t "
              " flow=  0.000\t err_hi= 00\t err_lo= 00\t stat= 00\t flow_vel=  0.000\t"
              " vel_err= 00\t d_out= 00\t f_out_1= 0.0\t f_out_2= 0.0\t i_out= 0.00\t"
              " sum_v=        0\t mod_v=        0\t forv_v=        0\t rev_v=        0\t"
              " max_flow=  0.000\t min_flow=  0.000\t avr_flow=  0.000\t ext_p_kpa=  0.000\t"
              " ext_p_err= 00\t ext_t=  0.000\t ext_t_err= 00\t cs_rx 00  cs_acnt 00 \r\n");

    std::array<std::uint8_t, 102> ones{};
    ones.fill(0xFF);
    EXPECT_EQ(archiveFrameChecksum(ones), 155); // 101 * 255 mod 256
    EXPECT_FALSE(archiveFrameValid(ones));

    // A checksum off by one is skipped as well.
    auto broken = FrameBuilder().u8(4, 1).sealed();
    broken[101] ^= 1;
    EXPECT_FALSE(archiveFrameValid(broken));
}

TEST(ArchiveExport, WideNumbersAndSpecialValuesPrintLikePrintf) {
    auto frame = FrameBuilder()
                     .be32(0, 123456)                                   // frame_num
                     .u8(9, 255)                                        // year 2255
                     .f32(10, std::numeric_limits<float>::infinity())   // flow
                     .f32(20, -std::numeric_limits<float>::quiet_NaN()) // f_out_1
                     .f64(34, 1e300)                                    // sum_v
                     .f32(66, 1e7f)                                     // min_flow
                     .sealed();
    const std::string line = lineOf(frame);
    EXPECT_EQ(line.rfind("frame_num 123456\t", 0), 0u);
    EXPECT_NE(line.find("\t year 2255\t "), std::string::npos);
    EXPECT_NE(line.find(" flow=    inf\t"), std::string::npos);
    EXPECT_NE(line.find(" f_out_1= -nan\t"), std::string::npos);
    EXPECT_NE(line.find(" sum_v=   1e+300\t"), std::string::npos);
    EXPECT_NE(line.find(" min_flow= 10000000.000\t"), std::string::npos);
}

TEST(ArchiveExport, FileNameFromLocalTimeAndTotalFrames) {
    EXPECT_EQ(archiveExportFileName(exportPrefixFinished, {2026, 12, 6, 17, 5, 3, 999}, 3600),
              "frames_txt_6_12_2026_17_5_3_3600_frames.txt");
    EXPECT_EQ(archiveExportFileName(exportPrefixStopped, {2027, 1, 31, 0, 0, 59, 0}, 0),
              "frames_txt.txt_31_1_2027_0_0_59_0_frames.txt");
}

TEST(ArchiveExport, FileHoldsOneLinePerValidFrameOfThePlannedBlocks) {
    ArchiveImage image;
    // Slot 0: frames 1..10 valid except frame 4 (all 0xFF); slot 1 left zero; slot 2 holds a
    // valid frame but lies beyond B.
    for (std::size_t f = 0; f < 10; ++f) {
        auto bytes = FrameBuilder().be32(0, static_cast<std::uint32_t>(f + 1)).sealed();
        if (f == 3)
            bytes.fill(0xFF);
        std::copy(bytes.begin(), bytes.end(), image.slot(0).begin() + static_cast<long>(f * 102));
    }
    const auto beyond = FrameBuilder().be32(0, 999).sealed();
    std::copy(beyond.begin(), beyond.end(), image.slot(2).begin());

    TempDir dir("flowcfg-archive-export");
    const auto result = writeArchiveText(image, 2, dir.path() / "out.txt");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.lines, 19u);
    EXPECT_EQ(result.skipped, 1u);

    const std::string text = readFile(dir.path() / "out.txt");
    std::vector<std::string> numbers;
    for (std::size_t at = 0; (at = text.find("frame_num ", at)) != std::string::npos; at += 10)
        numbers.push_back(text.substr(at + 10, 4));
    const std::vector<std::string> expected{"0001", "0002", "0003", "0005", "0006", "0007", "0008",
                                            "0009", "0010", "0000", "0000", "0000", "0000", "0000",
                                            "0000", "0000", "0000", "0000", "0000"};
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 19);
    EXPECT_EQ(text.substr(text.size() - 3), " \r\n");
}

TEST(ArchiveExport, NoBlocksGivesAnEmptyFileAndAMissingDirectoryAReason) {
    ArchiveImage image;
    TempDir dir("flowcfg-archive-export");
    const auto empty = writeArchiveText(image, 0, dir.path() / "empty.txt");
    ASSERT_TRUE(empty.ok);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "empty.txt"));
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "empty.txt"), 0u);

    const auto missing = writeArchiveText(image, 1, dir.path() / "no" / "such.txt");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.path, dir.path() / "no" / "such.txt");
    EXPECT_FALSE(missing.error.empty());
}

} // namespace
} // namespace flowcfg::test
