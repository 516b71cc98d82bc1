#include "app/ProgramSettingsPage.h"

#include "app/Fonts.h"
#include "link/LinkSettings.h"
#include "link/Ports.h"
#include "model/CheckConnection.h"
#include "platform/CFormat.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace flowcfg {

namespace {

// Sets a flag for the lifetime of the object.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// "%3u": right-aligned in three characters.
QString addressItem(unsigned value) {
    std::string text;
    appendUnsigned(text, value);
    return QString::fromStdString(text).rightJustified(3, QLatin1Char(' '));
}

} // namespace

ProgramSettingsPage::ProgramSettingsPage(QWidget* container, LinkContext& ctx,
                                         std::function<void()> stopPolling)
    : QObject(container), ctx_(ctx), stopPolling_(std::move(stopPolling)) {
    const QFont fixed = fixedFont();

    auto* linkBox = new QGroupBox(QStringLiteral("Связь с прибором"), container);
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

    auto* portsBox = new QGroupBox(QStringLiteral("ДОСТУПНЫЕ ПОРТЫ"), container);
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
    auto* page = new QVBoxLayout(container);
    page->addLayout(row);
    page->addStretch(1);

    reopenRetry_ = new QTimer(this);
    reopenRetry_->setSingleShot(true);
    reopenRetry_->setInterval(50);
    connect(reopenRetry_, &QTimer::timeout, this, [this] { reopen(); });

    connect(port_, &QComboBox::currentIndexChanged, this, [this](int i) { onPortChosen(i); });
    connect(speed_, &QComboBox::currentIndexChanged, this, [this](int i) { onSpeedChosen(i); });
    connect(parity_, &QComboBox::currentIndexChanged, this, [this](int i) { onParityChosen(i); });
    connect(address_, &QComboBox::currentIndexChanged, this, [this](int i) { onAddressChosen(i); });
    connect(refresh_, &QPushButton::clicked, this, [this] { refreshPorts(); });
    connect(check_, &QPushButton::clicked, this, [this] { checkLink(); });
}

void ProgramSettingsPage::fillLists() {
    FlagScope filling(filling_);
    speed_->clear();
    for (const char* s : {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"})
        speed_->addItem(QString::fromLatin1(s));
    parity_->clear();
    for (const char* s : {"Без паритета", "Нечетный", "Четный"})
        parity_->addItem(QString::fromUtf8(s));
    address_->clear();
    for (unsigned a = 0; a <= 247; ++a)
        address_->addItem(addressItem(a));
}

void ProgramSettingsPage::showLinkStatus() {
    FlagScope filling(filling_);
    const LinkSettings& s = ctx_.settings;
    const bool known = s.speedIndex >= 3 && s.speedIndex <= 10 && s.speedIndex != 6;
    speed_->setCurrentIndex(known ? s.speedIndex - 3 : 3);
    parity_->setCurrentIndex(s.parity <= 2 ? s.parity : 0);
    address_->setCurrentIndex(s.NetAdrr < address_->count() ? s.NetAdrr : -1);
    status_->setText(QString::fromStdString(linkStatusText(s)));
}

void ProgramSettingsPage::fillPortLists() {
    FlagScope filling(filling_);
    const PortLists lists = portLists(ctx_.foundPorts, ctx_.settings.Number);
    port_->clear();
    for (std::size_t i = 0; i < lists.items.size(); ++i) {
        port_->addItem(QString::fromStdString(lists.items[i]));
        const std::uint16_t number = ctx_.foundPorts[i];
        port_->setItemData(static_cast<int>(i),
                           QString::fromStdString(devicePathForPort(ctx_.settings, number)),
                           Qt::ToolTipRole);
    }
    port_->setCurrentIndex(lists.selected);
    port_->setPlaceholderText(QString::fromStdString(lists.selectorText));
    port_->setToolTip(port_->currentData(Qt::ToolTipRole).toString());
    QStringList lines;
    for (const std::string& line : lists.available)
        lines << QString::fromStdString(line);
    available_->setPlainText(lines.join(QLatin1Char('\n')));
}

void ProgramSettingsPage::refreshPorts() {
    OperationGuard guard(ctx_);
    if (!guard)
        return;
    flowcfg::refreshPorts(ctx_);
    fillPortLists();
}

void ProgramSettingsPage::checkLink() {
    OperationGuard guard(ctx_);
    if (!guard)
        return;
    if (stopPolling_)
        stopPolling_();
    checkConnection(ctx_);
}

void ProgramSettingsPage::onPortChosen(int index) {
    if (filling_)
        return;
    if (index < 0 || static_cast<std::size_t>(index) >= ctx_.foundPorts.size())
        return;
    ctx_.settings.Number = ctx_.foundPorts[static_cast<std::size_t>(index)];
    port_->setToolTip(port_->itemData(index, Qt::ToolTipRole).toString());
    settingsChanged();
}

void ProgramSettingsPage::onSpeedChosen(int index) {
    if (filling_)
        return;
    ctx_.settings.speedIndex = index < 0 ? 7 : static_cast<std::uint16_t>(index + 3);
    settingsChanged();
}

void ProgramSettingsPage::onParityChosen(int index) {
    if (filling_)
        return;
    ctx_.settings.parity = index < 0 ? 0 : static_cast<std::uint16_t>(index);
    settingsChanged();
}

void ProgramSettingsPage::onAddressChosen(int index) {
    if (filling_ || index < 0)
        return;
    ctx_.settings.NetAdrr = static_cast<std::uint16_t>(index);
}

void ProgramSettingsPage::settingsChanged() {
    status_->setText(QString::fromStdString(linkStatusText(ctx_.settings)));
    reopen();
}

void ProgramSettingsPage::reopen() {
    OperationGuard guard(ctx_);
    if (!guard) {
        // A transaction is waiting on the port: reopen once it has finished.
        reopenPending_ = true;
        reopenRetry_->start();
        return;
    }
    reopenPending_ = false;
    openPort(ctx_, true);
}

} // namespace flowcfg
