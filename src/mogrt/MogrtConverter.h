#pragma once

#include "common/Expected.h"

#include <QString>

#include <optional>

namespace hb {

// Error codes of the converter's own failures, domain `MogrtFusionConverter` (file-system and
// JSON errors keep theirs).
enum class MogrtConverterError {
    CannotOpenArchive = 1, // not a ZIP archive, or unreadable
    UnsafeEntry,           // a path outside the folder, or a symbolic link
    ArchiveTooLarge,       // too many entries, or too many bytes once unpacked
    ExtractFailed,         // an entry could not be read or written (a CRC mismatch, a full disk)
    FileSystem,            // a folder or file could not be made or read
};
inline QString errorDomain(MogrtConverterError)
{
    return QStringLiteral("MogrtFusionConverter");
}

// Limits on what an archive may unpack to; checked before anything is written.
struct ArchiveLimits {
    qint64 maxTotalBytes = qint64(1) << 30; // 1 GiB
    qint64 maxEntries = 10'000;
};

// Unpacks every entry of the archive below `destinationFolder`, in central-directory order,
// reading 16384 bytes at a time and checking each entry's CRC-32. Entries whose path is absolute
// or climbs out with "..", symbolic links, and archives past the limits are refused before any
// entry is written.
Expected<Done> extractArchive(const QString &archive, const QString &destinationFolder,
                              const ArchiveLimits &limits = {});

// What a conversion found out about the template besides its macro.
struct MogrtConversionNotes {
    qsizetype recognisedControls = 0;    // how many of its controls the macro knows
    std::optional<QString> templateName; // the name its definition gives itself
};

// Shown, by the library screen and the command line, for a template none of whose controls the
// macro knows.
inline QString noKnownControlsText()
{
    return QStringLiteral("No known controls found; the macro uses defaults");
}

// Unpacks the template into a fresh folder in the temporary folder, reads its
// "definition.json", and returns the Fusion macro for its controls and frame size (1920 x 1080
// when the definition gives none), named after the file (without its last extension). The
// folder is removed whatever happens. `notes`, when given, receives what else was found.
Expected<QString> convertMogrt(const QString &mogrtFile, const ArchiveLimits &limits = {},
                               MogrtConversionNotes *notes = nullptr);

} // namespace hb
