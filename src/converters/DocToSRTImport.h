#pragma once

#include "common/Expected.h"
#include "converters/DocToSRTConverter.h"

#include <QString>

#include <atomic>

namespace hb {

// A Word transcript turned into subtitles, as the screen and the command line show it.
struct DocToSRTResult {
    QString fileName; // the document's last path component
    QString text;     // the whole extracted text, so that it can be converted again
    QString preview;  // the extracted text, cut for display
    SubtitleCues cues;
    QString srt;
    qsizetype cueCount = 0;
};

// Reads a .docx or .doc file, takes its plain text and converts it. Safe to run on any thread;
// `cancelled`, when given, stops the read soon after it turns true (a Cancelled error).
class DocToSRTImport {
public:
    DocToSRTImport() = delete;

    // Files larger than this are refused before they are read.
    static constexpr qint64 kMaxFileBytes = 1024LL * 1024 * 1024;

    static Expected<DocToSRTResult> importFile(const QString &path,
                                               const SubtitleOptions &options = {},
                                               const std::atomic_bool *cancelled = nullptr);
    // The same for a document already in memory (standard input); named `fileName`.
    static Expected<DocToSRTResult> importBytes(const QByteArray &bytes, const QString &fileName,
                                                const SubtitleOptions &options = {},
                                                const std::atomic_bool *cancelled = nullptr);
};

} // namespace hb
