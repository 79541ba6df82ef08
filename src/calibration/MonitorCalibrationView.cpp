#include "calibration/MonitorCalibrationView.h"

#include "calibration/MonitorCalibrationFullScreenWindow.h"
#include "calibration/MonitorCalibrationMeterCard.h"
#include "calibration/MonitorCalibrationPatternView.h"
#include "common/AtomicFile.h"
#include "common/Backdrop.h"
#include "common/IconLibrary.h"
#include "common/Settings.h"
#include "common/ToggleSwitch.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QStandardPaths>
#include <QWindow>

#include <algorithm>

namespace hb {
namespace {

const QString kTitle = QStringLiteral("Monitor Calibration");
const QString kFullScreen = QStringLiteral("Full Screen");
const QString kVideoLevels = QStringLiteral("Video levels (16\u2013235)");
const QString kFullLevelsCaption = QStringLiteral("%1 in full range (0\u2013255)");
const QString kVideoLevelsCaption = QStringLiteral("%1 in video levels (16\u2013235)");
const QString kPrevious = QStringLiteral("Prev");
const QString kNext = QStringLiteral("Next");
const QString kSendToMeter = QStringLiteral("Send to Meter");
const QString kMeasureMode = QStringLiteral("Measure Mode");
const QString kMeasure = QStringLiteral("Measure");
const QString kMeasureAll = QStringLiteral("Measure All");
const QString kStopMeasuring = QStringLiteral("Stop");
const QString kPatchSize = QStringLiteral("Patch size");
const QString kGreySteps = QStringLiteral("Grey steps");
const QString kMeasureInstruction = QStringLiteral(
    "Point the meter at the centre of the patch and choose Measure, or Measure All to read "
    "every patch in turn. The chart and the log hold these readings only.");
const QString kColorimeterIdle =
    QStringLiteral("Readings are taken in measure mode, one for each patch.");
const QString kDisplayTip = QStringLiteral("Display for the full-screen pattern");
const QString kSaveLogTitle = QStringLiteral("Save Meter Log");
const QString kSaveLogFailed = QStringLiteral("Could Not Save Meter Log");

// Below this width the step card and the meter card stand one above the other.
constexpr int kStepCardMinimumWidth = 340;
// The least height the patterns are drawn in; a smaller window scrolls to them.
constexpr int kPatternMinimumHeight = 260;

QString displayLabel(const QScreen *screen)
{
    const QSize size = screen->size() * screen->devicePixelRatio();
    return screen->name() + u" (" + QString::number(size.width()) + u'\u00D7' +
           QString::number(size.height()) + u')';
}

} // namespace

MonitorCalibrationView::MonitorCalibrationView(QWidget *parent)
    : MonitorCalibrationView(MonitorCalibrationHostNetworking::defaultOptions(), parent)
{
}

MonitorCalibrationView::MonitorCalibrationView(MonitorCalibrationHostNetworking::Options options,
                                               QWidget *parent)
    : QWidget(parent), m_networking(std::move(options)), m_measure(m_networking, m_log)
{
    setWindowTitle(kTitle);
    const Settings settings;
    m_videoLevels = settings.integer(SettingsKey::calibrationVideoLevels).value_or(0) == 1;
    m_measure.setGreySteps(
        int(settings.integer(SettingsKey::calibrationGreySteps)
                .value_or(MonitorCalibrationMeasureSequence::kDefaultGreySteps)));
    const qint64 area = settings.integer(SettingsKey::calibrationPatchArea).value_or(0);
    m_measure.setArea(area == 1   ? MonitorCalibrationPatchArea::Window18
                      : area == 2 ? MonitorCalibrationPatchArea::Window10
                                  : MonitorCalibrationPatchArea::Full);
    if (settings.integer(SettingsKey::calibrationColorimeter).value_or(0) == 1)
        m_measure.setSource(MonitorCalibrationMeterSource::Colorimeter);
    auto *form = new QWidget;
    auto *content = new QVBoxLayout(form);
    content->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    content->setSpacing(kSpacing);
    content->addWidget(buildHeader());

    m_meterCard = new MonitorCalibrationMeterCard(m_networking, m_log);
    m_cards = new QBoxLayout(QBoxLayout::LeftToRight);
    m_cards->setSpacing(kSpacing);
    m_cards->addWidget(buildStepCard(), 1);
    m_cards->addWidget(m_meterCard);
    content->addLayout(m_cards);

    // Right above the patterns: which levels they are drawn in, and the switch between them.
    m_rangeCaption = new QLabel;
    m_rangeCaption->setObjectName(QStringLiteral("rangeCaption"));
    m_rangeCaption->setForegroundRole(QPalette::PlaceholderText);
    m_videoLevelsSwitch = new ToggleSwitch(kVideoLevels);
    m_videoLevelsSwitch->setObjectName(QStringLiteral("videoLevelsSwitch"));
    connect(m_videoLevelsSwitch, &ToggleSwitch::clicked, this, [this](bool on) {
        setVideoLevels(on);
        Settings().setInteger(SettingsKey::calibrationVideoLevels, on ? 1 : 0);
    });
    auto *rangeRow = new QHBoxLayout;
    rangeRow->addWidget(m_rangeCaption, 1);
    rangeRow->addWidget(m_videoLevelsSwitch);
    m_pattern = new MonitorCalibrationPatternView;
    m_pattern->setObjectName(QStringLiteral("patternView"));
    m_pattern->setMinimumHeight(kPatternMinimumHeight); // scrolled to rather than squeezed flat
    auto *patternArea = new QVBoxLayout;
    patternArea->setSpacing(6);
    patternArea->addLayout(rangeRow);
    patternArea->addWidget(m_pattern, 1);
    content->addLayout(patternArea, 1);

    // A window too small for the cards and the patterns scrolls rather than squeezing them.
    Backdrop::fillWithScrolling(this, form);

    connect(m_meterCard, &MonitorCalibrationMeterCard::saveLogRequested, this,
            &MonitorCalibrationView::chooseLogFile);
    connect(&m_networking, &MonitorCalibrationHostNetworking::measurementReceived, this,
            &MonitorCalibrationView::recordMeasurement);
    m_meterCard->setSource(m_measure.source());
    m_meterCard->setColorimeterStatus(kColorimeterIdle);
    connect(m_meterCard, &MonitorCalibrationMeterCard::reportChanged, this,
            [this](const QStringList &summary, const QString &gammaByStep) {
                m_report->setText(summary.join(u'\n'));
                m_gammaSteps->setText(gammaByStep.isEmpty() ? QString()
                                                            : u"Gamma by step: " + gammaByStep);
                showReport();
            });
    connect(m_meterCard, &MonitorCalibrationMeterCard::sourceChosen, this,
            [this](MonitorCalibrationMeterSource source) {
                m_measure.setSource(source);
                Settings().setInteger(SettingsKey::calibrationColorimeter,
                                      source == MonitorCalibrationMeterSource::Colorimeter);
            });
    connect(&m_measure, &MonitorCalibrationMeasureRun::patchShown, this,
            &MonitorCalibrationView::refreshStep);
    connect(&m_measure, &MonitorCalibrationMeasureRun::recorded, m_meterCard,
            &MonitorCalibrationMeterCard::refresh);
    connect(&m_measure, &MonitorCalibrationMeasureRun::runningChanged, this, [this](bool running) {
        m_measureAll->setText(running ? kStopMeasuring : kMeasureAll);
    });
    connect(&m_measure, &MonitorCalibrationMeasureRun::colorimeterStatusChanged, m_meterCard,
            &MonitorCalibrationMeterCard::setColorimeterStatus);
    connect(&m_measure, &MonitorCalibrationMeasureRun::colorimeterReadingChanged, m_meterCard,
            &MonitorCalibrationMeterCard::setColorimeterReading);
    connect(qApp, &QGuiApplication::screenAdded, this, &MonitorCalibrationView::refreshDisplays);
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] {
        refreshDisplays();
        if (m_isFullScreen) // the window may have lost its display; put it on the chosen one
            setFullScreen(true);
    });
    refreshDisplays();
    setVideoLevels(m_videoLevels);
    refreshStep();
    arrangeCards();
}

