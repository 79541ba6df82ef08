#include "dadavezaruz/KeyCombo.h"

#include "common/TextHelpers.h"
#include "dadavezaruz/KeyCodeMap.h"

#include <QStringList>

namespace hb {

namespace {

using namespace Qt::StringLiterals;

quint64 modifierFlag(const QString &name)
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

// “a”, “a” and “b”, “a”, “b” and “c”; past three names, “a”, “b”, “c” and 5 more.
QString quotedList(const QStringList &names)
{
    constexpr qsizetype kMaxShown = 3;
    const qsizetype shown = std::min(names.size(), kMaxShown);
    QString text;
    for (qsizetype i = 0; i < shown; ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? u" and "_s : u", "_s;
        text += inQuotes(names[i], 40);
    }
    if (names.size() > shown)
        text += u" and %1 more"_s.arg(names.size() - shown);
    return text;
}

bool isKnownName(const QString &lowerName)
{
    return keyCodeMap().contains(lowerName) || modifierFlag(lowerName) != 0;
}

Error unknownNames(const QStringList &names, bool lastIsUnknown)
{
    QString text;
    if (names.size() > 1)
        text = u"Unknown names "_s + quotedList(names);
    else
        text =
            (lastIsUnknown ? u"Unknown key "_s : u"Unknown modifier "_s) + inQuotes(names[0], 40);
    for (const QString &name : names) {
        if (name.trimmed() != name && isKnownName(name.trimmed().toLower())) {
            text += u" \u2014 remove the spaces around \u201C+\u201D"_s;
            break;
        }
    }
    return Error::make(KeyComboError::UnknownName, text);
}

} // namespace

Expected<std::optional<KeyPress>> parseKeyCombo(const QString &text)
{
    const QStringList pieces = text.split(u'+', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::optional<KeyPress>();

    KeyPress press;
    QStringList unknown;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i) {
        const quint64 flag = modifierFlag(pieces[i].toLower());
        if (flag == 0)
            unknown.append(pieces[i]);
        press.modifiers |= flag;
    }

    const QString &key = pieces.constLast();
    const QString keyName = key.toLower();
    const auto code = keyCodeMap().constFind(keyName);
    const bool keyKnown = code != keyCodeMap().cend();
    if (!keyKnown && unknown.isEmpty() && modifierFlag(keyName) != 0) {
        return Error::make(KeyComboError::NoKey,
                           inQuotes(key, 40) + u" is a modifier: add a key after it, e.g. "_s +
                               (pieces.size() <= 4 ? pieces.join(u'+') : key) + u"+c"_s);
    }
    if (!keyKnown)
        unknown.append(key);
    if (!unknown.isEmpty())
        return unknownNames(unknown, !keyKnown);
    press.keyCode = *code;
    return std::optional<KeyPress>(press);
}

} // namespace hb
