#include "common/TextHelpers.h"

#include <QUuid>

namespace hb {

QString newUuidText()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString inQuotes(QStringView text, qsizetype maxShown)
{
    if (text.size() <= maxShown)
        return u'\u201C' + text.toString() + u'\u201D';
    return u'\u201C' + text.first(maxShown).toString() + u"\u2026\u201D";
}

} // namespace hb