MonitorCalibrationView::~MonitorCalibrationView() = default;

QWidget *MonitorCalibrationView::buildHeader()
{
    auto *header = new QWidget;
    auto *icon = new QLabel(header);
    const int iconSize = fontMetrics().height() + 4;
    icon->setPixmap(IconLibrary::icon(QStringLiteral("display"), palette().color(QPalette::Text),
                                      palette().color(QPalette::Highlight))
                        .pixmap(iconSize, iconSize));
    auto *title = new QLabel(kTitle, header);
    QFont headline = title->font();
    headline.setWeight(QFont::DemiBold);
    headline.setPointSizeF(headline.pointSizeF() * 1.1);
    title->setFont(headline);

    m_displays = new QComboBox(header);
    m_displays->setObjectName(QStringLiteral("displayPicker"));
    m_displays->setToolTip(kDisplayTip);
    m_displays->setAccessibleName(kDisplayTip);
    m_fullScreenSwitch = new ToggleSwitch(kFullScreen, header);
    m_fullScreenSwitch->setObjectName(QStringLiteral("fullScreenSwitch"));
    m_measureSwitch = new ToggleSwitch(kMeasureMode, header);
    m_measureSwitch->setObjectName(QStringLiteral("measureModeSwitch"));

    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(icon);
    row->addWidget(title);
    row->addStretch(1);
    row->addWidget(m_measureSwitch);
    row->addSpacing(16);
    row->addWidget(m_displays);
    row->addSpacing(8);
    row->addWidget(m_fullScreenSwitch);

    connect(m_fullScreenSwitch, &ToggleSwitch::clicked, this,
            &MonitorCalibrationView::setFullScreen);
    connect(m_measureSwitch, &ToggleSwitch::clicked, this, &MonitorCalibrationView::setMeasureMode);
    connect(m_displays, &QComboBox::activated, this, [this] {
        Settings().setText(SettingsKey::calibrationFullScreenDisplay,
                           m_displays->currentData().toString());
        if (m_isFullScreen)
            setFullScreen(true); // move to the new display
    });
    return header;
}

