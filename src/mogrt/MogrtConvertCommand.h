#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace hb {

class MogrtLibrary;

// "huebench-convert mogrt FILE... [-o DIR | -o -]": converts each template into a Fusion macro,
// into DIR or, without -o, into the library folder, numbering names that are taken; with "-o -"
// the one template's macro goes to `out`. A FILE of "-" is read from standard input and named
// "Template". Prints each written file on `out`, each failure on `err`, and a warning on `err`
// when the macro uses none of the template's controls; gives the exit status (0 when every file
// converted, 1 when one failed, 2 for a usage error).
int runMogrtConvertCommand(const QStringList &arguments, const MogrtLibrary &defaultLibrary,
                           std::FILE *out, std::FILE *err);

// What "huebench-convert mogrt --help" prints.
QString mogrtConvertCommandHelp();

} // namespace hb
