#include "dadavezaruz/KeyComboRecording.h"

#include <QHash>

namespace hb::KeyComboRecording {

namespace {

using namespace Qt::StringLiterals;

// Keys that type their own name, whatever the modifiers.
const QHash<int, QString> &plainKeys()
{
    static const QHash<int, QString> keys = [] {
        QHash<int, QString> map{
            {Qt::Key_Equal, u"="_s},
            {Qt::Key_Minus, u"-"_s},
            {Qt::Key_BracketRight, u"]"_s},
            {Qt::Key_BracketLeft, u"["_s},
            {Qt::Key_Apostrophe, u"'"_s},
            {Qt::Key_Semicolon, u";"_s},
            {Qt::Key_Backslash, u"\\"_s},
            {Qt::Key_Comma, u","_s},
            {Qt::Key_Slash, u"/"_s},
            {Qt::Key_Period, u"."_s},
            {Qt::Key_QuoteLeft, u"`"_s},
            {Qt::Key_Return, u"return"_s},
            {Qt::Key_Enter, u"return"_s},
            {Qt::Key_Tab, u"tab"_s},
            {Qt::Key_Backtab, u"tab"_s},
            {Qt::Key_Space, u"space"_s},
            {Qt::Key_Backspace, u"backspace"_s},
            {Qt::Key_Escape, u"esc"_s},
            {Qt::Key_Left, u"left"_s},
            {Qt::Key_Right, u"right"_s},
            {Qt::Key_Up, u"up"_s},
            {Qt::Key_Down, u"down"_s},
            {Qt::Key_Home, u"home"_s},
            {Qt::Key_End, u"end"_s},
            {Qt::Key_PageUp, u"pageup"_s},
            {Qt::Key_PageDown, u"pagedown"_s},
        };
        for (int letter = Qt::Key_A; letter <= Qt::Key_Z; ++letter)
            map.insert(letter, QString(QChar(u'a' + (letter - Qt::Key_A))));
        for (int digit = Qt::Key_0; digit <= Qt::Key_9; ++digit)
            map.insert(digit, QString(QChar(u'0' + (digit - Qt::Key_0))));
        for (int f = 0; f < 12; ++f)
            map.insert(Qt::Key_F1 + f, u"f%1"_s.arg(f + 1));
        return map;
    }();
    return keys;
}

// What Shift makes of a key on a US keyboard, back to the key.
const QHash<int, QString> &shiftedKeys()
{
    static const QHash<int, QString> keys{
        {Qt::Key_Exclam, u"1"_s},     {Qt::Key_At, u"2"_s},        {Qt::Key_NumberSign, u"3"_s},
        {Qt::Key_Dollar, u"4"_s},     {Qt::Key_Percent, u"5"_s},   {Qt::Key_AsciiCircum, u"6"_s},
        {Qt::Key_Ampersand, u"7"_s},  {Qt::Key_Asterisk, u"8"_s},  {Qt::Key_ParenLeft, u"9"_s},
        {Qt::Key_ParenRight, u"0"_s}, {Qt::Key_Plus, u"="_s},      {Qt::Key_Underscore, u"-"_s},
        {Qt::Key_BraceRight, u"]"_s}, {Qt::Key_BraceLeft, u"["_s}, {Qt::Key_QuoteDbl, u"'"_s},
        {Qt::Key_Colon, u";"_s},      {Qt::Key_Bar, u"\\"_s},      {Qt::Key_Less, u","_s},
        {Qt::Key_Question, u"/"_s},   {Qt::Key_Greater, u"."_s},   {Qt::Key_AsciiTilde, u"`"_s},
    };
    return keys;
}

} // namespace

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

std::optional<QString> comboFor(int key, Qt::KeyboardModifiers modifiers)
{
    QString name = plainKeys().value(key);
    if (name.isEmpty() && modifiers.testFlag(Qt::ShiftModifier))
        name = shiftedKeys().value(key);
    if (name.isEmpty())
        return std::nullopt;

    QString combo;
    if (modifiers.testFlag(Qt::MetaModifier))
        combo += u"cmd+"_s;
    if (modifiers.testFlag(Qt::ControlModifier))
        combo += u"ctrl+"_s;
    if (modifiers.testFlag(Qt::AltModifier))
        combo += u"alt+"_s;
    if (modifiers.testFlag(Qt::ShiftModifier) || key == Qt::Key_Backtab)
        combo += u"shift+"_s;
    return combo + name;
}

} // namespace hb::KeyComboRecording