QWidget *MonitorCalibrationView::buildStepCard()
{
    m_stepCard = new QWidget;
    m_stepCard->setObjectName(QStringLiteral("stepCard"));
    m_stepCard->setMinimumWidth(kStepCardMinimumWidth / 2);
    m_stepCounter = new QLabel(m_stepCard);
    m_stepCounter->setObjectName(QStringLiteral("stepCounter"));
    m_stepCounter->setForegroundRole(QPalette::PlaceholderText);
    m_stepTitle = new QLabel(m_stepCard);
    m_stepTitle->setObjectName(QStringLiteral("stepTitle"));
    QFont titleFont = m_stepTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setWeight(QFont::DemiBold);
    m_stepTitle->setFont(titleFont);
    m_stepInstruction = new QLabel(m_stepCard);
    m_stepInstruction->setObjectName(QStringLiteral("stepInstruction"));
    m_stepInstruction->setWordWrap(true);
    m_stepInstruction->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_stepInstruction->installEventFilter(this);

    m_previous = new QPushButton(kPrevious, m_stepCard);
    m_previous->setObjectName(QStringLiteral("previousButton"));
    m_next = new QPushButton(kNext, m_stepCard);
    m_next->setObjectName(QStringLiteral("nextButton"));
    m_send = new QPushButton(kSendToMeter, m_stepCard);
    QPushButton *send = m_send;
    send->setObjectName(QStringLiteral("sendButton"));
    m_measureAll = new QPushButton(kMeasureAll, m_stepCard);
    m_measureAll->setObjectName(QStringLiteral("measureAllButton"));
    m_measureAll->hide();
    QPalette prominent = send->palette();
    // A deeper accent: the style lightens a button's colour towards its top, and the accent
    // itself would come out too pale behind white text.
    prominent.setColor(QPalette::Button, prominent.color(QPalette::Highlight).darker(200));
    prominent.setColor(QPalette::ButtonText, prominent.color(QPalette::HighlightedText));
    send->setPalette(prominent);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_previous);
    buttons->addWidget(m_next);
    buttons->addWidget(send);
    buttons->addWidget(m_measureAll);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(m_stepCard);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_stepCounter);
    layout->addWidget(m_stepTitle);
    layout->addWidget(m_stepInstruction);
    layout->addWidget(buildMeasureOptions());
    layout->addSpacing(4);
    layout->addLayout(buttons);
    // What the measure-mode readings say, below the buttons so that they never move.
    m_report = new QLabel(m_stepCard);
    m_report->setObjectName(QStringLiteral("measureReport"));
    m_gammaSteps = new QLabel(m_stepCard);
    m_gammaSteps->setObjectName(QStringLiteral("gammaBySteps"));
    m_gammaSteps->setForegroundRole(QPalette::PlaceholderText);
    for (QLabel *label : {m_report, m_gammaSteps}) {
        label->setTextFormat(Qt::PlainText);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        label->hide();
        layout->addWidget(label);
    }
    layout->addStretch(1);

    connect(m_previous, &QPushButton::clicked, this, &MonitorCalibrationView::goToPreviousStep);
    connect(m_next, &QPushButton::clicked, this, &MonitorCalibrationView::goToNextStep);
    connect(send, &QPushButton::clicked, this, &MonitorCalibrationView::sendCurrentPatch);
    connect(m_measureAll, &QPushButton::clicked, this,
            [this] { m_measure.isRunning() ? m_measure.stop() : m_measure.measureAll(); });
    return m_stepCard;
}

