#include "app/QtDialogs.h"

#include "QtTestApp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

struct SeenBox {
    std::string caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton byDefault = QMessageBox::NoButton;
    std::vector<std::string> buttonTexts; // in the order of the standard buttons
};

// Answers the next modal box with `answer` and records what it showed.
void answerNextBox(SeenBox& seen, QMessageBox::StandardButton answer) {
    QTimer::singleShot(0, [&seen, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle().toStdString(),
                box->text().toStdString(),
                box->icon(),
                box->standardButtons(),
                box->defaultButton() ? box->standardButton(box->defaultButton())
                                     : QMessageBox::NoButton,
                {}};
        for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No})
            if (box->button(b) != nullptr)
                seen.buttonTexts.push_back(box->button(b)->text().toStdString());
        box->button(answer)->click();
    });
}

TEST(QtDialogsTest, BoxesShowCaptionTextIconAndButtons) {
    QtAppGuard app;
    QtDialogs dialogs;
    SeenBox seen;

    answerNextBox(seen, QMessageBox::Ok);
    dialogs.message("Результат операции", "Прибор ответил.", DialogIcon::Information);
    EXPECT_EQ(seen.caption, "Результат операции");
    EXPECT_EQ(seen.text, "Прибор ответил.");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.buttonTexts, std::vector<std::string>{"OK"});

    answerNextBox(seen, QMessageBox::Ok);
    dialogs.message("Ошибка", "Невозможно открыть последовательный порт", DialogIcon::Error);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);

    // Qt's own Russian texts on the standard buttons.
    answerNextBox(seen, QMessageBox::No);
    EXPECT_FALSE(dialogs.askYesNo("Подтвердите действие", "Сбросить число ошибок?",
                                  DialogIcon::Warning, DefaultAnswer::Yes));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.buttonTexts, (std::vector<std::string>{"&Да", "&Нет"}));
    EXPECT_EQ(seen.byDefault, QMessageBox::Yes);

    // An irreversible question defaults to No.
    answerNextBox(seen, QMessageBox::Yes);
    EXPECT_TRUE(dialogs.askYesNo("Подтвердите действие", "Накопленный объем будет сброшен.",
                                 DialogIcon::Exclamation, DefaultAnswer::No));
    EXPECT_EQ(seen.text, "Накопленный объем будет сброшен.");
    EXPECT_EQ(seen.byDefault, QMessageBox::No);
}

TEST(QtDialogsTest, ProfileFilterInQtNotation) {
    EXPECT_STREQ(kQtProfileFilter, "Файл настроек прибора (*.prf);;Все файлы (*.*)");
}

} // namespace
} // namespace flowcfg::test
