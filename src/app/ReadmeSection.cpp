#include "app/ReadmeSection.h"

#include <QStringList>

namespace hb {
namespace {

// The level of an ATX heading line ("## Title" is 2), 0 for any other line.
int headingLevel(QStringView line, QStringView *text)
{
    qsizetype level = 0;
    while (level < line.size() && line[level] == u'#')
        ++level;
    if (level == 0 || level > 6 || (level < line.size() && line[level] != u' '))
        return 0;
    *text = line.mid(level).trimmed();
    return int(level);
}

bool isFence(QStringView line)
{
    const QStringView trimmed = line.trimmed();
    return trimmed.startsWith(u"```") || trimmed.startsWith(u"~~~");
}

} // namespace

QString ReadmeSection::extract(const QString &markdown, const QString &heading)
{
    const QStringList lines = markdown.split(u'\n');
    QStringList section;
    int sectionLevel = 0;
    bool inFence = false;
    for (const QString &line : lines) {
        if (isFence(line))
            inFence = !inFence;
        QStringView text;
        const int level = inFence || isFence(line) ? 0 : headingLevel(line, &text);
        if (sectionLevel == 0) {
            if (level > 0 && text == heading) {
                sectionLevel = level;
                section.append(line);
            }
            continue;
        }
        if (level > 0 && level <= sectionLevel)
            break;
        section.append(line);
    }
    return section.join(u'\n').trimmed();
}

} // namespace hb
