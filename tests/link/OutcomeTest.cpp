#include "link/Outcome.h"

#include "ScriptedDialogs.h"

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

TEST(Outcome, BoxesCaptionsAndIcons) {
    ScriptedDialogs dialogs;
    EXPECT_TRUE(showOutcome(dialogs, {0x10, 2}));
    EXPECT_FALSE(showOutcome(dialogs, {0, 0}));
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

} // namespace
} // namespace flowcfg::test