// Measure mode's patch size and number of grey steps; shown in measure mode only.
QWidget *MonitorCalibrationView::buildMeasureOptions()
{
    m_measureOptions = new QWidget;
    m_measureOptions->setObjectName(QStringLiteral("measureOptions"));
    m_patchArea = new QComboBox(m_measureOptions);
    m_patchArea->setObjectName(QStringLiteral("patchArea"));
    m_patchArea->setAccessibleName(kPatchSize);
    for (const auto area :
         {MonitorCalibrationPatchArea::Full, MonitorCalibrationPatchArea::Window18,
          MonitorCalibrationPatchArea::Window10})
        m_patchArea->addItem(MonitorCalibrationMeasureSequence::label(area), int(area));
    m_patchArea->setCurrentIndex(m_patchArea->findData(int(m_measure.area())));
    m_greySteps = new QSpinBox(m_measureOptions);
    m_greySteps->setObjectName(QStringLiteral("greySteps"));
    m_greySteps->setAccessibleName(kGreySteps);
    m_greySteps->setRange(MonitorCalibrationMeasureSequence::kMinimumGreySteps,
                          MonitorCalibrationMeasureSequence::kMaximumGreySteps);
    m_greySteps->setValue(m_measure.sequence().greySteps());
    m_greySteps->setKeyboardTracking(false);

    auto *row = new QHBoxLayout(m_measureOptions);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(new QLabel(kPatchSize, m_measureOptions));
    row->addWidget(m_patchArea);
    row->addSpacing(8);
    row->addWidget(new QLabel(kGreySteps, m_measureOptions));
    row->addWidget(m_greySteps);
    row->addStretch(1);
    m_measureOptions->hide();

    connect(m_patchArea, &QComboBox::activated, this, [this] {
        m_measure.setArea(MonitorCalibrationPatchArea(m_patchArea->currentData().toInt()));
        Settings().setInteger(SettingsKey::calibrationPatchArea, m_patchArea->currentIndex());
        refreshStep();
    });
    connect(m_greySteps, &QSpinBox::valueChanged, this, [this](int steps) {
        m_measure.setGreySteps(steps);
        Settings().setInteger(SettingsKey::calibrationGreySteps, steps);
    });
    return m_measureOptions;
}

void MonitorCalibrationView::setMeasureMode(bool on)
{
    m_measureSwitch->setChecked(on);
    m_measureOptions->setVisible(on);
    m_measureAll->setVisible(on);
    m_send->setText(on ? kMeasure : kSendToMeter);
    m_measure.setActive(on);
    showReport();
    refreshRangeCaption();
    refreshStep();
    if (!on)
        sendCurrentPatch(); // the meter is back on the step's reference patch
}

