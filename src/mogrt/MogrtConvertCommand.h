#pragma once

#include <QStringList>

#include <cstdio>

namespace hb {

class MogrtLibrary;

// "huebench-convert mogrt FILE... [-o DIR]": converts each template into a Fusion macro, into
// DIR or, without -o, into the library folder, numbering names that are taken. Prints each
// written file on `out` and each failure on `err`; gives the exit status (0 when every file
// converted, 1 when one failed, 2 for a usage error).
int runMogrtConvertCommand(const QStringList &arguments, const MogrtLibrary &defaultLibrary,
                           std::FILE *out, std::FILE *err);

} // namespace hb
