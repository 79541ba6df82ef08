#include "converters/DocToSRTView.h"

#include "common/AtomicFile.h"
#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/IconLibrary.h"
#include "common/ScreenTitle.h"
#include "common/Settings.h"
#include "converters/ReadingSpeedMarks.h"
#include "converters/SubtitleImportJob.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"DOC to SRT"_s;
const QString kSource = u"Source"_s;
const QString kChoose = u"Choose .doc / .docx"_s;
const QString kFile = u"File"_s;
const QString kFrameRate = u"Frame rate for HH:MM:SS:FF timecodes"_s;
const QString kFramesPerSecond = u"%1 fps"_s;
const QString kPreviewSection = u"Extracted Text (preview)"_s;
const QString kOutputSection = u"SRT Output"_s;
const QString kSpeedLimit = u"Reading speed limit"_s;
const QString kSpeedUnit = u" characters/s"_s;
const QString kCopy = u"Copy SRT"_s;
const QString kShare = u"Share"_s;
const QString kSave = u"Save SRT…"_s;
const QString kSaveVtt = u"Save as .vtt"_s;
const QString kOpen = u"Open in Default App"_s;
const QString kDropHint = u"or drop a .doc or .docx file here"_s;
const QString kReading = u"Reading %1…"_s;
const QString kOneCue = u"1 cue"_s;
const QString kCues = u"%1 cues"_s;
const QString kNoCues = u"No timing lines found: the SRT is empty."_s;
const QString kProblems = u"Cues left out"_s;
const QString kProblem = u"Line %1: %2 — %3"_s;
const QString kCopied = u"SRT copied to the clipboard."_s;
const QString kSaved = u"Saved %1"_s;
const QString kWordFiles = u"Word documents (*.doc *.docx)"_s;
const QString kSrtFiles = u"SubRip subtitles (*.srt)"_s;
const QString kVttFiles = u"WebVTT subtitles (*.vtt)"_s;
const QString kNotWord = u"Only .doc and .docx files can be converted."_s;
const QString kGone = u"The last document read here is no longer at %1."_s;
const QColor kRed(0xFC, 0x44, 0x44);
const QColor kAmber(0xF5, 0xA6, 0x23);
const QColor kAmberMark(0xF5, 0xA6, 0x23, 0x55);
constexpr double kDefaultFrameRate = 24.0;
constexpr int kMinSpeedLimit = 5;
constexpr int kMaxSpeedLimit = 60;
constexpr int kProblemRows = 4; // shown at once; more scroll

bool isWordFile(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"doc"_s || suffix == u"docx"_s;
}

QString droppedPath(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return {};
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.first().isLocalFile() ? urls.first().toLocalFile() : QString();
}

QPlainTextEdit *textArea(const QString &name, int height)
{
    auto *area = new QPlainTextEdit;
    area->setObjectName(name);
    area->setReadOnly(true);
    area->setFixedHeight(height);
    area->setLineWrapMode(QPlainTextEdit::NoWrap);
    area->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return area;
}

// "Line 12: 00:00:05,000 --> 00:00:04,000 — the end is not after the start."
QString problemLine(const SubtitleProblem &problem)
{
    QString reason = problem.reason;
    if (!reason.isEmpty())
        reason[0] = reason[0].toLower();
    return kProblem.arg(problem.lineNumber).arg(problem.text, reason);
}

QString suffixed(const QString &base, SubtitleFormat format)
{
    return base + (format == SubtitleFormat::WebVTT ? u".vtt"_s : u".srt"_s);
}

} // namespace

DocToSRTView::DocToSRTView(Settings *settings, QWidget *parent)
    : QWidget(parent), m_job(new SubtitleImportJob(this)), m_settings(settings)
{
    setWindowTitle(kTitle);
    setAcceptDrops(true);
    connect(m_job, &SubtitleImportJob::finished, this, &DocToSRTView::showResult);

    auto *title = new ScreenTitle(kTitle);

    auto *form = new QWidget;
    auto *column = new QVBoxLayout(form);
    column->setContentsMargins(24, 20, 24, 20);
    column->setSpacing(18);
    column->addWidget(title);
    column->addWidget(buildSource());
    column->addWidget(buildPreview());
    column->addWidget(buildOutput());
    column->addStretch(1);

    Backdrop::fillWithScrolling(this, form);
    showSubtitles();

    const QString last = m_settings ? m_settings->text(SettingsKey::docToSrtLastSource) : QString();
    if (last.isEmpty())
        return;
    if (QFileInfo(last).isFile()) {
        importDocument(last);
    } else {
        m_fileName->setText(QFileInfo(last).fileName());
        setErrorMessage(kGone.arg(QDir::toNativeSeparators(last)));
    }
}

