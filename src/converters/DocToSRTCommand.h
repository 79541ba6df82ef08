#pragma once

#include <QStringList>

#include <cstdio>

namespace hb {

// "huebench-convert doc2srt FILE... [-o DIR | -o -] [--force]": converts each Word transcript
// into a SubRip file beside it (or in DIR) named after it with ".srt"; with "-o -" the one file's
// subtitles go to `out`. An existing .srt is kept unless --force is given. Prints each written
// file on `out` and each failure on `err`; gives the exit status (0 when every file converted,
// 1 when one failed, 2 for a usage error).
int runDocToSRTCommand(const QStringList &arguments, std::FILE *out, std::FILE *err);

} // namespace hb
