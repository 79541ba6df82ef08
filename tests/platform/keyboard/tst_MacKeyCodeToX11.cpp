#include "dadavezaruz/KeyCodeMap.h"
#include "platform/keyboard/MacKeyCodeToX11.h"

#include <QTest>

#include <X11/keysym.h>

using namespace hb;
using namespace Qt::StringLiterals;

class TestMacKeyCodeToX11 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyKeyNameHasItsKeysym();
    void otherCodesHaveNone();
};

void TestMacKeyCodeToX11::everyKeyNameHasItsKeysym()
{
    // Names that are neither one character (a Latin-1 keysym is the character's code) nor f1-f12.
    // clang-format off
    const QHash<QString, unsigned long> named = {
        {u"return"_s, XK_Return},  {u"enter"_s, XK_Return}, {u"delete"_s, XK_BackSpace},
        {u"backspace"_s, XK_BackSpace}, {u"escape"_s, XK_Escape}, {u"esc"_s, XK_Escape},
        {u"tab"_s, XK_Tab},        {u"space"_s, XK_space},  {u"pageup"_s, XK_Prior},
        {u"pagedown"_s, XK_Next},  {u"home"_s, XK_Home},    {u"end"_s, XK_End},
        {u"left"_s, XK_Left},      {u"right"_s, XK_Right},  {u"up"_s, XK_Up},
        {u"down"_s, XK_Down}};
    // clang-format on
    for (const auto [name, code] : keyCodeMap().asKeyValueRange()) {
        const unsigned long keysym = keysymForMacKeyCode(code);
        const int fKey = name.startsWith(u'f') ? name.mid(1).toInt() : 0;
        const unsigned long expected = name.size() == 1 ? name.front().unicode()
                                       : fKey > 0       ? XK_F1 + unsigned(fKey) - 1
                                                        : named.value(name);
        QVERIFY2(expected != 0 && keysym == expected, qPrintable(name));
    }
}

void TestMacKeyCodeToX11::otherCodesHaveNone()
{
    // Section (ISO), keypad Enter, forward delete, caps lock, F13, past the table.
    for (const int code : {10, 76, 117, 57, 105, 127, 128, 0xFFFF})
        QCOMPARE(keysymForMacKeyCode(quint16(code)), 0ul);
}

QTEST_APPLESS_MAIN(TestMacKeyCodeToX11)
#include "tst_MacKeyCodeToX11.moc"
