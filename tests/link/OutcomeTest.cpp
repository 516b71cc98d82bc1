#include "link/Outcome.h"

#include "FakeLinkTest.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

using Kind = RecordedDialog::Kind;

std::string textOf(ExchangeStatus s, std::uint16_t code = 0) {
    const auto t = outcomeText({s, code});
    return t ? t->text : std::string("<none>");
}

TEST(Outcome, FirstMatchingRowWins) {
    EXPECT_EQ(textOf(0x40), "Ответа не было.");
    EXPECT_EQ(textOf(0x42), "Ответа не было."); // no answer and wrong length: only the first
    EXPECT_EQ(textOf(0x7F, 2), "Ответа не было.");
    EXPECT_EQ(textOf(0x10, 1), "Неподдерживаемая функция.");
    EXPECT_EQ(textOf(0x1A, 2), "Адрес данных выходит за допустимые границы.");
    EXPECT_EQ(textOf(0x10, 3), "Величина данных превышает допустимое значение.");
    EXPECT_EQ(textOf(0x10, 4), "Ошибка в работе адресуемого устройства.");
    EXPECT_EQ(textOf(0x10, 6), "Ошибка устройства 6");
    EXPECT_EQ(textOf(0x10, 0), "Ошибка устройства 0");
    EXPECT_EQ(textOf(0x2F), "При приеме ответа ошибка паритета.");
    EXPECT_EQ(textOf(0x2E),
              "При приеме принято не ожидаемое число символов. Возможно, ответа просто не было.");
    EXPECT_EQ(textOf(0x2C),
              "При приеме в ответе указан не адрес того устройства к которому обращались.");
    EXPECT_EQ(textOf(0x28), "При приеме в ответе не сошлась контрольная сумма.");
    EXPECT_EQ(textOf(0x08), "В ответе указан не тот номер команды.");
    // Only the low eight bits count: a success after repeats explains nothing.
    EXPECT_EQ(textOf(0x8000), "<none>");
    EXPECT_EQ(textOf(0x8100), "<none>");
    EXPECT_EQ(textOf(0x8040), "Ответа не было.");
    EXPECT_EQ(outcomeText({0x40, 0})->caption, "Ошибка в обмене.");
    EXPECT_EQ(outcomeText({0x10, 2})->caption, "Устройство сообщает об ошибке");
}

using OutcomeBoxes = FakeLinkTest;

TEST_F(OutcomeBoxes, CaptionsAndIcons) {
    EXPECT_TRUE(showOutcome(ctx, {0x10, 2}));
    EXPECT_FALSE(showOutcome(ctx, {0, 0}));
    showSuccess(dialogs, "Запись параметров выходов успешно осуществлена.");
    dialogs.answers = {false, true};
    EXPECT_FALSE(confirm(dialogs, kConfigurationOverwrite));
    EXPECT_TRUE(confirm(dialogs, "Работа программы прибора будет перезапущена?."));
    const std::vector<RecordedDialog> expected = {
        {Kind::Message, "Устройство сообщает об ошибке",
         "Адрес данных выходит за допустимые границы.", DialogIcon::Warning},
        {Kind::Message, "Результат операции", "Запись параметров выходов успешно осуществлена.",
         DialogIcon::Information},
        {Kind::Question, "Подтвердите действие", "Данные конфигурации будут переписаны?.",
         DialogIcon::Warning},
        {Kind::Question, "Подтвердите действие", "Работа программы прибора будет перезапущена?.",
         DialogIcon::Warning},
    };
    EXPECT_EQ(dialogs.shown, expected);
}

TEST_F(OutcomeBoxes, NoAnswerSaysWhatWasTriedAndWhatToCheck) {
    ctx.settings.Number = 34;
    ctx.settings.speedIndex = 4; // 2400
    ctx.settings.parity = 2;
    ctx.settings.NetAdrr = 17;
    EXPECT_TRUE(showOutcome(ctx, {0x42, 0}));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Ошибка в обмене.");
    EXPECT_EQ(dialogs.shown[0].text,
              "Ответа не было.\n"
              "Запрос: COM34 (/dev/ttyUSB1), 2400 бод, четный паритет, адрес 17. Проверьте сетевой "
              "адрес и настройки связи прибора, кабель и провода A/B адаптера (не перепутаны ли).");
    // Every other text stays as it was.
    EXPECT_EQ(outcomeText({0x10, 2}, ctx.settings), outcomeText({0x10, 2}));
}

} // namespace
} // namespace flowcfg::test
