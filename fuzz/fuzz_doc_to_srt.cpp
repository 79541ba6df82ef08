// Fuzzes the transcript-to-subtitles conversion with arbitrary text (as a document would give
// it, UTF-8 here).
//
// Every cue's times have the SubRip form, and the rendered text numbers the cues from 1 and
// ends with exactly one line feed.

#include "FuzzCheck.h"
#include "converters/DocToSRTConverter.h"

#include <QRegularExpression>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using hb::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using hb::DocToSRTConverter;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<hb::SRTCue> cues =
        DocToSRTConverter::buildCues(DocToSRTConverter::splitLines(text));
    static const QRegularExpression stamp(QStringLiteral(R"(^\d{2}:\d{2}:\d{2},\d{3}$)"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    for (const hb::SRTCue &cue : cues) {
        check(stamp.match(cue.start).hasMatch() && stamp.match(cue.end).hasMatch(), "stamp form");
        check(cue.lines.isEmpty() ||
                  (!cue.lines.constFirst().isEmpty() && !cue.lines.constLast().isEmpty()),
              "no blank line at either end of a cue");
    }
    const QString srt = DocToSRTConverter::renderSRT(cues);
    check(srt.endsWith(QLatin1Char('\n')) && !srt.endsWith(QStringLiteral("\n\n")),
          "one final line feed");
    check(cues.isEmpty() || srt.startsWith(QStringLiteral("1\n")), "numbered from 1");
    return 0;
}
