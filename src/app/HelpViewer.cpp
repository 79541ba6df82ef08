#include "app/HelpViewer.h"

#include "app/ReadmeSection.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

// The help texts are small; anything larger is not our README.
constexpr qint64 kMaxReadmeBytes = 4 * 1024 * 1024;

} // namespace

HelpViewer::HelpViewer(QWidget *parent)
    : QDialog(parent), m_text(new QTextBrowser(this)), m_source(new QLabel(this))
{
    setObjectName(u"helpViewer"_s);
    setWindowTitle(u"Huebench Help"_s);
    m_text->setObjectName(u"helpText"_s);
    m_text->setOpenExternalLinks(true);
    m_text->setAccessibleName(u"Help text"_s);
    m_source->setObjectName(u"helpSource"_s);
    m_source->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_source->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *openFile = buttons->addButton(u"Open README"_s, QDialogButtonBox::ActionRole);
    openFile->setObjectName(u"helpOpenFile"_s);
    connect(openFile, &QPushButton::clicked, this, [this] {
        if (!m_path.isEmpty())
            QDesktopServices::openUrl(QUrl::fromLocalFile(m_path));
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_source);
    layout->addWidget(buttons);
    resize(720, 560);
}

QStringList HelpViewer::readmeCandidates()
{
    return {QDir(QCoreApplication::applicationDirPath())
                .filePath(u"../"_s + QStringLiteral(HB_DOCDIR) + u"/README.md"_s),
            QStringLiteral(HB_SOURCE_DIR "/README.md")};
}

void HelpViewer::showSection(const QString &path, const QString &heading)
{
    m_path = path;
    QFile file(path);
    QString markdown;
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        markdown = u"The README of Huebench was not found. It is installed with the program "
                   u"(share/doc/huebench/README.md)."_s;
        m_path.clear();
    } else if (file.size() > kMaxReadmeBytes) {
        markdown = u"The README at %1 is too large to show."_s.arg(path);
    } else {
        const QString whole = QString::fromUtf8(file.readAll());
        markdown = heading.isEmpty() ? whole : ReadmeSection::extract(whole, heading);
        if (markdown.isEmpty())
            markdown = u"The README has no section \u201C%1\u201D."_s.arg(heading);
    }
    m_markdown = markdown;
    m_text->setSearchPaths({QFileInfo(path).absolutePath()});
    m_text->setMarkdown(markdown);
    m_source->setText(m_path.isEmpty() ? QString() : QDir::toNativeSeparators(m_path));
    setWindowTitle(heading.isEmpty() ? u"Huebench Help"_s : u"Huebench Help \u2014 "_s + heading);
    show();
    layout()->activate();
    fitImages();
    raise();
    activateWindow();
}

void HelpViewer::fitImages()
{
    // Screenshots are shown at most as wide as the text, keeping their proportions.
    const qreal widest = qMax(160, m_text->viewport()->width() - 40);
    const QDir base(QFileInfo(m_path).absolutePath());
    QTextCursor cursor(m_text->document());
    for (QTextBlock block = m_text->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            QTextImageFormat image = fragment.fragment().charFormat().toImageFormat();
            if (!image.isValid())
                continue;
            const QSize natural = QImageReader(base.filePath(image.name())).size();
            if (!natural.isValid() || natural.width() <= widest)
                continue;
            image.setWidth(widest);
            image.setHeight(widest * natural.height() / natural.width());
            cursor.setPosition(fragment.fragment().position());
            cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(),
                               QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

} // namespace hb