// The job, a child, gives up on a running read as it goes: nothing here waits for the document.
DocToSRTView::~DocToSRTView() = default;

QWidget *DocToSRTView::buildSource()
{
    auto *section = new FormSection(kSource);
    m_choose = new QPushButton(kChoose);
    m_choose->setObjectName(u"chooseButton"_s);
    connect(m_choose, &QPushButton::clicked, this, &DocToSRTView::chooseFile);
    auto *hint = new QLabel(kDropHint);
    hint->setForegroundRole(QPalette::PlaceholderText);
    auto *chooseRow = new QHBoxLayout;
    chooseRow->addWidget(m_choose);
    chooseRow->addWidget(hint, 1);
    section->body()->addLayout(chooseRow);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(kFile));
    m_fileName = new QLabel;
    m_fileName->setObjectName(u"fileName"_s);
    m_fileName->setAccessibleName(kFile);
    m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_fileName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fileRow->addWidget(m_fileName, 1);
    section->body()->addLayout(fileRow);

    m_frameRate = new QComboBox;
    m_frameRate->setObjectName(u"frameRate"_s);
    m_frameRate->setAccessibleName(kFrameRate);
    const double stored =
        m_settings ? m_settings->text(SettingsKey::docToSrtFrameRate).toDouble() : 0.0;
    int chosen = -1;
    for (const double rate : DocToSRTConverter::commonFrameRates()) {
        if (std::abs(rate - stored) < 0.0005 ||
            (chosen < 0 && std::abs(rate - kDefaultFrameRate) < 0.0005))
            chosen = m_frameRate->count();
        m_frameRate->addItem(kFramesPerSecond.arg(rate), rate);
    }
    m_frameRate->setCurrentIndex(std::max(chosen, 0));
    m_options.framesPerSecond = m_frameRate->currentData().toDouble();
    connect(m_frameRate, &QComboBox::currentIndexChanged, this, &DocToSRTView::frameRateChosen);
    auto *rateRow = new QHBoxLayout;
    rateRow->addWidget(new QLabel(kFrameRate), 1);
    rateRow->addWidget(m_frameRate);
    section->body()->addLayout(rateRow);

    m_status = new QLabel;
    m_status->setObjectName(u"status"_s);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    section->body()->addWidget(m_status);
    m_readingSpeed = new QLabel;
    m_readingSpeed->setObjectName(u"readingSpeed"_s);
    m_readingSpeed->setStyleSheet(u"color: %1;"_s.arg(kAmber.name()));
    section->body()->addWidget(m_readingSpeed);
    // Every left-out cue, one a line; a long list scrolls.
    m_problems = new QPlainTextEdit;
    m_problems->setObjectName(u"problems"_s);
    m_problems->setAccessibleName(kProblems);
    m_problems->setReadOnly(true);
    m_problems->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    section->body()->addWidget(m_problems);
    m_error = new QLabel;
    m_error->setObjectName(u"errorMessage"_s);
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->setStyleSheet(u"color: %1;"_s.arg(kRed.name()));
    m_error->hide();
    section->body()->addWidget(m_error);
    return section;
}

QWidget *DocToSRTView::buildPreview()
{
    auto *section = new FormSection(kPreviewSection);
    m_preview = textArea(u"inputPreview"_s, 140);
    m_preview->setAccessibleName(kPreviewSection);
    section->body()->addWidget(m_preview);
    return section;
}

