#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace hb {

// One subtitle: start and end as HH:MM:SS,mmm and its text lines.
struct SRTCue {
    QString start;
    QString end;
    QStringList lines;
    friend bool operator==(const SRTCue &, const SRTCue &) = default;
};

// A timing line taken apart: its two stamps, normalised, and the text around them.
struct SRTTiming {
    QString start;
    QString end;
    QString rest;
    friend bool operator==(const SRTTiming &, const SRTTiming &) = default;
};

// How a transcript is read: the frame rate that HH:MM:SS:FF stamps count their frames in.
struct SubtitleOptions {
    double framesPerSecond = 24.0;
    friend bool operator==(const SubtitleOptions &, const SubtitleOptions &) = default;
};

// A timing line whose cue was left out of the subtitles, and why.
struct SubtitleProblem {
    qsizetype lineNumber = 0; // counted from 1 in the extracted text
    QString text;             // the line as it stands
    QString reason;           // a sentence, e.g. "The end is not after the start."
    friend bool operator==(const SubtitleProblem &, const SubtitleProblem &) = default;
};

// The cues of a transcript and the timing lines that gave none.
struct SubtitleCues {
    QList<SRTCue> cues;
    QList<SubtitleProblem> problems;
};

enum class SubtitleFormat { SubRip, WebVTT };

// The reading-speed rules subtitle editors check against.
struct ReadingSpeedLimits {
    double maxCharactersPerSecond = 17.0;
    qsizetype maxLines = 2;
    qsizetype maxLineLength = 42;
};

// A cue that breaks a reading-speed rule. The subtitles themselves are never changed for it.
struct ReadingSpeedWarning {
    qsizetype cue = 0; // index into the cue list
    double charactersPerSecond = 0;
    bool tooFast = false;
    bool tooManyLines = false;
    bool lineTooLong = false;
};

// Turns the plain text of a timed transcript into SubRip or WebVTT text.
class DocToSRTConverter {
public:
    DocToSRTConverter() = delete;

    // The characters of a preview, after which the text is cut and marked with "…".
    static constexpr qsizetype kPreviewLength = 6000;
    // The frame rates the screen offers for HH:MM:SS:FF stamps.
    static QList<double> commonFrameRates(); // 23.976, 24, 25, 29.97

    static QStringList splitLines(const QString &text);
    static std::optional<QString> normaliseTimestamp(const QString &text);
    static std::optional<SRTTiming> parseTimingLine(const QString &line,
                                                    const SubtitleOptions &options = {});
    static SubtitleCues readCues(const QStringList &lines, const SubtitleOptions &options = {});
    static QList<SRTCue> buildCues(const QStringList &lines, const SubtitleOptions &options = {});
    static QString renderSRT(const QList<SRTCue> &cues);
    static QString renderWebVTT(const QList<SRTCue> &cues);
    static QString render(const QList<SRTCue> &cues, SubtitleFormat format);
    static QList<ReadingSpeedWarning> checkReadingSpeed(const QList<SRTCue> &cues,
                                                        const ReadingSpeedLimits &limits = {});

    // splitLines, buildCues and renderSRT in one go.
    static QString convert(const QString &text, const SubtitleOptions &options = {});
    // The text as the preview shows it.
    static QString preview(const QString &text);
};

} // namespace hb
