#include "app/MeasurePage.h"

#include "app/Fonts.h"
#include "app/QtText.h"
#include "app/TrendView.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>

namespace flowcfg {

namespace {

// The background of a colour; ButtonFace is the palette's own button colour.
QColor background(ScreenColour colour, const QPalette& palette) {
    if (const auto rgb = rgbOf(colour))
        return QColor(rgb->r, rgb->g, rgb->b);
    return palette.color(QPalette::Button);
}

void paint(QWidget* widget, ScreenColour colour) {
    QPalette p = widget->palette();
    const QColor bg = background(colour, QGuiApplication::palette());
    p.setColor(QPalette::Base, bg);
    p.setColor(QPalette::Window, bg);
    // Fixed colours are light: keep the text dark on them whatever the theme.
    const QColor text =
        rgbOf(colour) ? QColor(Qt::black) : QGuiApplication::palette().color(QPalette::ButtonText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::WindowText, text);
    widget->setPalette(p);
}

} // namespace

MeasurePage::MeasurePage(MeasurePanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {
    namespace c = measure_caption;

    // Flow and state.
    auto* flowBox = new QGroupBox(qs(c::flow), this);
    auto* flowGrid = new QGridLayout(flowBox);
    flowGrid->addWidget(addField(&MeasureScreen::flow, flowBox, 14), 0, 0);
    flowGrid->addWidget(addLabel(&MeasureScreen::flowUnit, flowBox), 0, 1);
    auto* statusLine = addField(&MeasureScreen::statusLine, flowBox, 60);
    flowGrid->addWidget(statusLine, 1, 0, 1, 3);
    flowGrid->setColumnStretch(2, 1);

    // Totals and times.
    auto* volumeBox = new QGroupBox(QStringLiteral("Накопленный объем"), this);
    auto* volumeGrid = new QGridLayout(volumeBox);
    int row = 0;
    for (const auto& [caption, field] :
         {std::pair{c::volumeSum, &MeasureScreen::volumeSum},
          std::pair{c::volumeForward, &MeasureScreen::volumeForward},
          std::pair{c::volumeReverse, &MeasureScreen::volumeReverse},
          std::pair{c::volumeModulus, &MeasureScreen::volumeModulus}}) {
        volumeGrid->addWidget(new QLabel(qs(caption), volumeBox), row, 0);
        volumeGrid->addWidget(addField(field, volumeBox, 20), row, 1);
        volumeGrid->addWidget(addLabel(&MeasureScreen::volumeUnit, volumeBox), row, 2);
        ++row;
    }
    volumeGrid->addWidget(new QLabel(qs(c::accumulationTime), volumeBox), row, 0);
    volumeGrid->addWidget(addField(&MeasureScreen::accumulationTime, volumeBox, 20), row++, 1);
    volumeGrid->addWidget(new QLabel(qs(c::runTime), volumeBox), row, 0);
    volumeGrid->addWidget(addField(&MeasureScreen::runTime, volumeBox, 20), row++, 1);
    volumeGrid->addWidget(addField(&MeasureScreen::volumeState, volumeBox, 40), row++, 0, 1, 3);

    // Flow from the primary converter.
    auto* primaryBox = new QGroupBox(qs(c::primaryFlow), this);
    auto* primaryGrid = new QGridLayout(primaryBox);
    primaryGrid->addWidget(addField(&MeasureScreen::primaryFlow, primaryBox, 14), 0, 0);
    primaryGrid->addWidget(new QLabel(qs(c::primaryFlowUnit), primaryBox), 0, 1);
    primaryGrid->addWidget(addField(&MeasureScreen::primaryHi, primaryBox, 10), 1, 0);
    primaryGrid->addWidget(addField(&MeasureScreen::primaryLo, primaryBox, 10), 2, 0);

    // Outputs.
    auto* outputsBox = new QGroupBox(QStringLiteral("Выходы"), this);
    auto* outGrid = new QGridLayout(outputsBox);
    outGrid->addWidget(new QLabel(qs(c::current), outputsBox), 0, 0);
    outGrid->addWidget(addField(&MeasureScreen::current, outputsBox, 8), 0, 1);
    outGrid->addWidget(new QLabel(qs(c::currentUnit), outputsBox), 0, 2);
    outGrid->addWidget(addField(&MeasureScreen::currentState, outputsBox, 12), 0, 3);
    outGrid->addWidget(new QLabel(qs(c::out1), outputsBox), 1, 0);
    outGrid->addWidget(addField(&MeasureScreen::out1Frequency, outputsBox, 8), 1, 1);
    outGrid->addWidget(new QLabel(QStringLiteral("Гц"), outputsBox), 1, 2);
    outGrid->addWidget(addField(&MeasureScreen::out1Mode, outputsBox, 12), 1, 3);
    outGrid->addWidget(addLabel(&MeasureScreen::out1Indicator, outputsBox, true), 1, 4);
    outGrid->addWidget(new QLabel(qs(c::out2), outputsBox), 2, 0);
    outGrid->addWidget(addField(&MeasureScreen::out2Frequency, outputsBox, 8), 2, 1);
    outGrid->addWidget(new QLabel(QStringLiteral("Гц"), outputsBox), 2, 2);
    outGrid->addWidget(addField(&MeasureScreen::out2Mode, outputsBox, 12), 2, 3);
    outGrid->addWidget(addLabel(&MeasureScreen::out2Indicator, outputsBox, true), 2, 4);
    lamp_ = new QPushButton(qs(c::readOutputs), outputsBox);
    lamp_->setObjectName(QStringLiteral("readOutputsLamp"));
    lamp_->setToolTip(QStringLiteral("Читать выходы при каждом измерении"));
    outGrid->addWidget(lamp_, 3, 0, 1, 2);
    connect(lamp_, &QPushButton::clicked, this, [this] {
        panel_.toggleOutputsRead();
        render();
    });

    // Counters.
    auto* countersBox = new QGroupBox(QStringLiteral("Обмен"), this);
    auto* countersGrid = new QGridLayout(countersBox);
    countersGrid->addWidget(new QLabel(qs(c::cycles), countersBox), 0, 0);
    countersGrid->addWidget(addField(&MeasureScreen::cycles, countersBox, 7), 0, 1);
    countersGrid->addWidget(new QLabel(qs(c::errors), countersBox), 1, 0);
    countersGrid->addWidget(addField(&MeasureScreen::errors, countersBox, 7), 1, 1);

    // Buttons.
    auto* buttons = new QVBoxLayout;
    read_ = addButton(c::readButton, this, [](MeasurePanel& p) { p.readOnce(); });
    cyclic_ = addButton(c::cyclicButton, this, [](MeasurePanel& p) { p.startCyclic(); });
    stop_ = addButton(c::stopButton, this, [](MeasurePanel& p) { p.stopCyclic(); });
    resetErrors_ =
        addButton(c::resetErrorsButton, this, [](MeasurePanel& p) { p.resetErrorCount(); });
    resetVolume_ = addButton(c::resetVolumeButton, this, [](MeasurePanel& p) { p.resetVolume(); });
    for (QPushButton* b : {read_, cyclic_, stop_, resetErrors_, resetVolume_})
        buttons->addWidget(b);
    buttons->addSpacing(12);
    buttons->addWidget(countersBox);
    csv_ = new QCheckBox(QStringLiteral("Записывать в CSV…"), this);
    csv_->setToolTip(QStringLiteral("Каждый опрос циклического чтения строкой в файл CSV"));
    connect(csv_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            panel_.startCsvRecording();
        else
            panel_.recordCsv(nullptr);
        render();
    });
    buttons->addWidget(csv_);
    buttons->addStretch(1);

    auto* left = new QVBoxLayout;
    left->addWidget(flowBox);
    left->addWidget(volumeBox);
    auto* lower = new QHBoxLayout;
    lower->addWidget(primaryBox);
    lower->addWidget(outputsBox);
    left->addLayout(lower);
    left->addStretch(1);

    // The page's fields above, the trend of the polls below; the border between them moves.
    auto* fields = new QWidget(this);
    auto* page = new QHBoxLayout(fields);
    page->setContentsMargins(0, 0, 0, 0);
    page->addLayout(left, 1);
    page->addLayout(buttons);
    trendView_ = new TrendView(trend_, panel_.dialogs(), this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(fields);
    splitter->addWidget(trendView_);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(splitter);

    panel_.changed = [this] { render(); };
    panel_.polled = [this](const PollRecord& poll) {
        trend_.add(poll);
        trendView_->refresh();
        showCsvSwitch(); // a line that could not be written stopped the recording
    };
    render();
}

MeasurePage::~MeasurePage() {
    panel_.changed = nullptr;
    panel_.polled = nullptr;
}

QLineEdit* MeasurePage::addField(ScreenField MeasureScreen::*field, QWidget* parent, int minChars) {
    auto* edit = new QLineEdit(parent);
    edit->setReadOnly(true);
    edit->setFont(fixedFont());
    edit->setFocusPolicy(Qt::ClickFocus);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * minChars + 12);
    bindings_.push_back({field, edit, true});
    return edit;
}

QLabel* MeasurePage::addLabel(ScreenField MeasureScreen::*field, QWidget* parent, bool painted) {
    auto* label = new QLabel(parent);
    label->setAutoFillBackground(painted);
    if (painted)
        label->setFrameShape(QFrame::StyledPanel);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("литры/сек")));
    bindings_.push_back({field, label, painted});
    return label;
}

