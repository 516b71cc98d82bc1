#include "config/NumberInput.h"

#include "ScriptedDialogs.h"

#include <clocale>
#include <gtest/gtest.h>
#include <optional>

namespace flowcfg::test {
namespace {

TEST(NumberInput, FloatsUseThePointWhateverTheLocale) {
    // A process locale with a decimal comma must not change what parses.
    const bool commaLocale = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr ||
                             std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_EQ(parseFloatText(" 2.5 "), 2.5f);
    EXPECT_EQ(parseFloatText("\t-0.125\t"), -0.125f);
    EXPECT_EQ(parseFloatText("+3"), 3.0f);
    EXPECT_EQ(parseFloatText("1e3"), 1000.0f);
    EXPECT_EQ(parseFloatText("1,5"), std::nullopt);
    EXPECT_EQ(parseFloatText(""), std::nullopt);
    EXPECT_EQ(parseFloatText("   "), std::nullopt);
    EXPECT_EQ(parseFloatText("2.5x"), std::nullopt);
    EXPECT_EQ(parseFloatText("2 .5"), std::nullopt);
    EXPECT_EQ(parseFloatText("+-2"), std::nullopt);
    // Nothing that is not a finite single reaches the meter.
    EXPECT_EQ(parseFloatText("nan"), std::nullopt);
    EXPECT_EQ(parseFloatText("inf"), std::nullopt);
    EXPECT_EQ(parseFloatText("1e39"), std::nullopt);
    if (commaLocale)
        std::setlocale(LC_NUMERIC, "C");
}

TEST(NumberInput, IntegersAreSignedDecimals) {
    EXPECT_EQ(parseIntegerText(" 42 "), 42);
    EXPECT_EQ(parseIntegerText("-1"), -1);
    EXPECT_EQ(parseIntegerText("+7"), 7);
    EXPECT_EQ(parseIntegerText("4294967296"), 4294967296); // the take checks the field's range
    EXPECT_EQ(parseIntegerText("99999999999999999999"), std::nullopt);
    EXPECT_EQ(parseIntegerText("12a"), std::nullopt);
    EXPECT_EQ(parseIntegerText("1.0"), std::nullopt);
    EXPECT_EQ(parseIntegerText(""), std::nullopt);
}

TEST(NumberInput, HexadecimalFieldsTakeWhatTheyShow) {
    EXPECT_EQ(parseHex16Text("0x0200"), 0x0200);
    EXPECT_EQ(parseHex16Text(" 1ab "), 0x01AB);
    EXPECT_EQ(parseHex16Text("FFFF"), 0xFFFF);
    EXPECT_EQ(parseHex16Text("1FFFF"), std::nullopt); // does not fit: not cut to 16 bits
    EXPECT_EQ(parseHex16Text("-1"), std::nullopt);
    EXPECT_EQ(parseHex16Text(""), std::nullopt);
    EXPECT_EQ(parseHex16Text("0x"), std::nullopt);
    EXPECT_EQ(parseHex16Text("12G"), std::nullopt);
}

TEST(NumberInput, IntegersOrHexadecimalAfterAPrefix) {
    EXPECT_EQ(parseIntegerOrHexText(" 31 "), 31);
    EXPECT_EQ(parseIntegerOrHexText("0x1f"), 31);
    EXPECT_EQ(parseIntegerOrHexText("$1F"), 31);
    EXPECT_EQ(parseIntegerOrHexText("1F"), std::nullopt); // no prefix: decimal
    EXPECT_EQ(parseIntegerOrHexText("$"), std::nullopt);
    EXPECT_EQ(parseIntegerOrHexText("0x-1"), std::nullopt);
}

TEST(NumberInput, HexInputFilterDropsOthersAndUpperCases) {
    EXPECT_EQ(filterHexInput("g"), "");
    EXPECT_EQ(filterHexInput("c"), "C");
    EXPECT_EQ(filterHexInput("a1fz9"), "A1F9");
    EXPECT_EQ(filterHexInput("ё"), "");
}

TEST(NumberInput, GenericMessagesShowTwoBoxesOwnMessagesOne) {
    ScriptedDialogs dialogs;
    reportBadInput(dialogs, InputMessage::Float);
    reportBadInput(dialogs, InputMessage::PanelPassword);
    const std::vector<RecordedDialog> expected = {
        {RecordedDialog::Kind::Message, "Ошибка ввода",
         "Вводимые данные не получается представить плавающим числом.", DialogIcon::Exclamation},
        {RecordedDialog::Kind::Message, "Сообщение", "Запись данных не будет производиться.",
         DialogIcon::Information},
        {RecordedDialog::Kind::Message, "Ошибка ввода",
         "Вводимый пароль не получается представить целым числом.", DialogIcon::Exclamation},
    };
    EXPECT_EQ(dialogs.shown, expected);
    EXPECT_EQ(inputMessageText(InputMessage::LongInteger),
              "Вводимые данные не получается представить длинным целым числом.");
}

} // namespace
} // namespace flowcfg::test