// The reading-speed marks go over the SRT rather than the preview: there each cue is one block
// of lines, as written, while the preview holds the document's own text, cut after a few
// thousand characters and still holding the cues that were left out.
QWidget *DocToSRTView::buildOutput()
{
    auto *section = new FormSection(kOutputSection);
    m_output = textArea(u"outputSRT"_s, 180);
    m_output->setAccessibleName(kOutputSection);
    section->body()->addWidget(m_output);

    m_speedLimit = new QSpinBox;
    m_speedLimit->setObjectName(u"speedLimit"_s);
    m_speedLimit->setAccessibleName(kSpeedLimit);
    m_speedLimit->setRange(kMinSpeedLimit, kMaxSpeedLimit);
    m_speedLimit->setSuffix(kSpeedUnit);
    const auto stored = m_settings
                            ? m_settings->integer(SettingsKey::docToSrtMaxCharactersPerSecond)
                            : std::nullopt;
    m_speedLimit->setValue(stored ? int(std::clamp<qint64>(*stored, kMinSpeedLimit, kMaxSpeedLimit))
                                  : int(ReadingSpeedLimits{}.maxCharactersPerSecond));
    connect(m_speedLimit, &QSpinBox::valueChanged, this, &DocToSRTView::speedLimitChanged);

    m_copy = new QPushButton(kCopy);
    m_copy->setObjectName(u"copyButton"_s);
    m_copy->setShortcut(QKeySequence(u"Ctrl+Shift+C"_s));
    connect(m_copy, &QPushButton::clicked, this, &DocToSRTView::copySRT);
    m_share = new QPushButton(
        IconLibrary::icon(u"square.and.arrow.up"_s, palette().color(QPalette::ButtonText),
                          IconLibrary::monochromeSecondary(palette().color(QPalette::ButtonText))),
        kShare);
    m_share->setObjectName(u"shareButton"_s);
    auto *menu = new QMenu(m_share);
    QAction *save =
        menu->addAction(kSave, this, [this] { chooseSaveFile(SubtitleFormat::SubRip); });
    save->setShortcut(QKeySequence::Save);
    addAction(save); // Ctrl+S works without opening the menu
    save->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QAction *saveVtt =
        menu->addAction(kSaveVtt, this, [this] { chooseSaveFile(SubtitleFormat::WebVTT); });
    saveVtt->setObjectName(u"saveVttAction"_s);
    QAction *open = menu->addAction(kOpen, this, &DocToSRTView::openInDefaultApp);
    m_outputActions = {save, saveVtt, open};
    m_share->setMenu(menu);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addWidget(m_share);
    buttons->addStretch(1);
    buttons->addWidget(new QLabel(kSpeedLimit));
    buttons->addWidget(m_speedLimit);
    section->body()->addLayout(buttons);
    return section;
}

QString DocToSRTView::inputPreview() const
{
    return m_preview->toPlainText();
}

bool DocToSRTView::isImporting() const
{
    return m_job->isRunning();
}

bool DocToSRTView::hasSubtitles() const
{
    return !m_outputSRT.trimmed().isEmpty(); // an SRT without cues is one line break
}

void DocToSRTView::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, kChoose, {}, kWordFiles);
    if (!path.isEmpty())
        importDocument(path);
}

void DocToSRTView::importDocument(const QString &path)
{
    if (isImporting())
        return; // one document at a time
    setErrorMessage({});
    const QFileInfo file(path);
    if (m_settings)
        m_settings->setText(SettingsKey::docToSrtLastSource, file.absoluteFilePath());
    m_selectedFileName = file.fileName();
    m_fileName->setText(m_selectedFileName);
    m_suggestedName = QDir(file.absolutePath()).filePath(file.completeBaseName());
    setStatus(kReading.arg(m_selectedFileName));
    m_choose->setEnabled(false);
    m_importOptions = m_options;
    m_job->start(path, m_options);
}

void DocToSRTView::showResult(const Expected<DocToSRTResult> &result)
{
    m_choose->setEnabled(true);
    if (!result) {
        m_text.clear();
        m_cues = {};
        m_outputSRT.clear();
        m_preview->clear();
        showSubtitles();
        setStatus({});
        setErrorMessage(result.error().description);
    } else {
        m_text = result->text;
        m_preview->setPlainText(result->preview);
        if (m_importOptions == m_options) {
            m_cues = result->cues;
            m_outputSRT = result->srt;
            showSubtitles();
        } else {
            convertText(); // the frame rate changed during the read
        }
    }
    Q_EMIT importFinished();
}

void DocToSRTView::frameRateChosen(int index)
{
    m_options.framesPerSecond = m_frameRate->itemData(index).toDouble();
    if (m_settings)
        m_settings->setText(SettingsKey::docToSrtFrameRate,
                            QString::number(m_options.framesPerSecond));
    if (!m_text.isEmpty())
        convertText();
}

void DocToSRTView::speedLimitChanged(int charactersPerSecond)
{
    if (m_settings)
        m_settings->setInteger(SettingsKey::docToSrtMaxCharactersPerSecond, charactersPerSecond);
    markReadingSpeed();
}

