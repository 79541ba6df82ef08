#include "footage/FeetFramesCalculatorView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ScreenTitle.h"
#include "footage/FeetFramesInputValidator.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"Feet & Frames"_s;
const QString kFormat = u"Format"_s;
const QString kFps = u"FPS"_s;
const QString kInput = u"Input"_s;
const QString kOutput = u"Output"_s;

constexpr std::array<const char16_t *, kFeetFramesInputCount> kFieldNames{
    u"feetField",    u"framesField",  u"totalFramesField",    u"hoursField",
    u"minutesField", u"secondsField", u"timecodeFramesField", u"metersField"};

// Label on the left, control on the right.
QGridLayout *rowsLayout()
{
    auto *rows = new QGridLayout;
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setHorizontalSpacing(24);
    rows->setVerticalSpacing(10);
    rows->setColumnStretch(0, 1);
    return rows;
}

void addRow(QGridLayout *rows, const QString &text, QWidget *control)
{
    auto *label = new QLabel(text);
    label->setBuddy(control);
    control->setAccessibleName(text);
    const int row = rows->rowCount();
    rows->addWidget(label, row, 0);
    rows->addWidget(control, row, 1, Qt::AlignRight);
}

} // namespace

FeetFramesCalculatorView::FeetFramesCalculatorView(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(kTitle);
    auto *title = new ScreenTitle(kTitle);

    auto *column = new QWidget;
    column->setObjectName(u"column"_s);
    column->setMaximumWidth(kColumnMaximumWidth);
    auto *sections = new QVBoxLayout(column);
    sections->setContentsMargins(0, 0, 0, 0);
    sections->setSpacing(18);
    sections->addWidget(title);
    sections->addWidget(buildSettingsSection());
    sections->addWidget(buildInputSection());
    sections->addWidget(buildOutputSection());
    sections->addStretch(1);

    // The column takes the width up to its maximum; what is left is shared on either side.
    auto *content = new QWidget;
    auto *centred = new QHBoxLayout(content);
    centred->setContentsMargins(24, 20, 24, 20);
    centred->addStretch(1);
    centred->addWidget(column, 1000);
    centred->addStretch(1);

    Backdrop::fillWithScrolling(this, content);

    arrangeTabOrder();
    setMode(static_cast<int>(m_state.mode));
    showInputs();
}

FeetFramesCalculatorView::~FeetFramesCalculatorView()
{
    // Closing the window or taking the screen away moves the focus after this object is gone,
    // and a field or the stepper that loses it reports its edit as finished: keep that from here.
    m_fps->disconnect(this);
    for (QLineEdit *edit : m_fields) {
        edit->disconnect(this);
        edit->setValidator(nullptr);
    }
}

QWidget *FeetFramesCalculatorView::buildSettingsSection()
{
    auto *section = new FormSection({});
    m_format = new QComboBox;
    m_format->setObjectName(u"formatPicker"_s);
    for (FilmFormat format : kFilmFormats)
        m_format->addItem(displayText(format));
    m_format->setCurrentIndex(static_cast<int>(m_state.format));

    m_fps = new QSpinBox;
    m_fps->setObjectName(u"fpsStepper"_s);
    m_fps->setRange(kMinFps, kMaxFps);
    m_fps->setSingleStep(1);
    m_fps->setValue(m_state.fps);
    // A rate is taken when it is complete: typing "30" must not pass through 3 fps, which would
    // clamp the timecode frames on the way.
    m_fps->setKeyboardTracking(false);

    m_mode = new QComboBox;
    m_mode->setObjectName(u"inputPicker"_s);
    for (InputMode mode : kInputModes)
        m_mode->addItem(displayText(mode));
    m_mode->setCurrentIndex(static_cast<int>(m_state.mode));

    QGridLayout *rows = rowsLayout();
    addRow(rows, kFormat, m_format);
    addRow(rows, kFps, m_fps);
    addRow(rows, kInput, m_mode);
    section->body()->addLayout(rows);

    connect(m_format, &QComboBox::currentIndexChanged, this, &FeetFramesCalculatorView::setFormat);
    connect(m_fps, &QSpinBox::valueChanged, this, &FeetFramesCalculatorView::setFps);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &FeetFramesCalculatorView::setMode);
    return section;
}

