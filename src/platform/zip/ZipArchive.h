#pragma once

#include "common/Expected.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

typedef struct zip zip_t;

namespace hb {

// The error domain of ZipArchive; its codes are libzip's own (ZIP_ER_INVAL, ZIP_ER_INCONS, ...).
inline constexpr char kZipDomain[] = "Zip";

// A ZIP archive opened read-only from a file, over libzip. Errors carry libzip's own
// description and its error code.
class ZipArchive {
public:
    struct Entry {
        qint64 index = 0;
        QString path;    // as stored, decoded the library's default way
        qint64 size = 0; // uncompressed, as the central directory says
        bool isDirectory = false;
        bool isSymbolicLink = false; // a Unix symbolic link (from the entry's external attributes)
    };

    static Expected<ZipArchive> open(const QString &path);

    ZipArchive(ZipArchive &&other) noexcept;
    ZipArchive &operator=(ZipArchive &&other) noexcept;
    ~ZipArchive();

    qint64 entryCount() const;
    Expected<Entry> entry(qint64 index) const;
    // The index of the entry with exactly this path.
    std::optional<qint64> indexOf(const QString &path) const;

    // Reads an entry from start to end in chunks of at most `chunkSize` bytes; the CRC-32 is
    // checked at the end. `sink` returns false to stop early, which is an error.
    Expected<Done> read(qint64 index, qint64 chunkSize,
                        const std::function<bool(QByteArrayView)> &sink) const;
    // The whole entry in memory; refused when it holds more than `maxBytes`.
    Expected<QByteArray> readAll(qint64 index, qint64 maxBytes) const;

private:
    explicit ZipArchive(zip_t *archive);

    struct Closer {
        void operator()(zip_t *archive) const;
    };
    std::unique_ptr<zip_t, Closer> m_archive;
};

} // namespace hb
