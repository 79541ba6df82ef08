#include "converters/FountainConverter.h"

#include "converters/FountainReading.h"
#include "converters/FountainTranscriptReader.h"
#include "converters/FountainWriter.h"

#include <QStringList>

namespace hb {
namespace {

// The text as lines, with "[[" and "/*" defused so that the input never opens a note or a
// boneyard: consecutive opening brackets get a space between them and the star after a slash gets
// Fountain's backslash escape.
QStringList inputLines(const QString &text)
{
    QString lines;
    lines.reserve(text.size() + text.size() / 64);
    const qsizetype start = text.startsWith(QChar(0xFEFF)) ? 1 : 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            lines += u'\n';
            continue;
        }
        if (c == u'[' && lines.endsWith(u'['))
            lines += u' ';
        else if (c == u'*' && lines.endsWith(u'/'))
            lines += u'\\';
        lines += c;
    }
    return lines.split(u'\n');
}

} // namespace

QString FountainConverter::convert(const QString &text, FountainMode mode, bool preserveIndentation,
                                   bool includeTimecodes)
{
    const QStringList lines = inputLines(text);
    if (mode == FountainMode::Auto) {
        const FountainReading strict =
            FountainTranscriptReader(false, includeTimecodes).read(lines);
        mode = strict.isTranscript() ? FountainMode::Transcript : FountainMode::Prose;
    }
    const FountainReading reading =
        mode == FountainMode::Transcript
            ? FountainTranscriptReader(true, includeTimecodes).read(lines)
            : FountainReading::prose(lines);
    return FountainWriter::write(reading, preserveIndentation);
}

FountainMode FountainConverter::detectMode(const QString &text)
{
    return FountainTranscriptReader(false, false).read(inputLines(text)).isTranscript()
               ? FountainMode::Transcript
               : FountainMode::Prose;
}

} // namespace hb
