#include "converters/DocToSRTView.h"

#include "common/AtomicFile.h"
#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/IconLibrary.h"
#include "common/ScreenTitle.h"
#include "common/Settings.h"

#include <QApplication>
#include <QClipboard>
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
#include <QStandardPaths>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

const QString kTitle = u"DOC to SRT"_s;
const QString kSource = u"Source"_s;
const QString kChoose = u"Choose .doc / .docx"_s;
const QString kFile = u"File"_s;
const QString kPreviewSection = u"Extracted Text (preview)"_s;
const QString kOutputSection = u"SRT Output"_s;
const QString kCopy = u"Copy SRT"_s;
const QString kShare = u"Share"_s;
const QString kSave = u"Save SRT…"_s;
const QString kOpen = u"Open in Default App"_s;
const QString kDropHint = u"or drop a .doc or .docx file here"_s;
const QString kReading = u"Reading %1…"_s;
const QString kOneCue = u"1 cue"_s;
const QString kCues = u"%1 cues"_s;
const QString kNoCues = u"No timing lines found: the SRT is empty."_s;
const QString kCopied = u"SRT copied to the clipboard."_s;
const QString kSaved = u"Saved %1"_s;
const QString kWordFiles = u"Word documents (*.doc *.docx)"_s;
const QString kSrtFiles = u"SubRip subtitles (*.srt)"_s;
const QString kNotWord = u"Only .doc and .docx files can be converted."_s;
const QString kGone = u"The last document read here is no longer at %1."_s;
const QColor kRed(0xFC, 0x44, 0x44);

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

} // namespace

DocToSRTView::DocToSRTView(Settings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings)
{
    setWindowTitle(kTitle);
    setAcceptDrops(true);

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

DocToSRTView::~DocToSRTView()
{
    if (m_worker) {
        m_worker->disconnect(this);
        m_worker->wait();
        delete m_worker;
    }
}

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

    m_status = new QLabel;
    m_status->setObjectName(u"status"_s);
    m_status->setForegroundRole(QPalette::PlaceholderText);
    m_status->hide();
    section->body()->addWidget(m_status);
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

QWidget *DocToSRTView::buildOutput()
{
    auto *section = new FormSection(kOutputSection);
    m_output = textArea(u"outputSRT"_s, 180);
    m_output->setAccessibleName(kOutputSection);
    section->body()->addWidget(m_output);

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
    QAction *save = menu->addAction(kSave, this, &DocToSRTView::chooseSaveFile);
    save->setShortcut(QKeySequence::Save);
    addAction(save); // Ctrl+S works without opening the menu
    save->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    menu->addAction(kOpen, this, &DocToSRTView::openInDefaultApp);
    m_share->setMenu(menu);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addWidget(m_share);
    buttons->addStretch(1);
    section->body()->addLayout(buttons);
    return section;
}

QString DocToSRTView::inputPreview() const
{
    return m_preview->toPlainText();
}

void DocToSRTView::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, kChoose, {}, kWordFiles);
    if (!path.isEmpty())
        importDocument(path);
}

void DocToSRTView::importDocument(const QString &path)
{
    if (m_worker)
        return; // one document at a time
    setErrorMessage({});
    if (m_settings)
        m_settings->setText(SettingsKey::docToSrtLastSource, QFileInfo(path).absoluteFilePath());
    m_selectedFileName = QFileInfo(path).fileName();
    m_fileName->setText(m_selectedFileName);
    m_suggestedName = QDir(QFileInfo(path).absolutePath())
                          .filePath(QFileInfo(path).completeBaseName() + u".srt"_s);
    setStatus(kReading.arg(m_selectedFileName));
    m_choose->setEnabled(false);

    auto result = std::make_shared<Expected<DocToSRTResult>>(Error{});
    m_worker = QThread::create([path, result] { *result = DocToSRTImport::importFile(path); });
    m_worker->setObjectName(u"DocToSRTView.import"_s);
    connect(m_worker, &QThread::finished, this, [this, result] {
        m_worker->deleteLater();
        m_worker = nullptr;
        m_choose->setEnabled(true);
        showResult(*result);
        Q_EMIT importFinished();
    });
    m_worker->start();
}

void DocToSRTView::showResult(const Expected<DocToSRTResult> &result)
{
    if (!result) {
        m_preview->clear();
        m_outputSRT.clear();
        m_output->clear();
        setStatus({});
        setErrorMessage(result.error().description);
        return;
    }
    m_preview->setPlainText(result->preview);
    m_outputSRT = result->srt;
    m_output->setPlainText(m_outputSRT);
    setStatus(result->cueCount == 0   ? kNoCues
              : result->cueCount == 1 ? kOneCue
                                      : kCues.arg(result->cueCount));
}

void DocToSRTView::copySRT()
{
    QApplication::clipboard()->setText(m_outputSRT);
    setStatus(kCopied);
}

void DocToSRTView::chooseSaveFile()
{
    if (m_outputSRT.isEmpty())
        return;
    const QString start = m_suggestedName.isEmpty()
                              ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                              : m_suggestedName;
    const QString path = QFileDialog::getSaveFileName(this, kSave, start, kSrtFiles);
    if (!path.isEmpty())
        saveSRT(path);
}

bool DocToSRTView::saveSRT(const QString &path)
{
    const Expected<Done> written = writeFileAtomically(path, m_outputSRT.toUtf8());
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
    if (m_outputSRT.isEmpty())
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString base =
        m_suggestedName.isEmpty() ? u"subtitles.srt"_s : QFileInfo(m_suggestedName).fileName();
    const QString path = QDir(folder).filePath(base);
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
