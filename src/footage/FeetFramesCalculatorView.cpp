#include "footage/FeetFramesCalculatorView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ScreenTitle.h"
#include "common/Settings.h"
#include "footage/FeetFramesInputValidator.h"
#include "footage/FeetFramesSavedInputs.h"

#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"Feet & Frames"_s;
const QString kFormat = u"Format"_s;
const QString kInput = u"Input"_s;
const QString kOutput = u"Output"_s;
const QString kCopy = u"Copy"_s;
const QString kCopied = u"Copied"_s;
const QString kCopyName = u"Copy %1"_s;

// Amber: a note tells of a change, it is no error.
constexpr QColor kNoteColor(0xE8, 0xB3, 0x5A);

constexpr std::array<const char16_t *, kFeetFramesInputCount> kFieldNames{
    u"feetField",    u"framesField",         u"totalFramesField", u"hoursField", u"minutesField",
    u"secondsField", u"timecodeFramesField", u"metersField",      u"fpsField"};

struct OutputRow {
    InputMode form;
    const char16_t *name;
    const char16_t *buttonName;
};

// In screen order.
constexpr std::array<OutputRow, 4> kOutputRows{{
    {InputMode::totalFrames, u"totalFramesValue", u"copyTotalFramesButton"},
    {InputMode::feetFrames, u"feetFramesValue", u"copyFeetFramesButton"},
    {InputMode::timecode, u"timecodeValue", u"copyTimecodeButton"},
    {InputMode::meters, u"metersValue", u"copyMetersButton"},
}};

std::size_t indexOf(FeetFramesInput input)
{
    return static_cast<std::size_t>(input);
}

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

int addRow(QGridLayout *rows, const QString &text, QWidget *control)
{
    auto *label = new QLabel(text);
    label->setBuddy(control);
    control->setAccessibleName(text);
    const int row = rows->rowCount();
    rows->addWidget(label, row, 0);
    rows->addWidget(control, row, 1, Qt::AlignRight);
    return row;
}

} // namespace

FeetFramesCalculatorView::FeetFramesCalculatorView(Settings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    if (m_settings) {
        m_savedText = m_settings->text(SettingsKey::footageInputs);
        m_state = restoredInputs(m_savedText);
    }
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

    m_copiedTimer.setSingleShot(true);
    m_copiedTimer.setInterval(kCopiedMilliseconds);
    connect(&m_copiedTimer, &QTimer::timeout, this, [this] {
        for (QToolButton *button : m_copyButtons)
            button->setText(kCopy);
    });

    arrangeTabOrder();
    setMode(static_cast<int>(m_state.mode));
    // Restored as it was left, submitted or not; what submitting would change is told.
    showInputs();
    showOutput();
    showNotes();
}

FeetFramesCalculatorView::~FeetFramesCalculatorView()
{
    // Closing the window or taking the screen away moves the focus after this object is gone,
    // and a field that loses it reports its edit as finished: keep that from here.
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

    // Common rates to pick, any rate to type. Nothing is completed or added while typing: the
    // field holds what was typed.
    m_fps = new QComboBox;
    m_fps->setObjectName(u"fpsPicker"_s);
    m_fps->setEditable(true);
    m_fps->setInsertPolicy(QComboBox::NoInsert);
    m_fps->setCompleter(nullptr);
    m_fps->setFixedWidth(kFieldWidth);
    fillFrameRates();

    m_mode = new QComboBox;
    m_mode->setObjectName(u"inputPicker"_s);
    for (InputMode mode : kInputModes)
        m_mode->addItem(displayText(mode));
    m_mode->setCurrentIndex(static_cast<int>(m_state.mode));

    QGridLayout *rows = rowsLayout();
    addRow(rows, kFormat, m_format);
    addFieldRow(rows, FeetFramesInput::frameRate, m_fps);
    setUpField(FeetFramesInput::frameRate, m_fps->lineEdit());
    addRow(rows, kInput, m_mode);
    section->body()->addLayout(rows);

    connect(m_format, &QComboBox::currentIndexChanged, this, &FeetFramesCalculatorView::setFormat);
    connect(m_fps, &QComboBox::activated, this, &FeetFramesCalculatorView::pickFrameRate);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &FeetFramesCalculatorView::setMode);
    return section;
}

