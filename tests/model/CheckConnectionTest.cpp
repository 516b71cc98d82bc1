// "Проверить связь" on the fake line: the blink command of the register map and its boxes.

#include "model/CheckConnection.h"

#include "tests/link/LinkFixture.h"

#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class CheckConnection : public LinkFixture {
protected:
    CheckConnection() { ctx.port.reset(); }
};

TEST_F(CheckConnection, BlinksAndSaysWhetherTheMeterAnswered) {
    ctx.settings.portPaths[1] = "/dev/fake";
    answerInTurn({{}, withCrc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})});
    int pollStops = 0;
    EXPECT_EQ(checkConnection(ctx, [&] { ++pollStops; }).end, OperationEnd::Succeeded)
        << "a success after a repeat counts";
    EXPECT_EQ(pollStops, 1);
    EXPECT_EQ(line->requests.back(), (Bytes{0x01, 0x10, 0x04, 0x16, 0x00, 0x01, // blink register
                                            0x02, 0x00, 0x01,                   // value 1
                                            0x20, 0xA6}));                      // CRC
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0], (RecordedDialog{RecordedDialog::Kind::Message, "Результат операции",
                                                "Прибор ответил.", DialogIcon::Information}));
    EXPECT_EQ(ctx.lastWriteDescription, "Команда на мигание.");

    dialogs.shown.clear();
    answerAlways({});
    EXPECT_EQ(checkConnection(ctx).end, OperationEnd::Failed);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_NE(dialogs.shown[0].text, "Прибор ответил.");

    dialogs.shown.clear();
    ctx.settings.Number = 2;
    EXPECT_EQ(checkConnection(ctx).end, OperationEnd::PortFailed);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Ошибка");
}

} // namespace
} // namespace flowcfg::test