void MonitorCalibrationView::showReport()
{
    const bool on = m_measure.isActive();
    m_report->setVisible(on && !m_report->text().isEmpty());
    m_gammaSteps->setVisible(on && !m_gammaSteps->text().isEmpty());
}

void MonitorCalibrationView::goToPreviousStep()
{
    if (m_measure.isActive()) {
        if (m_measure.sequence().hasPrevious())
            m_measure.showPatch(m_measure.sequence().index() - 1);
    } else if (const auto step = previousStep(m_step)) {
        setStep(*step);
    }
}

void MonitorCalibrationView::goToNextStep()
{
    if (m_measure.isActive()) {
        if (m_measure.sequence().hasNext())
            m_measure.showPatch(m_measure.sequence().index() + 1);
    } else if (const auto step = nextStep(m_step)) {
        setStep(*step);
    }
}

void MonitorCalibrationView::setStep(MonitorCalibrationStep step)
{
    if (step == m_step)
        return;
    m_step = step;
    refreshStep();
    sendCurrentPatch();
}

void MonitorCalibrationView::sendCurrentPatch()
{
    if (m_measure.isActive()) {
        m_measure.measure();
        return;
    }
    m_networking.sendShowPatch(referencePatch(m_step));
}

void MonitorCalibrationView::refreshStep()
{
    std::optional<MonitorCalibrationPatch> patch;
    if (m_measure.isActive()) {
        const MonitorCalibrationMeasureSequence &sequence = m_measure.sequence();
        patch = m_measure.shown();
        m_stepCounter->setText(sequence.counter());
        m_stepTitle->setText(patch->name);
        m_stepInstruction->setText(kMeasureInstruction);
        m_previous->setEnabled(sequence.hasPrevious());
        m_next->setEnabled(sequence.hasNext());
    } else {
        m_stepCounter->setText(stepCounter(m_step));
        m_stepTitle->setText(stepTitle(m_step));
        m_stepInstruction->setText(stepInstruction(m_step));
        m_previous->setEnabled(previousStep(m_step).has_value());
        m_next->setEnabled(nextStep(m_step).has_value());
    }
    m_pattern->setStep(m_step);
    m_pattern->setMeasurePatch(patch, m_measure.area());
    if (m_fullScreenWindow) {
        m_fullScreenWindow->setStep(m_step);
        m_fullScreenWindow->setMeasurePatch(patch, m_measure.area());
    }
}

void MonitorCalibrationView::setFullScreen(bool on)
{
    m_isFullScreen = on;
    m_fullScreenSwitch->setChecked(on);
    m_pattern->setFramed(!on);
    if (!on) {
        if (m_fullScreenWindow)
            m_fullScreenWindow->hide();
        return;
    }
    if (!m_fullScreenWindow) {
        m_fullScreenWindow = new MonitorCalibrationFullScreenWindow(this);
        m_fullScreenWindow->setObjectName(QStringLiteral("fullScreenWindow"));
        connect(m_fullScreenWindow, &MonitorCalibrationFullScreenWindow::leaveRequested, this,
                [this] { setFullScreen(false); });
        connect(m_fullScreenWindow, &MonitorCalibrationFullScreenWindow::previousRequested, this,
                &MonitorCalibrationView::goToPreviousStep);
        connect(m_fullScreenWindow, &MonitorCalibrationFullScreenWindow::nextRequested, this,
                &MonitorCalibrationView::goToNextStep);
        connect(m_fullScreenWindow, &MonitorCalibrationFullScreenWindow::measureRequested, this,
                &MonitorCalibrationView::sendCurrentPatch);
    }
    m_fullScreenWindow->setRange(range());
    refreshStep();
    QScreen *chosen = nullptr;
    const QString name = m_displays->currentData().toString();
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->name() == name)
            chosen = screen;
    }
    m_fullScreenWindow->showOn(chosen);
}

