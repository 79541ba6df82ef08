#include "prep/PrepMarkdownExport.h"

#include "common/AtomicFile.h"
#include "prep/PrepChecklist.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kDialogTitle = u"Export Project"_s;
const QString kFilter = u"Markdown (*.md)"_s;
const QString kFailed = u"Export failed: "_s;

} // namespace

QString PrepMarkdownExport::defaultFileName(const QString &projectName)
{
    QString name = projectName.trimmed();
    for (QChar &c : name) {
        if (c == u'/' || c == u'\\' || c == QChar::Null || c.category() == QChar::Other_Control)
            c = u'-';
    }
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        name = u"Project"_s;
    return name + u".md"_s;
}

QString PrepMarkdownExport::choosePath(QWidget *parent, const QString &projectName)
{
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    return QFileDialog::getSaveFileName(parent, kDialogTitle,
                                        folder.filePath(defaultFileName(projectName)), kFilter);
}

Expected<Done> PrepMarkdownExport::write(const PrepChecklist &checklist, qint64 project,
                                         const QString &path)
{
    const Expected<QString> markdown = checklist.exportMarkdown(project);
    if (!markdown)
        return markdown.error();
    return writeFileAtomically(path, markdown->toUtf8());
}

QString PrepMarkdownExport::failureText(const Error &error)
{
    return kFailed + error.description;
}

} // namespace hb