void FeetFramesCalculatorView::fillFrameRates()
{
    const QString text = m_fps->currentText();
    m_fps->clear();
    for (double fps : kCommonFrameRates)
        m_fps->addItem(locale().toString(fps, 'f', QLocale::FloatingPointShortest));
    m_fps->setEditText(text);
}

QWidget *FeetFramesCalculatorView::buildInputSection()
{
    auto *section = new FormSection(kInput);
    for (InputMode mode : kInputModes) {
        auto *page = new QWidget;
        QGridLayout *rows = rowsLayout();
        for (FeetFramesInput input : inputsOf(mode)) {
            auto *edit = new QLineEdit;
            edit->setFixedWidth(kFieldWidth);
            edit->setAlignment(Qt::AlignRight);
            addFieldRow(rows, input, edit);
            setUpField(input, edit);
        }
        page->setLayout(rows);
        section->body()->addWidget(page);
        m_inputPages[static_cast<std::size_t>(mode)] = page;
    }
    return section;
}

// The field's row, and below it the field's note, shown only when there is one.
void FeetFramesCalculatorView::addFieldRow(QGridLayout *rows, FeetFramesInput input,
                                           QWidget *control)
{
    const int row = addRow(rows, inputLabel(input), control);
    auto *note = new QLabel;
    note->setObjectName(QString::fromUtf16(kFieldNames[indexOf(input)]) + u"Note"_s);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignRight);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, kNoteColor);
    note->setPalette(palette);
    note->hide();
    rows->addWidget(note, row + 1, 0, 1, 2);
    m_noteLabels[indexOf(input)] = note;
}

void FeetFramesCalculatorView::setUpField(FeetFramesInput input, QLineEdit *edit)
{
    edit->setObjectName(QString::fromUtf16(kFieldNames[indexOf(input)]));
    auto *validator = new FeetFramesInputValidator(
        input, [this, input] { return inputText(m_state, input, locale()); },
        [this, input](const QString &note, bool refused) { onReport(input, note, refused); }, edit);
    validator->setLocale(locale());
    edit->setValidator(validator);
    m_fields[indexOf(input)] = edit;

    connect(edit, &QLineEdit::textEdited, this,
            [this, input](const QString &text) { onTextEdited(input, text); });
    connect(edit, &QLineEdit::editingFinished, this, &FeetFramesCalculatorView::normalise);
}

QWidget *FeetFramesCalculatorView::buildOutputSection()
{
    auto *section = new FormSection(kOutput);
    QGridLayout *rows = rowsLayout();
    for (std::size_t i = 0; i < kOutputRows.size(); ++i) {
        const OutputRow &output = kOutputRows[i];
        auto *value = new QLabel;
        value->setObjectName(QString::fromUtf16(output.name));
        value->setTextFormat(Qt::PlainText);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        const int row = addRow(rows, displayText(output.form), value);

        auto *copy = new QToolButton;
        copy->setObjectName(QString::fromUtf16(output.buttonName));
        copy->setAccessibleName(kCopyName.arg(displayText(output.form)));
        // Wide enough for either text, so the row does not move when it changes.
        copy->setText(kCopied);
        copy->setMinimumWidth(copy->sizeHint().width());
        copy->setText(kCopy);
        rows->addWidget(copy, row, 2);
        connect(copy, &QToolButton::clicked, this, [this, i] { copyOutput(int(i)); });
        m_outputs[i] = value;
        m_copyButtons[i] = copy;
    }
    section->body()->addLayout(rows);
    return section;
}

