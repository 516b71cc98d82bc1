#include "app/ProgramSettingsPage.h"

#include "app/Fonts.h"
#include "app/QtText.h"
#include "link/Ports.h"
#include "model/CheckConnection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace flowcfg {

namespace {

// Fills a list, signals blocked: the program's own filling is not a choice.
void fill(QComboBox* list, const QStringList& items) {
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(items);
}

template <class Texts> QStringList listOf(const Texts& texts) {
    QStringList out;
    for (const auto& t : texts)
        out << qs(t);
    return out;
}

} // namespace

ProgramSettingsPage::ProgramSettingsPage(LinkContext& ctx, std::function<void()> stopPolling,
                                         QWidget* parent)
    : QWidget(parent), ctx_(ctx), stopPolling_(std::move(stopPolling)) {
    const QFont fixed = fixedFont();

    auto* linkBox = new QGroupBox(QStringLiteral("Связь с прибором"), this);
    auto* form = new QFormLayout(linkBox);
    port_ = new QComboBox(linkBox);
    port_->setObjectName(QStringLiteral("port"));
    speed_ = new QComboBox(linkBox);
    speed_->setObjectName(QStringLiteral("speed"));
    parity_ = new QComboBox(linkBox);
    parity_->setObjectName(QStringLiteral("parity"));
    address_ = new QComboBox(linkBox);
    address_->setObjectName(QStringLiteral("address"));
    address_->setFont(fixed);
    form->addRow(QStringLiteral("Порт"), port_);
    form->addRow(QStringLiteral("Скорость"), speed_);
    form->addRow(QStringLiteral("Паритет"), parity_);
    form->addRow(QStringLiteral("СЕТЕВОЙ АДРЕС"), address_);
    quickEnd_ = new QCheckBox(qs(kQuickAnswerEndCaption), linkBox);
    quickEnd_->setObjectName(QStringLiteral("quickAnswerEnd"));
    quickEnd_->setToolTip(qs(kQuickAnswerEndTip));
    form->addRow(quickEnd_);

    status_ = new QLabel(linkBox);
    status_->setObjectName(QStringLiteral("linkStatus"));
    status_->setFont(fixed);
    status_->setFrameShape(QFrame::StyledPanel);
    status_->setMinimumWidth(
        QFontMetrics(fixed).horizontalAdvance(QStringLiteral("COM63, 115200 , нечетный паритет ")) +
        12);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(status_);

    check_ = new QPushButton(QStringLiteral("Проверить связь"), linkBox);
    check_->setObjectName(QStringLiteral("checkLink"));
    form->addRow(check_);
    scan_ = new QPushButton(QStringLiteral("Поиск прибора..."), linkBox);
    scan_->setObjectName(QStringLiteral("scanBus"));
    form->addRow(scan_);

    auto* portsBox = new QGroupBox(QStringLiteral("ДОСТУПНЫЕ ПОРТЫ"), this);
    auto* portsLayout = new QVBoxLayout(portsBox);
    available_ = new QPlainTextEdit(portsBox);
    available_->setObjectName(QStringLiteral("availablePorts"));
    available_->setReadOnly(true);
    available_->setFont(fixed);
    available_->setMaximumWidth(220);
    refresh_ = new QPushButton(QStringLiteral("Обновить список портов"), portsBox);
    refresh_->setObjectName(QStringLiteral("refreshPorts"));
    portsLayout->addWidget(available_);
    portsLayout->addWidget(refresh_);

    auto* row = new QHBoxLayout;
    row->addWidget(linkBox, 0, Qt::AlignTop);
    row->addWidget(portsBox, 0, Qt::AlignTop);
    row->addStretch(1);
    auto* page = new QVBoxLayout(this);
    page->addLayout(row);
    page->addStretch(1);

    reopenRetry_ = new QTimer(this);
    reopenRetry_->setSingleShot(true);
    reopenRetry_->setInterval(50);
    connect(reopenRetry_, &QTimer::timeout, this, [this] { reopen(); });

    connect(port_, &QComboBox::currentIndexChanged, this, [this](int i) { onPortChosen(i); });
    connect(speed_, &QComboBox::currentIndexChanged, this,
            [this](int i) { chosen(chooseSpeed(ctx_.settings, i)); });
    connect(parity_, &QComboBox::currentIndexChanged, this,
            [this](int i) { chosen(chooseParity(ctx_.settings, i)); });
    connect(address_, &QComboBox::currentIndexChanged, this,
            [this](int i) { chosen(chooseAddress(ctx_.settings, i)); });
    connect(quickEnd_, &QCheckBox::toggled, this,
            [this](bool on) { chosen(chooseQuickAnswerEnd(ctx_.settings, on)); });
    connect(refresh_, &QPushButton::clicked, this, [this] { refreshPorts(); });
    connect(check_, &QPushButton::clicked, this, [this] { checkLink(); });
}

void ProgramSettingsPage::fillLists() {
    fill(speed_, listOf(speedItems()));
    fill(parity_, listOf(parityItems()));
    fill(address_, listOf(addressItems()));
}

void ProgramSettingsPage::showLinkStatus() {
    const LinkSelection shown = linkSelection(ctx_.settings);
    const QSignalBlocker quietSpeed(speed_), quietParity(parity_), quietAddress(address_),
        quietQuickEnd(quickEnd_);
    speed_->setCurrentIndex(shown.speed);
    parity_->setCurrentIndex(shown.parity);
    address_->setCurrentIndex(shown.address);
    quickEnd_->setChecked(shown.quickAnswerEnd);
    status_->setText(qs(shown.status));
}

void ProgramSettingsPage::fillPortLists() {
    const QSignalBlocker quiet(port_);
    ports_ = portLists(ctx_.foundPorts, ctx_.settings.Number);
    port_->clear();
    for (std::size_t i = 0; i < ports_.items.size(); ++i) {
        port_->addItem(qs(ports_.items[i]));
        port_->setItemData(static_cast<int>(i),
                           qs(devicePathForPort(ctx_.settings, ports_.numbers[i])),
                           Qt::ToolTipRole);
    }
    port_->setCurrentIndex(ports_.selected);
    port_->setPlaceholderText(qs(ports_.selectorText));
    port_->setToolTip(port_->currentData(Qt::ToolTipRole).toString());
    available_->setPlainText(listOf(ports_.available).join(QLatin1Char('\n')));
}

void ProgramSettingsPage::refreshPorts() {
    OperationGuard guard(ctx_);
    if (!guard)
        return;
    flowcfg::refreshPorts(ctx_);
    fillPortLists();
}

void ProgramSettingsPage::checkLink() {
    checkConnection(ctx_, stopPolling_); // does nothing while another operation exchanges
}

void ProgramSettingsPage::onPortChosen(int index) {
    if (!choosePort(ctx_.settings, ports_, index))
        return;
    port_->setToolTip(port_->itemData(index, Qt::ToolTipRole).toString());
    chosen(true);
}

void ProgramSettingsPage::chosen(bool reopenNeeded) {
    if (!reopenNeeded)
        return;
    status_->setText(qs(linkStatusText(ctx_.settings)));
    reopen();
}

void ProgramSettingsPage::reopen() {
    OperationGuard guard(ctx_);
    if (!guard) {
        // A transaction is waiting on the port: reopen once it has finished.
        reopenRetry_->start();
        return;
    }
    openPort(ctx_, true);
}

} // namespace flowcfg
