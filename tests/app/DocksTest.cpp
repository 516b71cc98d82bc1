#include "WindowFixture.h"
#include "app/ExchangeDock.h"
#include "app/RegisterMonitorDock.h"
#include "link/ModbusMaster.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <array>
#include <gtest/gtest.h>

namespace flowcfg::test {
namespace {

class DocksTest : public ::testing::Test, protected WindowFixture {};

std::string cell(const QAbstractItemModel& model, int row, JournalColumn column) {
    return model.index(row, static_cast<int>(column)).data().toString().toStdString();
}

std::string cell(const QTableWidget* table, int row, int column) {
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text().toStdString() : "";
}

TEST_F(DocksTest, ExchangeViewShowsRequestsAnswersAndHighlightsAFailure) {
    attachSim();
    MainWindow& w = start();
    ExchangeDock& dock = w.exchangeDock();
    EXPECT_FALSE(dock.isVisible());
    EXPECT_EQ(dock.toggleViewAction()->text().toStdString(), "Обмен с прибором");
    dock.clearButton()->click();

    std::array<std::uint16_t, 2> values{};
    w.link().settings.Reask_val = 1;
    ModbusMaster(w.link()).readHoldingRegisters(0x0100, 2, values);
    com1->responder = nullptr; // the meter stops answering
    ModbusMaster(w.link()).readHoldingRegisters(0x0100, 2, values);
    dock.refresh();

    const ExchangeTableModel& model = dock.model();
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(cell(model, 0, JournalColumn::Direction), "Запрос");
    EXPECT_EQ(cell(model, 0, JournalColumn::Bytes), "01 03 01 00 00 02 c5 f7");
    EXPECT_EQ(cell(model, 0, JournalColumn::Description), "Чтение 0x0100 (256), 2 рег.");
    EXPECT_EQ(cell(model, 1, JournalColumn::Direction), "Ответ");
    EXPECT_EQ(cell(model, 1, JournalColumn::Status), "норма");
    EXPECT_FALSE(model.index(1, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(cell(model, 3, JournalColumn::Bytes), "");
    EXPECT_EQ(cell(model, 3, JournalColumn::Status),
              "0x0042: принято не сколько ожидалось, совсем ничего не пришло");
    EXPECT_EQ(model.index(3, 4).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 0));
    EXPECT_EQ(dock.copyText().count(QLatin1Char('\n')), 5); // the header and the four rows

    dock.pauseButton()->click(); // nothing more is taken in
    ModbusMaster(w.link()).readHoldingRegisters(0x0100, 2, values);
    dock.refresh();
    EXPECT_EQ(model.rowCount(), 4);
    dock.clearButton()->click();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(DocksTest, RegisterMonitorReadsTypedRangesAndWritesUnderTheGuard) {
    attachSim();
    MainWindow& w = start();
    RegisterMonitorDock& dock = w.monitorDock();
    EXPECT_EQ(dock.toggleViewAction()->text().toStdString(), "Монитор регистров");
    dock.addRange({.start = 0x04F0, .count = 1, .type = RegisterType::U16});
    dock.addRange({.start = 0x0400, .count = 3, .type = RegisterType::U32});
    com1->requests.clear();
    dock.readButton()->click();
    EXPECT_EQ(dock.problemLine()->text().toStdString(),
              "Диапазон 2: для типа u32 нужно четное число регистров.");
    EXPECT_TRUE(com1->requests.empty());

    dock.rangesTable()->item(1, 1)->setText(QStringLiteral("2"));
    dock.readButton()->click();
    EXPECT_EQ(com1->requests.size(), 2u);
    ASSERT_EQ(dock.valuesTable()->rowCount(), 2);
    EXPECT_EQ(cell(dock.valuesTable(), 1, 0), "0x0400 (1024)");
    EXPECT_EQ(cell(dock.valuesTable(), 1, 1).size(), std::string("0x0003 0xF941").size());
    EXPECT_TRUE(dialogs.shown.empty());

    dock.writeAddress()->setText(QStringLiteral("0x04F0"));
    dock.writeText()->setText(QStringLiteral("70000"));
    dock.writeButton()->click(); // does not fit u16: said, nothing sent
    EXPECT_EQ(
        dialogs.texts(),
        (std::vector<std::string>{"Значение \"70000\" не подходит к типу u16: целое от 0 до 65535.",
                                  "Запись данных не будет производиться."}));
    dialogs.shown.clear();
    dock.writeText()->setText(QStringLiteral("1234"));
    dock.writeButton()->click();
    EXPECT_EQ(dialogs.texts(),
              (std::vector<std::string>{"В регистр 0x04F0 (1264) будет записано 1234 (u16)?.",
                                        "Значение записано."}));
    EXPECT_EQ(cell(dock.valuesTable(), 0, 2), "1234"); // read back
}

} // namespace
} // namespace flowcfg::test
