#include "prep/PrepMarkdown.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

QStringList textLines(const QString &text)
{
    QString normalised = text;
    normalised.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    return normalised.split(u'\n');
}

QString oneLine(const QString &text)
{
    return textLines(text).join(u' ');
}

// A backslash before a character that would make the line start a block of its own.
QString escapeLineStart(const QString &line)
{
    static constexpr QStringView blockMarkers = u"#>-+*_=`~|<[";
    qsizetype start = 0;
    while (start < line.size() && (line[start] == u' ' || line[start] == u'\t'))
        ++start;
    if (start == line.size())
        return line;
    if (blockMarkers.contains(line[start]))
        return line.left(start) + u'\\' + line.mid(start);
    qsizetype end = start;
    while (end < line.size() && line[end] >= u'0' && line[end] <= u'9')
        ++end;
    if (end > start && end < line.size() && (line[end] == u'.' || line[end] == u')'))
        return line.left(end) + u'\\' + line.mid(end);
    return line;
}

QString heading(const QString &name)
{
    QString title = oneLine(name);
    // Trailing '#' would be read as the heading's closing sequence.
    qsizetype closing = title.size();
    while (closing > 0 && title[closing - 1] == u'#')
        --closing;
    if (closing < title.size())
        title.insert(closing, u'\\');
    title = escapeLineStart(title);
    return title.isEmpty() ? u"#"_s : u"# "_s + title;
}

} // namespace

QString PrepMarkdown::render(const PrepProject &project, const QList<PrepTask> &tasks)
{
    QStringList lines{heading(project.name)};
    if (const QString notes = project.notes.trimmed(); !notes.isEmpty()) {
        lines.append(QString());
        for (const QString &line : textLines(notes))
            lines.append(line.trimmed().isEmpty() ? QString() : escapeLineStart(line));
    }
    if (!tasks.isEmpty())
        lines.append(QString());
    for (const PrepTask &task : tasks) {
        lines.append((task.isDone ? u"- [x] "_s : u"- [ ] "_s) +
                     escapeLineStart(oneLine(task.title)));
        if (const QString details = task.details.trimmed(); !details.isEmpty()) {
            for (const QString &line : textLines(details))
                lines.append(line.trimmed().isEmpty() ? QString()
                                                      : u"  "_s + escapeLineStart(line));
        }
    }
    return QString(lines.join(u'\n') + u'\n');
}

} // namespace hb