void MonitorCalibrationView::refreshDisplays()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QString wanted = m_displays->currentData().toString();
    if (wanted.isEmpty())
        wanted = Settings().text(SettingsKey::calibrationFullScreenDisplay);
    if (wanted.isEmpty() && screens.size() > 1) {
        // Most likely the grading display is the one this window is not on.
        const QScreen *own = window()->screen();
        for (const QScreen *screen : screens) {
            if (screen != own) {
                wanted = screen->name();
                break;
            }
        }
    }
    m_displays->clear();
    for (const QScreen *screen : screens)
        m_displays->addItem(displayLabel(screen), screen->name());
    const int index = m_displays->findData(wanted);
    m_displays->setCurrentIndex(index >= 0 ? index : 0);
    m_displays->setVisible(screens.size() > 1);
}

void MonitorCalibrationView::setVideoLevels(bool on)
{
    m_videoLevels = on;
    m_videoLevelsSwitch->setChecked(on);
    refreshRangeCaption();
    m_pattern->setRange(range());
    if (m_fullScreenWindow)
        m_fullScreenWindow->setRange(range());
}

void MonitorCalibrationView::refreshRangeCaption()
{
    m_rangeCaption->setText(
        (m_videoLevels ? kVideoLevelsCaption : kFullLevelsCaption)
            .arg(m_measure.isActive() ? QStringLiteral("Patches") : QStringLiteral("Patterns")));
}

MonitorCalibrationPatternPainter::Range MonitorCalibrationView::range() const
{
    return m_videoLevels ? MonitorCalibrationPatternPainter::Range::Video
                         : MonitorCalibrationPatternPainter::Range::Full;
}

void MonitorCalibrationView::fitInstructionHeight()
{
    const int width = m_stepInstruction->width();
    const QFontMetrics metrics = m_stepInstruction->fontMetrics();
    QStringList texts{kMeasureInstruction};
    for (const MonitorCalibrationStep step : kMonitorCalibrationSteps)
        texts.append(stepInstruction(step));
    int height = 0;
    for (const QString &text : texts) {
        height = std::max(
            height,
            metrics.boundingRect(QRect(0, 0, width, QWIDGETSIZE_MAX), Qt::TextWordWrap, text)
                .height());
    }
    if (height != m_stepInstruction->height())
        m_stepInstruction->setFixedHeight(height);
}

bool MonitorCalibrationView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_stepInstruction && event->type() == QEvent::Resize)
        fitInstructionHeight();
    return QWidget::eventFilter(watched, event);
}

bool MonitorCalibrationView::cardsSideBySide() const
{
    return m_cards->direction() == QBoxLayout::LeftToRight;
}

void MonitorCalibrationView::arrangeCards()
{
    const int available = width() - 2 * kPadding;
    const bool sideBySide = available >= kStepCardMinimumWidth + kSpacing +
                                             MonitorCalibrationMeterCard::kSideBySideWidth;
    m_cards->setDirection(sideBySide ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    if (sideBySide)
        m_meterCard->setFixedWidth(MonitorCalibrationMeterCard::kSideBySideWidth);
    else {
        m_meterCard->setMinimumWidth(0);
        m_meterCard->setMaximumWidth(QWIDGETSIZE_MAX);
    }
}

void MonitorCalibrationView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // the window came back from being minimised; the screen was already shown
    m_networking.start();
    if (!m_measure.isActive())
        sendCurrentPatch();
}

void MonitorCalibrationView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeCards();
}

void MonitorCalibrationView::recordMeasurement(
    const MonitorCalibrationMeasurementPayload &measurement)
{
    m_measure.takeNetworkReading(measurement); // logged in measure mode only
    m_meterCard->refresh();
}

Expected<Done> MonitorCalibrationView::saveLog(const QString &path) const
{
    return writeFileAtomically(path, m_log.toCsv());
}

void MonitorCalibrationView::chooseLogFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested = folder + u"/Meter Log " +
                              QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH.mm") + u".csv";
    const QString path = QFileDialog::getSaveFileName(this, kSaveLogTitle, suggested,
                                                      QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    if (const auto saved = saveLog(path); !saved)
        QMessageBox::warning(this, kSaveLogFailed, saved.error().description);
}

} // namespace hb
