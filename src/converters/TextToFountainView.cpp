#include "converters/TextToFountainView.h"

#include "common/AtomicFile.h"
#include "common/Backdrop.h"
#include "common/DraftFile.h"
#include "common/FormSection.h"
#include "common/ScreenTitle.h"
#include "common/ToggleSwitch.h"
#include "converters/FountainConverter.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kTitle = u"Text to Fountain"_s;
const QString kOptions = u"Options"_s;
const QString kMode = u"Mode"_s;
const QString kPreserveIndentation = u"Preserve indentation"_s;
const QString kIncludeTimecodes = u"Include timecodes"_s;
const QString kInput = u"Input"_s;
const QString kOutput = u"Output"_s;
const QString kCopy = u"Copy"_s;
const QString kSave = u"Save\u2026"_s;
const QString kSaveTitle = u"Save Fountain Screenplay"_s;
const QString kDefaultFileName = u"Untitled.fountain"_s;
const QString kFileFilter = u"Fountain screenplays (*.fountain)"_s;
const QString kAutoPrefix = u"Auto: "_s;
const QString kDraftError = u"The input could not be kept for the next start: %1"_s;

constexpr int kInputHeight = 180;
constexpr int kOutputMinimumHeight = 160;
// Up to this many characters the output follows every keystroke; above it the conversion waits
// for a pause in typing, so pasting or editing a long text does not convert it over and over.
constexpr int kImmediateLimit = 20000;
constexpr int kDebounceMilliseconds = 150;
const QColor kErrorColor = QColor(255, 69, 58);

QPlainTextEdit *textArea(const QString &name)
{
    auto *area = new QPlainTextEdit;
    area->setObjectName(name);
    area->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    area->setTabChangesFocus(true);
    return area;
}

} // namespace

TextToFountainView::TextToFountainView(const QString &draftPath, QWidget *parent)
    : QWidget(parent), m_debounce(new QTimer(this)), m_draft(new DraftFile(draftPath, this))
{
    setWindowTitle(kTitle);
    auto *title = new ScreenTitle(kTitle);

    auto *backdrop = new Backdrop;
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(18);
    content->addWidget(title);
    content->addWidget(buildOptionsSection());
    content->addWidget(buildInputSection());
    content->addWidget(buildOutputSection(), 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    setTabOrder(m_mode, m_preserveIndentation);
    setTabOrder(m_preserveIndentation, m_includeTimecodes);
    setTabOrder(m_includeTimecodes, m_input);
    setTabOrder(m_input, m_output);
    setTabOrder(m_output, m_copy);
    setTabOrder(m_copy, m_save);

    m_debounce->setSingleShot(true);
    m_debounce->setInterval(kDebounceMilliseconds);
    connect(m_debounce, &QTimer::timeout, this, &TextToFountainView::convertNow);
    connect(m_mode, &QComboBox::currentIndexChanged, this, &TextToFountainView::scheduleConversion);
    connect(m_preserveIndentation, &ToggleSwitch::toggled, this,
            &TextToFountainView::scheduleConversion);
    connect(m_includeTimecodes, &ToggleSwitch::toggled, this,
            &TextToFountainView::scheduleConversion);
    m_input->setPlainText(m_draft->load());
    connect(m_input, &QPlainTextEdit::textChanged, this, &TextToFountainView::scheduleConversion);
    connect(m_input, &QPlainTextEdit::textChanged, this,
            [this] { m_draft->save(m_input->toPlainText()); });
    connect(m_draft, &DraftFile::errorChanged, this, [this](const QString &error) {
        setErrorText(error.isEmpty() ? QString() : kDraftError.arg(error));
    });

    auto *copyShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this);
    copyShortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(copyShortcut, &QShortcut::activated, this, &TextToFountainView::copyOutput);
    convertNow();
}

QWidget *TextToFountainView::buildOptionsSection()
{
    auto *section = new FormSection(kOptions);
    m_mode = new QComboBox;
    m_mode->setObjectName(u"modePicker"_s);
    m_mode->setAccessibleName(kMode);
    for (FountainMode mode : kFountainModes)
        m_mode->addItem(fountainModeLabel(mode), static_cast<int>(mode));
    auto *modeLabel = new QLabel(kMode);
    modeLabel->setBuddy(m_mode);
    auto *modeRow = new QHBoxLayout;
    modeRow->addWidget(modeLabel);
    modeRow->addStretch(1);
    modeRow->addWidget(m_mode);

    m_preserveIndentation = new ToggleSwitch(kPreserveIndentation);
    m_preserveIndentation->setObjectName(u"preserveIndentationSwitch"_s);
    m_includeTimecodes = new ToggleSwitch(kIncludeTimecodes);
    m_includeTimecodes->setObjectName(u"includeTimecodesSwitch"_s);

    section->body()->addLayout(modeRow);
    section->body()->addWidget(m_preserveIndentation);
    section->body()->addWidget(m_includeTimecodes);
    return section;
}

