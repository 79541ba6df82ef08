#include "converters/FountainTranscriptReader.h"

#include "converters/FountainText.h"

#include <utility>

namespace hb {
namespace {

qsizetype wordCount(QStringView s)
{
    return s.split(u' ', Qt::SkipEmptyParts).size();
}

} // namespace

FountainReading FountainTranscriptReader::read(const QStringList &lines)
{
    using Kind = FountainTranscriptLine::Kind;
    const QList<FountainTranscriptLine> parsed = classify(lines);
    bool passageStart = true;
    for (qsizetype i = 0; i < parsed.size(); ++i) {
        const FountainTranscriptLine &line = parsed[i];
        switch (line.kind) {
        case Kind::Blank:
            if (!awaitingSpeech())
                close();
            passageStart = true;
            continue;
        case Kind::Timecode:
            m_pendingClock = line.timecode;
            passageStart = true;
            continue;
        case Kind::Speaker:
            if (line.colon) {
                startDialogue(line, lines[i]);
                passageStart = false;
                continue;
            }
            if (passageStart && i + 1 < parsed.size() && startsDialogueAlone(line) &&
                (parsed[i + 1].kind == Kind::Text ||
                 (parsed[i + 1].kind == Kind::Speaker && !parsed[i + 1].colon))) {
                startDialogue(line, lines[i]);
                passageStart = false;
                continue;
            }
            addText({}, lines[i], {});
            break;
        case Kind::Text:
            addText(line.text, lines[i], line.timecode);
            break;
        }
        passageStart = false;
    }
    close();
    return std::move(m_reading);
}

QList<FountainTranscriptLine> FountainTranscriptReader::classify(const QStringList &lines)
{
    QList<FountainTranscriptLine> parsed;
    parsed.reserve(lines.size());
    for (const QString &line : lines) {
        parsed.append(FountainTranscriptLine::read(line));
        if (parsed.back().kind == FountainTranscriptLine::Kind::Speaker && !parsed.back().colon)
            ++m_standaloneNames[parsed.back().name.toUpper()];
    }
    return parsed;
}

bool FountainTranscriptReader::startsDialogueAlone(const FountainTranscriptLine &line) const
{
    return !line.timecode.isEmpty() || FountainText::isCapitals(line.name) ||
           m_standaloneNames.value(line.name.toUpper()) > 1 ||
           (m_lenient && wordCount(line.name) > 1);
}

void FountainTranscriptReader::close()
{
    if (awaitingSpeech()) {
        // A "NAME:" line that nothing followed stays as it was written.
        FountainReading::Element action;
        action.lines.append(m_current.speakerLine.trimmed());
        action.sourceLines = m_current.sourceLines;
        m_current = action;
    }
    if (m_current.lines.isEmpty())
        return;
    if (m_current.isDialogue()) {
        m_reading.speechLines += m_current.sourceLines;
        ++m_reading.turns;
    } else {
        m_reading.actionLines += m_current.sourceLines;
    }
    m_reading.elements.append(std::exchange(m_current, {}));
}

void FountainTranscriptReader::startDialogue(const FountainTranscriptLine &line,
                                             const QString &written)
{
    close();
    const QString pending = std::exchange(m_pendingClock, {});
    m_current.cue = line.name.toUpper();
    m_current.timecode = line.timecode.isEmpty() ? pending : line.timecode;
    m_current.speakerLine = written;
    m_current.sourceLines = 1;
    if (!line.text.isEmpty())
        addSpeech(line.text, {});
}

void FountainTranscriptReader::addSpeech(const QString &text, const QString &clock)
{
    const QString timecode = !clock.isEmpty()            ? clock
                             : m_current.lines.isEmpty() ? m_current.timecode
                                                         : QString();
    if (m_includeTimecodes && !timecode.isEmpty())
        m_current.lines.append(FountainText::note(timecode));
    m_current.lines.append(text);
}

void FountainTranscriptReader::addText(const QString &text, const QString &written,
                                       const QString &clock)
{
    const QString timecode = clock.isEmpty() ? std::exchange(m_pendingClock, {}) : clock;
    m_pendingClock.clear();
    if (m_current.isDialogue()) {
        addSpeech((text.isEmpty() ? written : text).trimmed(), timecode);
    } else {
        const QString line = text.isEmpty() ? written : text;
        m_current.lines.append(m_includeTimecodes && !timecode.isEmpty()
                                   ? FountainText::note(timecode) + u' ' + line.trimmed()
                                   : line);
    }
    ++m_current.sourceLines;
}

} // namespace hb
