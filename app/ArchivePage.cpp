#include "app/ArchivePage.h"

#include "app/Fonts.h"
#include "app/QtText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace flowcfg {

namespace {

QComboBox* selector(const std::vector<std::string>& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    QStringList list;
    list.reserve(qsizetype(items.size()));
    for (const auto& item : items)
        list << QString::fromStdString(item);
    box->addItems(list);
    return box;
}

QLineEdit* counterField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setReadOnly(true);
    field->setFont(fixedFont());
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 12);
    return field;
}

void setIndex(QComboBox* box, int index) {
    if (index >= 0 && index < box->count() && box->currentIndex() != index)
        box->setCurrentIndex(index);
}

} // namespace

ArchivePage::ArchivePage(ArchiveController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    namespace t = archive_text;
    timer_.setSingleShot(true);
    timer_.setInterval(kTransferTickMs);
    connect(&timer_, &QTimer::timeout, this, &ArchivePage::onTick);

    // Recording interval and the frame selectors.
    auto* intervalBox = new QGroupBox(this);
    auto* intervalGrid = new QGridLayout(intervalBox);
    interval_ = selector(intervalItems(), intervalBox);
    interval_->setMaxVisibleItems(20);
    intervalGrid->addWidget(interval_, 0, 0);
    intervalGrid->addWidget(new QLabel(qs(t::IntervalUnit), intervalBox), 0, 1);
    readInterval_ = new QPushButton(qs(t::Read), intervalBox);
    writeInterval_ = new QPushButton(qs(t::Write), intervalBox);
    intervalGrid->addWidget(readInterval_, 0, 2);
    intervalGrid->addWidget(writeInterval_, 0, 3);
    hiddenSelectors_ = new QWidget(intervalBox);
    auto* hiddenGrid = new QGridLayout(hiddenSelectors_);
    hiddenGrid->setContentsMargins(0, 0, 0, 0);
    frameType_ = selector(frameTypeItems(), hiddenSelectors_);
    frameNumberAfterRead_ = selector(frameNumberAfterReadItems(), hiddenSelectors_);
    hiddenGrid->addWidget(new QLabel(qs(t::FrameTypeCaption), hiddenSelectors_), 0, 0);
    hiddenGrid->addWidget(frameType_, 0, 1);
    hiddenGrid->addWidget(new QLabel(qs(t::FrameNumberAfterReadCaption), hiddenSelectors_), 1, 0);
    hiddenGrid->addWidget(frameNumberAfterRead_, 1, 1);
    intervalGrid->addWidget(hiddenSelectors_, 1, 0, 1, 4);
    intervalGrid->setColumnStretch(4, 1);

    // Frame counters.
    auto* countersBox = new QGroupBox(this);
    auto* countersGrid = new QGridLayout(countersBox);
    total_ = counterField(countersBox);
    current_ = counterField(countersBox);
    blocks_ = counterField(countersBox);
    int row = 0;
    for (const auto& [caption, field] :
         {std::pair{t::TotalFramesCaption, total_}, std::pair{t::CurrentFrameCaption, current_},
          std::pair{t::BlocksCaption, blocks_}}) {
        countersGrid->addWidget(new QLabel(qs(caption), countersBox), row, 0);
        countersGrid->addWidget(field, row++, 1);
    }
    readFrameData_ = new QPushButton(qs(t::Read), countersBox);
    countersGrid->addWidget(readFrameData_, row, 1);
    countersGrid->setColumnStretch(2, 1);

    // The frame to be read next.
    auto* frameBox = new QGroupBox(qs(t::ReadFrameNumberCaption), this);
    auto* frameGrid = new QGridLayout(frameBox);
    frameNumber_ = new QLineEdit(frameBox);
    frameNumber_->setFont(fixedFont());
    readFrameNumber_ = new QPushButton(qs(t::Read), frameBox);
    writeFrameNumber_ = new QPushButton(qs(t::Write), frameBox);
    frameGrid->addWidget(frameNumber_, 0, 0, 1, 2);
    frameGrid->addWidget(readFrameNumber_, 1, 0);
    frameGrid->addWidget(writeFrameNumber_, 1, 1);
    frameGrid->setColumnStretch(2, 1);

    // Download.
    auto* downloadBox = new QGroupBox(this);
    auto* downloadLayout = new QVBoxLayout(downloadBox);
    auto* buttons = new QHBoxLayout;
    downloadAll_ = new QPushButton(qs(t::DownloadAll), downloadBox);
    download3600_ = new QPushButton(qs(t::Download3600), downloadBox);
    download600_ = new QPushButton(qs(t::Download600), downloadBox);
    stop_ = new QPushButton(qs(t::Stop), downloadBox);
    for (auto* b : {downloadAll_, download3600_, download600_, stop_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    downloadLayout->addLayout(buttons);
    auto* statusRow = new QHBoxLayout;
    status_ = new QLabel(downloadBox);
    status_->setMinimumWidth(status_->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 40);
    progress_ = new QProgressBar(downloadBox);
    progress_->setFormat(QStringLiteral("%v / %m"));
    statusRow->addWidget(status_, 1);
    statusRow->addWidget(progress_, 1);
    downloadLayout->addLayout(statusRow);

    auto* page = new QGridLayout(this);
    page->addWidget(intervalBox, 0, 0);
    page->addWidget(countersBox, 0, 1);
    page->addWidget(frameBox, 1, 0);
    page->addWidget(downloadBox, 2, 0, 1, 2);
    page->setRowStretch(3, 1);
    page->setColumnStretch(2, 1);

    // Plain callables: member-function pointers captured by Qt slot lambdas trip the
    // address sanitizer (as on the measurement page).
    const auto button = [this](QPushButton* b, void (*op)(ArchiveController&)) {
        connect(b, &QPushButton::clicked, this, [this, op] {
            take();
            op(controller_);
            render();
        });
    };
    button(readInterval_, [](ArchiveController& c) { c.readInterval(); });
    button(writeInterval_, [](ArchiveController& c) { c.writeInterval(); });
    button(readFrameData_, [](ArchiveController& c) { c.readFrameData(); });
    button(readFrameNumber_, [](ArchiveController& c) { c.readFrameNumber(); });
    button(writeFrameNumber_, [](ArchiveController& c) { c.writeFrameNumber(); });
    connect(downloadAll_, &QPushButton::clicked, this, [this] { download(std::nullopt); });
    connect(download3600_, &QPushButton::clicked, this, [this] { download(3600u); });
    connect(download600_, &QPushButton::clicked, this, [this] { download(600u); });
    connect(stop_, &QPushButton::clicked, this, [this] {
        timer_.stop();
        controller_.stop();
        render();
    });

    controller_.changed = [this] { render(); };
    render();
}

ArchivePage::~ArchivePage() {
    controller_.changed = nullptr;
}

void ArchivePage::take() {
    ArchiveScreen& s = controller_.screen();
    s.intervalIndex = interval_->currentIndex();
    s.frameTypeIndex = frameType_->currentIndex();
    s.frameNumberAfterReadIndex = frameNumberAfterRead_->currentIndex();
    s.readFrameNumber = frameNumber_->text().toStdString();
    // The widgets hold these now: render must not put older model values back.
    shown_.intervalIndex = s.intervalIndex;
    shown_.frameTypeIndex = s.frameTypeIndex;
    shown_.frameNumberAfterReadIndex = s.frameNumberAfterReadIndex;
    shown_.readFrameNumber = s.readFrameNumber;
}

void ArchivePage::render() {
    const ArchiveScreen& s = controller_.screen();
    if (!rendered_ || s.intervalIndex != shown_.intervalIndex)
        setIndex(interval_, s.intervalIndex);
    if (!rendered_ || s.frameTypeIndex != shown_.frameTypeIndex)
        setIndex(frameType_, s.frameTypeIndex);
    if (!rendered_ || s.frameNumberAfterReadIndex != shown_.frameNumberAfterReadIndex)
        setIndex(frameNumberAfterRead_, s.frameNumberAfterReadIndex);
    if (!rendered_ || s.readFrameNumber != shown_.readFrameNumber)
        frameNumber_->setText(QString::fromStdString(s.readFrameNumber));
    shown_ = s;
    rendered_ = true;

    hiddenSelectors_->setVisible(s.hiddenSelectorsVisible);
    total_->setText(QString::fromStdString(s.totalFrames));
    current_->setText(QString::fromStdString(s.currentFrame));
    blocks_->setText(QString::fromStdString(s.blocks));
    status_->setText(QString::fromStdString(s.status));
    constexpr auto intMax = static_cast<std::uint32_t>(std::numeric_limits<int>::max());
    progress_->setRange(0, int(std::max<std::uint32_t>(1, std::min(s.progressMaximum, intMax))));
    progress_->setValue(int(std::min({s.progressValue, s.progressMaximum, intMax})));

    const QString text = QString::fromStdString(intervalText(s));
    if (text != intervalText_) {
        intervalText_ = text;
        emit intervalTextChanged(text);
    }
}

QString ArchivePage::counterText(int which) const {
    const QLineEdit* fields[] = {total_, current_, blocks_};
    return which >= 0 && which < 3 ? fields[which]->text() : QString();
}

void ArchivePage::download(std::optional<std::uint32_t> frames) {
    const bool arm = controller_.start(frames);
    render();
    if (arm)
        timer_.start(kTransferTickMs);
}

void ArchivePage::onTick() {
    const bool again = controller_.tick();
    render();
    if (again && controller_.transfer().transferRunning())
        timer_.start(kTransferTickMs);
}

} // namespace flowcfg
