#pragma once

#include <QString>
#include <QStringView>

namespace hb {

// Character and line tests that the stages of the Fountain converter share.
class FountainText {
public:
    FountainText() = delete;

    static bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
    static bool isAsciiLetter(QChar c)
    {
        return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    }
    // Written in capitals: a capital letter and no small one.
    static bool isCapitals(QStringView s);
    // The note that times a line: "[[00:01:02]]".
    static QString note(const QString &clock);
    // Only the converter writes lines that start with "[[": the input's are defused.
    static bool isNote(QStringView line) { return line.startsWith(u"[["); }
};

} // namespace hb
