// Fuzzes the transcript-to-subtitles conversion with arbitrary text (as a document would give
// it, UTF-8 here) and a frame rate taken from the input's first byte.
//
// Every cue ends after it starts, has the SubRip form of times in ASCII digits and no blank line;
// the rendered SubRip numbers its cues 1, 2, 3... and ends with exactly one line feed; every
// timing line left out is reported.

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
    if (size == 0)
        return 0;
    // 0.5 to 128 frames a second in halves, 0 and 255 giving rates no reader offers.
    const double fps = data[0] == 0 ? 0.0 : data[0] == 255 ? 1e300 : data[0] / 2.0;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const QStringList lines = DocToSRTConverter::splitLines(text);
    const hb::SubtitleCues read = DocToSRTConverter::readCues(lines, {fps});
    static const QRegularExpression stamp(
        QStringLiteral(R"(^[0-9]{2}:[0-5][0-9]:[0-5][0-9],[0-9]{3}$)"));
    for (const hb::SRTCue &cue : read.cues) {
        check(stamp.match(cue.start).hasMatch() && stamp.match(cue.end).hasMatch(), "stamp form");
        check(cue.end > cue.start, "the end after the start");
        check(!cue.lines.isEmpty(), "no empty cue");
        for (const QString &line : cue.lines)
            check(!line.trimmed().isEmpty(), "no blank line inside a cue");
    }
    for (const hb::SubtitleProblem &problem : read.problems)
        check(problem.lineNumber >= 1 && problem.lineNumber <= lines.size() &&
                  lines[problem.lineNumber - 1] == problem.text,
              "a problem names its line");
    const QString srt = DocToSRTConverter::renderSRT(read.cues);
    check(srt.endsWith(QLatin1Char('\n')) && !srt.endsWith(QStringLiteral("\n\n")),
          "one final line feed");
    const QStringList blocks = srt.split(QStringLiteral("\n\n"));
    if (!read.cues.isEmpty()) {
        check(blocks.size() == read.cues.size(), "one block a cue, no blank line inside one");
        for (qsizetype i = 0; i < blocks.size(); ++i)
            check(blocks[i].startsWith(QString::number(i + 1) + QLatin1Char('\n')),
                  "numbered 1, 2, 3...");
    }
    const QString vtt = DocToSRTConverter::renderWebVTT(read.cues);
    check(vtt.count(QStringLiteral("-->")) == read.cues.size(), "no arrow in WebVTT text");
    return 0;
}
