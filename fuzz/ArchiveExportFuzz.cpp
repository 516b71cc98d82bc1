// The archive export: the fuzzer's bytes are archive blocks; every frame whose checksum
// matches is decoded and its export line held against the same line printed by the C
// library's printf in the "C" locale. Then the number formatter alone, for one value, width
// and precision of the fuzzer's choosing, against snprintf with the same conversion.

#include "FuzzSupport.h"
#include "archive/ArchiveExport.h"
#include "platform/CFormat.h"
#include "tests/archive/ReferenceLine.h"

#include <array>
#include <bit>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>

namespace flowcfg::fuzz {
namespace {

void checkFrames(std::span<const std::uint8_t, 1024> block) {
    for (std::size_t f = 0; f < framesPerArchiveBlock; ++f) {
        const auto bytes = archiveFrameAt(block, f);
        if (!archiveFrameValid(bytes))
            continue;
        std::string line;
        appendArchiveFrameLine(line, decodeArchiveFrame(bytes));
        const std::string expected = test::referenceLine(bytes);
        FUZZ_CHECK(line == expected, "frame %zu:\n%s\n%s", f, line.c_str(), expected.c_str());
    }
}

std::string printed(const char* conversion, int width, int precision, double value) {
    char format[32];
    std::snprintf(format, sizeof format, "%%*.*%s", conversion);
    std::array<char, 512> text{};
    std::snprintf(text.data(), text.size(), format, width, precision, value);
    return text.data();
}

void checkFormatter(FuzzedDataProvider& data) {
    const int width = data.ConsumeIntegralInRange(-40, 40);
    const int precision = data.ConsumeIntegralInRange(0, 40);
    const double value = data.ConsumeBool()
                             ? std::bit_cast<double>(data.ConsumeIntegral<std::uint64_t>())
                             : double(std::bit_cast<float>(data.ConsumeIntegral<std::uint32_t>()));
    const auto word = data.ConsumeIntegral<std::uint32_t>();
    const int digits = data.ConsumeIntegralInRange(0, 12);

    std::string out;
    std::string expected;
    switch (data.ConsumeIntegralInRange(0, 5)) {
    case 0:
        appendFixed(out, value, width, precision);
        expected = printed("f", width, precision, value);
        break;
    case 1:
        appendGeneral(out, value, width, precision);
        expected = printed("g", width, precision, value);
        break;
    case 2:
        appendExponent(out, value, width, precision);
        expected = printed("e", width, precision, value);
        break;
    case 3:
        appendExponent(out, value, width, precision, LetterCase::Upper);
        expected = printed("E", width, precision, value);
        break;
    case 4: {
        appendUnsigned(out, word, digits);
        char text[32];
        std::snprintf(text, sizeof text, "%0*u", digits, word);
        expected = text;
        break;
    }
    default: {
        const bool upper = data.ConsumeBool();
        appendHex(out, word, digits, upper ? LetterCase::Upper : LetterCase::Lower);
        char text[32];
        std::snprintf(text, sizeof text, upper ? "%0*X" : "%0*x", digits, word);
        expected = text;
        break;
    }
    }
    FUZZ_CHECK(out == expected, "width %d precision %d value %a: \"%s\" vs printf \"%s\"", width,
               precision, value, out.c_str(), expected.c_str());
}

} // namespace
} // namespace flowcfg::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace flowcfg;
    using namespace flowcfg::fuzz;
    FuzzedDataProvider data(bytes, size);
    checkFormatter(data);

    std::array<std::uint8_t, 1024> block{};
    const bool fixChecksums = data.ConsumeBool();
    const auto frames = data.ConsumeRemainingBytes<std::uint8_t>();
    for (std::size_t at = 0; at < frames.size(); at += block.size()) {
        block.fill(0xFF);
        const std::size_t n = std::min(block.size(), frames.size() - at);
        std::memcpy(block.data(), frames.data() + at, n);
        // Valid checksums reach the decoding and formatting of every field.
        for (std::size_t f = 0; fixChecksums && f < framesPerArchiveBlock; ++f) {
            std::uint8_t* frame = block.data() + f * archiveFrameSize;
            frame[archiveFrameSize - 1] = archiveFrameChecksum(
                std::span<const std::uint8_t, archiveFrameSize>(frame, archiveFrameSize));
        }
        checkFrames(block);
    }
    return 0;
}
