#include "converters/FountainText.h"

namespace hb {

bool FountainText::isCapitals(QStringView s)
{
    bool upper = false;
    for (QChar c : s) {
        if (c.isLower())
            return false;
        upper = upper || c.isUpper();
    }
    return upper;
}

QString FountainText::note(const QString &clock)
{
    return u"[[" + clock + u"]]";
}

} // namespace hb