void DocToSRTView::convertText()
{
    m_cues = DocToSRTConverter::readCues(DocToSRTConverter::splitLines(m_text), m_options);
    m_outputSRT = DocToSRTConverter::renderSRT(m_cues.cues);
    showSubtitles();
}

void DocToSRTView::showSubtitles()
{
    m_output->setPlainText(m_outputSRT);
    const qsizetype count = m_cues.cues.size();
    setStatus(m_text.isEmpty() ? QString()
              : count == 0     ? kNoCues
              : count == 1     ? kOneCue
                               : kCues.arg(count));

    QStringList problems;
    for (const SubtitleProblem &problem : m_cues.problems)
        problems.append(problemLine(problem));
    m_problems->setPlainText(problems.join(u'\n'));
    const auto rows = int(std::min<qsizetype>(problems.size(), kProblemRows));
    m_problems->setFixedHeight(
        m_problems->fontMetrics().lineSpacing() * rows +
        2 * (m_problems->frameWidth() + int(m_problems->document()->documentMargin())));
    m_problems->setVisible(!problems.isEmpty());

    const bool any = hasSubtitles();
    m_copy->setEnabled(any);
    m_share->setEnabled(any);
    for (QAction *action : std::as_const(m_outputActions))
        action->setEnabled(any);
    markReadingSpeed();
}

void DocToSRTView::markReadingSpeed()
{
    ReadingSpeedLimits limits;
    limits.maxCharactersPerSecond = m_speedLimit->value();
    const QList<ReadingSpeedWarning> warnings =
        DocToSRTConverter::checkReadingSpeed(m_cues.cues, limits);
    m_output->setExtraSelections(
        ReadingSpeedMarks::selections(m_output->document(), warnings, kAmberMark));
    m_readingSpeed->setText(ReadingSpeedMarks::summary(warnings.size()));
    m_readingSpeed->setToolTip(ReadingSpeedMarks::rules(limits));
    m_readingSpeed->setVisible(!warnings.isEmpty());
}

void DocToSRTView::copySRT()
{
    if (!hasSubtitles())
        return;
    QApplication::clipboard()->setText(m_outputSRT);
    setStatus(kCopied);
}

void DocToSRTView::chooseSaveFile(SubtitleFormat format)
{
    if (!hasSubtitles())
        return;
    const QString start = m_suggestedName.isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                              : suffixed(m_suggestedName, format);
    const bool vtt = format == SubtitleFormat::WebVTT;
    const QString path = QFileDialog::getSaveFileName(this, vtt ? kSaveVtt : kSave, start,
                                                      vtt ? kVttFiles : kSrtFiles);
    if (path.isEmpty())
        return;
    if (vtt)
        saveVTT(path);
    else
        saveSRT(path);
}

bool DocToSRTView::saveSRT(const QString &path)
{
    return save(path, m_outputSRT);
}

bool DocToSRTView::saveVTT(const QString &path)
{
    return save(path, DocToSRTConverter::renderWebVTT(m_cues.cues));
}

bool DocToSRTView::save(const QString &path, const QString &text)
{
    const Expected<Done> written = writeFileAtomically(path, text.toUtf8());
    if (!written) {
        setErrorMessage(written.error().description);
        return false;
    }
    setErrorMessage({});
    setStatus(kSaved.arg(QDir::toNativeSeparators(path)));
    return true;
}

void DocToSRTView::openInDefaultApp()
{
    if (!hasSubtitles())
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString base =
        m_suggestedName.isEmpty() ? u"subtitles"_s : QFileInfo(m_suggestedName).fileName();
    const QString path = QDir(folder).filePath(suffixed(base, SubtitleFormat::SubRip));
    if (saveSRT(path))
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DocToSRTView::setErrorMessage(const QString &text)
{
    m_errorMessage = text;
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void DocToSRTView::setStatus(const QString &text)
{
    m_status->setText(text);
    m_status->setVisible(!text.isEmpty());
}

void DocToSRTView::dragEnterEvent(QDragEnterEvent *event)
{
    if (isWordFile(droppedPath(event->mimeData())))
        event->acceptProposedAction();
}

void DocToSRTView::dropEvent(QDropEvent *event)
{
    const QString path = droppedPath(event->mimeData());
    if (!isWordFile(path)) {
        setErrorMessage(kNotWord);
        return;
    }
    event->acceptProposedAction();
    importDocument(path);
}

} // namespace hb