QPushButton* MeasurePage::addButton(std::string_view caption, QWidget* parent,
                                    std::function<void(MeasurePanel&)> op) {
    auto* button = new QPushButton(qs(caption), parent);
    connect(button, &QPushButton::clicked, this, [this, op = std::move(op)] {
        op(panel_);
        render();
    });
    return button;
}

QWidget* MeasurePage::widgetOf(ScreenField MeasureScreen::*field) const {
    for (const Binding& b : bindings_)
        if (b.field == field)
            return b.widget;
    return nullptr;
}

void MeasurePage::render() {
    MeasureScreen& screen = panel_.screen();
    for (const Binding& b : bindings_) {
        const ScreenField& f = screen.*(b.field);
        const QString text = qs(f.text);
        if (auto* edit = qobject_cast<QLineEdit*>(b.widget)) {
            if (edit->text() != text)
                edit->setText(text);
            edit->setCursorPosition(0);
        } else if (auto* label = qobject_cast<QLabel*>(b.widget)) {
            label->setText(text);
        }
        if (b.painted)
            paint(b.widget, f.colour);
    }
    if (const auto rgb = rgbOf(screen.readOutputsLamp))
        lamp_->setStyleSheet(QStringLiteral("QPushButton { background-color: rgb(%1, %2, %3); }")
                                 .arg(rgb->r)
                                 .arg(rgb->g)
                                 .arg(rgb->b));
    else
        lamp_->setStyleSheet(QString());
    switch (screen.focus) {
    case MeasureFocus::ReadButton:
        read_->setFocus(Qt::OtherFocusReason);
        break;
    case MeasureFocus::StopButton:
        stop_->setFocus(Qt::OtherFocusReason);
        break;
    case MeasureFocus::None:
        break;
    }
    screen.focus = MeasureFocus::None;
    showCsvSwitch();
}

void MeasurePage::showCsvSwitch() {
    const QSignalBlocker quiet(csv_);
    csv_->setChecked(panel_.recordingCsv());
}

} // namespace flowcfg
