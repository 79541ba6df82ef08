#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace hb {

// The exit status of "huebench-convert doc2srt" when a document held no timing lines and so
// gave no subtitles (0: all converted, 1: a file failed, 2: a usage error; 1 wins over this).
inline constexpr int kDocToSRTNoTimingLines = 3;

// "huebench-convert doc2srt FILE... [-o DIR | -o -] [--force] [--fps N] [--format srt|vtt]":
// converts each Word transcript into a SubRip file (WebVTT with --format vtt) beside it (or in
// DIR) named after it with ".srt" (".vtt"); with "-o -" the one file's subtitles go to `out`, and
// a FILE of "-" is read from standard input with its subtitles going to `out`. --fps is the frame
// rate of HH:MM:SS:FF stamps. An existing file is kept unless --force is given. Prints each
// written file on `out`, and each failure and each timing line that gave no cue
// ("FILE:LINE: reason: line") on `err`; gives the exit status (0 when every file converted, 1 when
// one failed, 2 for a usage error, kDocToSRTNoTimingLines when a document gave no cue).
int runDocToSRTCommand(const QStringList &arguments, std::FILE *out, std::FILE *err);

// What "huebench-convert doc2srt --help" prints.
QString docToSRTCommandHelp();

} // namespace hb