QWidget *FeetFramesCalculatorView::buildInputSection()
{
    auto *section = new FormSection(kInput);
    for (InputMode mode : kInputModes) {
        auto *page = new QWidget;
        QGridLayout *rows = rowsLayout();
        for (FeetFramesInput input : inputsOf(mode))
            addRow(rows, inputLabel(input), buildField(input));
        page->setLayout(rows);
        section->body()->addWidget(page);
        m_inputPages[static_cast<std::size_t>(mode)] = page;
    }
    return section;
}

QLineEdit *FeetFramesCalculatorView::buildField(FeetFramesInput input)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(QString::fromUtf16(kFieldNames[static_cast<std::size_t>(input)]));
    edit->setFixedWidth(kFieldWidth);
    edit->setAlignment(Qt::AlignRight);
    auto *validator = new FeetFramesInputValidator(
        input, [this, input] { return inputText(m_state, input, locale()); }, edit);
    validator->setLocale(locale());
    edit->setValidator(validator);
    m_fields[static_cast<std::size_t>(input)] = edit;

    connect(edit, &QLineEdit::textEdited, this,
            [this, input](const QString &text) { onTextEdited(input, text); });
    connect(edit, &QLineEdit::editingFinished, this, &FeetFramesCalculatorView::normalise);
    return edit;
}

QWidget *FeetFramesCalculatorView::buildOutputSection()
{
    auto *section = new FormSection(kOutput);
    QGridLayout *rows = rowsLayout();
    const auto addOutput = [rows](InputMode form, const QString &name) {
        auto *value = new QLabel;
        value->setObjectName(name);
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        addRow(rows, displayText(form), value);
        return value;
    };
    m_totalFrames = addOutput(InputMode::totalFrames, u"totalFramesValue"_s);
    m_feetFrames = addOutput(InputMode::feetFrames, u"feetFramesValue"_s);
    m_timecode = addOutput(InputMode::timecode, u"timecodeValue"_s);
    m_meters = addOutput(InputMode::meters, u"metersValue"_s);
    section->body()->addLayout(rows);
    return section;
}

void FeetFramesCalculatorView::arrangeTabOrder()
{
    QList<QWidget *> chain{m_format, m_fps, m_mode};
    for (QLineEdit *edit : m_fields)
        chain.append(edit);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void FeetFramesCalculatorView::setFormat(int index)
{
    if (index < 0 || index >= int(kFilmFormats.size()))
        return;
    m_state.format = kFilmFormats[static_cast<std::size_t>(index)];
    normalise();
}

void FeetFramesCalculatorView::setFps(int fps)
{
    m_state.fps = fps;
    normalise();
}

void FeetFramesCalculatorView::setMode(int index)
{
    if (index < 0 || index >= int(kInputModes.size()))
        return;
    m_state.mode = kInputModes[static_cast<std::size_t>(index)];
    for (std::size_t i = 0; i < m_inputPages.size(); ++i)
        m_inputPages[i]->setVisible(kInputModes[i] == m_state.mode);
    showOutput();
}

void FeetFramesCalculatorView::onTextEdited(FeetFramesInput input, const QString &text)
{
    // A text that is no number yet leaves the last value standing.
    if (setInputText(m_state, input, text, locale()))
        showOutput();
}

void FeetFramesCalculatorView::normalise()
{
    normaliseInputs(m_state);
    showInputs();
    showOutput();
}

void FeetFramesCalculatorView::showInputs()
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const QString text = inputText(m_state, static_cast<FeetFramesInput>(i), locale());
        if (m_fields[i]->text() != text)
            m_fields[i]->setText(text);
    }
}

void FeetFramesCalculatorView::showOutput()
{
    const FeetFramesOutput output = outputOf(m_state);
    m_totalFrames->setText(output.totalFrames);
    m_feetFrames->setText(output.feetFrames);
    m_timecode->setText(output.timecode);
    m_meters->setText(output.meters);
}

void FeetFramesCalculatorView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LocaleChange)
        return;
    for (QLineEdit *edit : m_fields)
        edit->findChild<FeetFramesInputValidator *>()->setLocale(locale());
    showInputs();
}

} // namespace hb
