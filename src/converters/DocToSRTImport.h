#pragma once

#include "common/Expected.h"

#include <QString>

namespace hb {

// A Word transcript turned into subtitles, as the screen and the command line show it.
struct DocToSRTResult {
    QString fileName; // the document's last path component
    QString preview;  // the extracted text, cut for display
    QString srt;
    qsizetype cueCount = 0;
};

// Reads a .docx or .doc file, takes its plain text and converts it. Safe to run on any thread.
class DocToSRTImport {
public:
    DocToSRTImport() = delete;

    // Files larger than this are refused before they are read.
    static constexpr qint64 kMaxFileBytes = 1024LL * 1024 * 1024;

    static Expected<DocToSRTResult> importFile(const QString &path);
};

} // namespace hb
