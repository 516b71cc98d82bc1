#pragma once
// The "НАСТРОЙКИ ПРОГРАММЫ" page: the port, speed, parity and address selectors of the link,
// the quick answer end check box, the "ДОСТУПНЫЕ ПОРТЫ" box, "Обновить список портов", the
// link status line, "Проверить связь" and "Поиск прибора..." (the main window opens the scan).
//
// The rules of the selectors are in link/LinkSettingsScreen.h: the port, speed and parity
// selectors store into the link settings, refresh the status line and reopen the port; the
// address selector and the check box only store. While the program fills the selectors
// itself their signals are blocked. A reopen asked for while another operation exchanges is made as
// soon as that operation ends: closing the port under a waiting transaction is never allowed.

#include "link/LinkContext.h"
#include "link/LinkSettingsScreen.h"

#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace flowcfg {

class ProgramSettingsPage final : public QWidget {
    Q_OBJECT
public:
    // stopPolling is called by "Проверить связь" before it exchanges.
    ProgramSettingsPage(LinkContext& ctx, std::function<void()> stopPolling,
                        QWidget* parent = nullptr);

    // Fills the fixed lists (speeds, parities, addresses 0..247).
    void fillLists();
    // Shows the settings on the selectors and the status line (filling flag set meanwhile).
    void showLinkStatus();
    // Shows the found ports in the port selector and the "ДОСТУПНЫЕ ПОРТЫ" box.
    void fillPortLists();
    // "Обновить список портов": closes the port, enumerates, fills the lists, reopens.
    void refreshPorts();
    // "Проверить связь": reopens the port, stops the poll, sends the blink command.
    void checkLink();

    QComboBox* portSelector() const { return port_; }
    QComboBox* speedSelector() const { return speed_; }
    QComboBox* paritySelector() const { return parity_; }
    QComboBox* addressSelector() const { return address_; }
    QCheckBox* quickAnswerEndBox() const { return quickEnd_; }
    QPlainTextEdit* availablePorts() const { return available_; }
    QLabel* statusLine() const { return status_; }
    QPushButton* refreshButton() const { return refresh_; }
    QPushButton* checkButton() const { return check_; }
    QPushButton* scanButton() const { return scan_; }

private:
    void onPortChosen(int index);
    void chosen(bool reopenNeeded);
    void reopen();

    LinkContext& ctx_;
    std::function<void()> stopPolling_;

    QComboBox* port_ = nullptr;
    QComboBox* speed_ = nullptr;
    QComboBox* parity_ = nullptr;
    QComboBox* address_ = nullptr;
    QCheckBox* quickEnd_ = nullptr;
    PortLists ports_; // what the port selector shows
    QPlainTextEdit* available_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* refresh_ = nullptr;
    QPushButton* check_ = nullptr;
    QPushButton* scan_ = nullptr;
    QTimer* reopenRetry_ = nullptr;
};

} // namespace flowcfg