QWidget *TextToFountainView::buildInputSection()
{
    auto *section = new FormSection(kInput);
    m_input = textArea(u"inputText"_s);
    m_input->setAccessibleName(kInput);
    m_input->setFixedHeight(kInputHeight);
    section->body()->addWidget(m_input);
    return section;
}

QWidget *TextToFountainView::buildOutputSection()
{
    auto *section = new FormSection(kOutput);
    m_autoMode = new QLabel;
    m_autoMode->setObjectName(u"autoModeText"_s);
    m_autoMode->setForegroundRole(QPalette::PlaceholderText);
    m_output = textArea(u"outputText"_s);
    m_output->setAccessibleName(kOutput);
    m_output->setReadOnly(true);
    m_output->setMinimumHeight(kOutputMinimumHeight);

    m_copy = new QPushButton(kCopy);
    m_copy->setObjectName(u"copyButton"_s);
    m_copy->setToolTip(u"Copy the screenplay (Ctrl+Shift+C)"_s);
    m_save = new QPushButton(kSave);
    m_save->setObjectName(u"saveButton"_s);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addWidget(m_save);
    buttons->addStretch(1);

    m_error = new QLabel;
    m_error->setObjectName(u"errorText"_s);
    m_error->setTextFormat(Qt::PlainText);
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QPalette errorPalette = m_error->palette();
    errorPalette.setColor(QPalette::WindowText, kErrorColor);
    m_error->setPalette(errorPalette);
    m_error->hide();

    section->body()->addWidget(m_autoMode);
    section->body()->addWidget(m_output, 1);
    section->body()->addLayout(buttons);
    section->body()->addWidget(m_error);
    section->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    connect(m_copy, &QPushButton::clicked, this, &TextToFountainView::copyOutput);
    connect(m_save, &QPushButton::clicked, this, &TextToFountainView::chooseSaveFile);
    return section;
}

FountainMode TextToFountainView::mode() const
{
    return static_cast<FountainMode>(m_mode->currentData().toInt());
}

bool TextToFountainView::preserveIndentation() const
{
    return m_preserveIndentation->isChecked();
}

bool TextToFountainView::includeTimecodes() const
{
    return m_includeTimecodes->isChecked();
}

QString TextToFountainView::inputText() const
{
    return m_input->toPlainText();
}

void TextToFountainView::scheduleConversion()
{
    if (m_input->document()->characterCount() <= kImmediateLimit)
        convertNow();
    else
        m_debounce->start();
}

void TextToFountainView::convertNow()
{
    m_debounce->stop();
    const QString input = inputText();
    const bool automatic = mode() == FountainMode::Auto;
    const FountainMode resolved = automatic ? FountainConverter::detectMode(input) : mode();
    const QString output =
        FountainConverter::convert(input, resolved, preserveIndentation(), includeTimecodes());
    m_autoMode->setText(kAutoPrefix + fountainModeLabel(resolved));
    m_autoMode->setVisible(automatic && !input.trimmed().isEmpty());
    if (output != m_outputText) {
        m_outputText = output;
        m_output->setPlainText(output);
    }
    m_copy->setEnabled(!output.isEmpty());
    m_save->setEnabled(!output.isEmpty());
    Q_EMIT outputChanged();
}

void TextToFountainView::copyOutput()
{
    if (m_debounce->isActive())
        convertNow();
    QApplication::clipboard()->setText(outputText());
}

bool TextToFountainView::saveOutput(const QString &path)
{
    if (m_debounce->isActive())
        convertNow();
    const auto written = writeFileAtomically(path, outputText().toUtf8());
    setErrorText(written ? QString() : written.error().description);
    return bool(written);
}

void TextToFountainView::chooseSaveFile()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString path = QFileDialog::getSaveFileName(
        this, kSaveTitle, QDir(folder).filePath(kDefaultFileName), kFileFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += u".fountain"_s;
    saveOutput(path);
}

void TextToFountainView::setErrorText(const QString &text)
{
    m_errorText = text;
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

} // namespace hb