void FeetFramesCalculatorView::arrangeTabOrder()
{
    QList<QWidget *> chain{m_format, m_fps, m_mode};
    for (InputMode mode : kInputModes) {
        for (FeetFramesInput input : inputsOf(mode))
            chain.append(m_fields[indexOf(input)]);
    }
    for (QToolButton *button : m_copyButtons)
        chain.append(button);
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void FeetFramesCalculatorView::setFormat(int index)
{
    if (index < 0 || index >= int(kFilmFormats.size()))
        return;
    clearNotes();
    m_state.format = kFilmFormats[static_cast<std::size_t>(index)];
    normalise();
}

void FeetFramesCalculatorView::pickFrameRate(int index)
{
    if (index < 0 || index >= m_fps->count())
        return;
    onTextEdited(FeetFramesInput::frameRate, m_fps->itemText(index));
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
    save();
}

void FeetFramesCalculatorView::onTextEdited(FeetFramesInput input, const QString &text)
{
    clearNotes(input);
    // A text that is no number yet leaves the last value standing.
    m_typedNotes[indexOf(input)] = setInputText(m_state, input, text, locale()).note;
    showOutput();
    showNotes();
    save();
}

void FeetFramesCalculatorView::onReport(FeetFramesInput input, const QString &note, bool refused)
{
    clearNotes(input);
    (refused ? m_refusedNotes : m_typedNotes)[indexOf(input)] = note;
    showNotes();
}

void FeetFramesCalculatorView::copyOutput(int index)
{
    const auto i = static_cast<std::size_t>(index);
    QGuiApplication::clipboard()->setText(m_outputs[i]->text());
    for (QToolButton *button : m_copyButtons)
        button->setText(button == m_copyButtons[i] ? kCopied : kCopy);
    m_copiedTimer.start();
}

void FeetFramesCalculatorView::clearNotes(std::optional<FeetFramesInput> typingIn)
{
    const QString refused = typingIn ? m_refusedNotes[indexOf(*typingIn)] : QString();
    m_typedNotes.fill({});
    m_refusedNotes.fill({});
    m_appliedNotes.fill({});
    if (typingIn)
        m_refusedNotes[indexOf(*typingIn)] = refused;
}

void FeetFramesCalculatorView::normalise()
{
    const InputNotes notes = normaliseInputsWithNotes(m_state, locale());
    // Submitting twice (Return, then leaving the field) changes nothing the second time; the
    // notes of the first stay.
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (!notes[i].isEmpty())
            m_appliedNotes[i] = notes[i];
    }
    showInputs();
    showOutput();
    showNotes();
    save();
}

void FeetFramesCalculatorView::showInputs()
{
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const QString text = inputText(m_state, static_cast<FeetFramesInput>(i), locale());
        if (m_fields[i]->text() != text)
            m_fields[i]->setText(text);
    }
    // The picker's list marks the rate in the field when it is one of its own.
    const int rate = m_fps->findText(m_fields[indexOf(FeetFramesInput::frameRate)]->text());
    if (rate >= 0 && rate != m_fps->currentIndex())
        m_fps->setCurrentIndex(rate);
}

void FeetFramesCalculatorView::showOutput()
{
    const FeetFramesOutput output = outputOf(m_state);
    const std::array texts{output.totalFrames, output.feetFrames, output.timecode, output.meters};
    for (std::size_t i = 0; i < m_outputs.size(); ++i)
        m_outputs[i]->setText(texts[i]);
}

// A field's note tells what became of its text, what submitting it will change (the same words
// as after the change) and what the last submitting changed.
void FeetFramesCalculatorView::showNotes()
{
    FeetFramesState submitted = m_state;
    const InputNotes coming = normaliseInputsWithNotes(submitted, locale());
    for (std::size_t i = 0; i < m_noteLabels.size(); ++i) {
        QStringList lines;
        QStringList candidates{m_refusedNotes[i], m_typedNotes[i], coming[i], m_appliedNotes[i]};
        if (static_cast<FeetFramesInput>(i) == FeetFramesInput::frameRate)
            candidates.append(frameRateNote(m_state.fps, locale()));
        for (const QString &line : candidates) {
            if (!line.isEmpty() && !lines.contains(line))
                lines.append(line);
        }
        const QString text = lines.join(u'\n');
        m_noteLabels[i]->setText(text);
        m_noteLabels[i]->setVisible(!text.isEmpty());
        m_fields[i]->setAccessibleDescription(text);
    }
}

void FeetFramesCalculatorView::save()
{
    if (!m_settings)
        return;
    const QString text = savedInputsText(m_state);
    if (text == m_savedText)
        return;
    m_settings->setText(SettingsKey::footageInputs, text);
    m_savedText = text;
}

void FeetFramesCalculatorView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LocaleChange)
        return;
    for (QLineEdit *edit : m_fields)
        edit->findChild<FeetFramesInputValidator *>()->setLocale(locale());
    fillFrameRates();
    showInputs();
    showNotes();
}

} // namespace hb
