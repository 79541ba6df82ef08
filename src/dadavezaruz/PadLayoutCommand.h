#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>

namespace hb {

// "huebench-convert pad-export -o FILE [--page NAME]": writes every page of the pad in the
// user's store (or the first page named NAME) into a pad layout file, replacing FILE whole.
// Prints "Exported N pages to FILE" on `out`, failures on `err`; gives the exit status (0 done,
// 1 failed, 2 usage error).
int runPadExportCommand(const QStringList &arguments, std::FILE *out, std::FILE *err);

// "huebench-convert pad-import FILE": adds the pages of a pad layout file after the pages in the
// user's store, all or none, renaming those whose name is taken. Prints "Imported N pages: A, B"
// on `out`, failures on `err`; gives the exit status (0 done, 1 failed, 2 usage error).
int runPadImportCommand(const QStringList &arguments, std::FILE *out, std::FILE *err);

// What "huebench-convert pad-export --help" and "pad-import --help" print.
QString padExportCommandHelp();
QString padImportCommandHelp();

} // namespace hb
