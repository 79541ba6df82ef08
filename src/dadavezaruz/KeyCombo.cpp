#include "dadavezaruz/KeyCombo.h"

#include "dadavezaruz/KeyCodeMap.h"

#include <QStringList>

namespace hb {

namespace {

quint64 modifierFlag(QStringView name)
{
    if (name == u"cmd" || name == u"command")
        return kCommandModifier;
    if (name == u"shift")
        return kShiftModifier;
    if (name == u"alt" || name == u"option")
        return kOptionModifier;
    if (name == u"ctrl" || name == u"control")
        return kControlModifier;
    return 0;
}

} // namespace

std::optional<KeyPress> parseKeyCombo(const QString &text)
{
    const QString lower = text.toLower();
    const auto pieces = QStringView(lower).split(u'+', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;

    KeyPress press;
    press.keyCode = keyCodeMap().value(pieces.last().toString(), 0);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        press.modifiers |= modifierFlag(pieces.at(i));
    return press;
}

} // namespace hb
