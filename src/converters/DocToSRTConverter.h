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

// Turns the plain text of a timed transcript into SubRip text.
class DocToSRTConverter {
public:
    DocToSRTConverter() = delete;

    // The characters of a preview, after which the text is cut and marked with "…".
    static constexpr qsizetype kPreviewLength = 6000;

    static QStringList splitLines(const QString &text);
    static std::optional<QString> normaliseTimestamp(const QString &text);
    static std::optional<SRTTiming> parseTimingLine(const QString &line);
    static QList<SRTCue> buildCues(const QStringList &lines);
    static QString renderSRT(const QList<SRTCue> &cues);

    // splitLines, buildCues and renderSRT in one go.
    static QString convert(const QString &text);
    // The text as the preview shows it.
    static QString preview(const QString &text);
};

} // namespace hb
