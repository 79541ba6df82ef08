#pragma once

#include "common/Expected.h"
#include "mogrt/MogrtConverter.h"

#include <QString>

namespace hb {

class MogrtLibrary;

// A private copy of a picked file: "<temp>/<UUID>/<file name>". The caller removes the folder.
Expected<QString> copyToTemporary(const QString &path);

// Imports one template into the library: copies it, converts the copy, and stores the macro
// under the file's name (numbered when taken). The temporary copy is removed whatever happens.
// Gives the stored file's path; `notes`, when given, receives what the conversion found.
Expected<QString> importMogrt(const QString &path, const MogrtLibrary &library,
                              const ArchiveLimits &limits = {},
                              MogrtConversionNotes *notes = nullptr);

} // namespace hb
