#include "model/RegisterType.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace flowcfg {
namespace {

struct TypedCase {
    RegisterType type;
    std::vector<std::uint16_t> words;
    const char* text;
    std::optional<FloatByteOrder> order = {}; // a float's order, for decodeFloat
};

// 123.456 is 0x42F6E979: its four bytes differ, so each float order puts other words on the
// wire (the worked example of the value encodings).
const TypedCase kTyped[] = {
    {RegisterType::U16, {0xFFFF}, "65535"},
    {RegisterType::S16, {0xFFFF}, "-1"},
    {RegisterType::S16, {0x8000}, "-32768"},
    {RegisterType::Hex, {0x00AB}, "0x00AB"},
    {RegisterType::U32, {0x1234, 0x5678}, "305419896"},
    {RegisterType::U32, {0xFFFF, 0xFFFF}, "4294967295"},
    {RegisterType::FloatAbcd, {0x42F6, 0xE979}, "123.456", FloatByteOrder::Abcd},
    {RegisterType::FloatCdab, {0xE979, 0x42F6}, "123.456", FloatByteOrder::Cdab},
    {RegisterType::FloatBadc, {0xF642, 0x79E9}, "123.456", FloatByteOrder::Badc},
    {RegisterType::FloatDcba, {0x79E9, 0xF642}, "123.456", FloatByteOrder::Dcba},
    {RegisterType::FloatAbcd,
     {0x4B18, 0x9681},
     "10000001",
     FloatByteOrder::Abcd}, // beyond the plausible, shown
    {RegisterType::Text, {0x4142, 0x4300}, "ABC"},
};

TEST(RegisterType, DecodesAndEncodesLikeTheValueEncodings) {
    for (const TypedCase& c : kTyped) {
        SCOPED_TRACE(c.text);
        const auto values = decodeRegisters(c.type, c.words);
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0].text, c.text);
        const EncodedValue encoded = encodeRegisters(c.type, c.text);
        EXPECT_EQ(encoded.error, "");
        EXPECT_EQ(encoded.words, c.words);
        if (c.order) {
            const DecodedFloat plain = decodeFloat(c.words[0], c.words[1], *c.order);
            if (!plain.invalid) {
                EXPECT_EQ(plain.value, std::stof(c.text));
            }
        }
    }
}

TEST(RegisterType, RangesNamesAndRefusals) {
    // A range of 32-bit values is split into pairs; their count must be even.
    const std::vector<std::uint16_t> words = {0x0000, 0x0001, 0x7FC0, 0x0000};
    const auto values = decodeRegisters(RegisterType::U32, words);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].offset, 2u);
    EXPECT_EQ(decodeRegisters(RegisterType::FloatAbcd, words)[1].text, "nan");
    EXPECT_NE(registerRangeProblem(RegisterType::FloatCdab, 3), "");
    EXPECT_EQ(registerRangeProblem(RegisterType::Text, 3), "");
    // Bytes that are not printable ASCII show as dots, trailing zero bytes not at all.
    EXPECT_EQ(
        decodeRegisters(RegisterType::Text, std::vector<std::uint16_t>{0x4101, 0x0042})[0].text,
        "A..B");
    EXPECT_EQ(parseRegisterType("float"), RegisterType::FloatAbcd);
    EXPECT_EQ(parseRegisterType("float-dcba"), RegisterType::FloatDcba);
    EXPECT_EQ(parseRegisterType("double"), std::nullopt);
    EXPECT_EQ(encodeRegisters(RegisterType::Text, "ABC").words,
              (std::vector<std::uint16_t>{0x4142, 0x4300}));
    EXPECT_EQ(encodeRegisters(RegisterType::U16, "0x1F").words, (std::vector<std::uint16_t>{0x1F}));
    EXPECT_EQ(encodeRegisters(RegisterType::U16, "65536").error,
              "Значение \"65536\" не подходит к типу u16: целое от 0 до 65535.");
    for (const auto& [type, text] :
         {std::pair{RegisterType::S16, "32768"}, std::pair{RegisterType::Hex, "1FFFF"},
          std::pair{RegisterType::U32, "-1"}, std::pair{RegisterType::FloatAbcd, "1,5"},
          std::pair{RegisterType::FloatAbcd, "inf"}, std::pair{RegisterType::Text, "Ж"},
          std::pair{RegisterType::U16, ""}}) {
        SCOPED_TRACE(text);
        EXPECT_TRUE(encodeRegisters(type, text).words.empty());
        EXPECT_NE(encodeRegisters(type, text).error, "");
    }
}

} // namespace
} // namespace flowcfg
