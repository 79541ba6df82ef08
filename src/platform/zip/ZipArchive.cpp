#include "platform/zip/ZipArchive.h"

#include <QFile>

#include <zip.h>

#include <sys/stat.h>

#include <limits>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// libzip's own text for one of its error codes. For codes of the "system" kind libzip adds the
// text of the current errno, so this is called right after the failing call.
QString describe(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

Error zipError(int code, const QString &description)
{
    return Error{QString::fromLatin1(kZipDomain), code, description};
}

Error zipError(int code)
{
    return zipError(code, describe(code));
}

// The error libzip keeps for the archive or for an open file.
Error zipError(zip_error_t *error)
{
    return zipError(zip_error_code_zip(error), QString::fromUtf8(zip_error_strerror(error)));
}

struct FileCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

} // namespace

ZipArchive::ZipArchive(zip_t *archive) : m_archive(archive) {}
ZipArchive::ZipArchive(ZipArchive &&other) noexcept = default;
ZipArchive &ZipArchive::operator=(ZipArchive &&other) noexcept = default;
ZipArchive::~ZipArchive() = default;

void ZipArchive::Closer::operator()(zip_t *archive) const
{
    // Opened read-only, so there is nothing to write back.
    zip_discard(archive);
}

Expected<ZipArchive> ZipArchive::open(const QString &path)
{
    int code = ZIP_ER_OK;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive)
        return zipError(code);
    return ZipArchive(archive);
}

qint64 ZipArchive::entryCount() const
{
    return qMax<qint64>(0, zip_get_num_entries(m_archive.get(), 0));
}

Expected<ZipArchive::Entry> ZipArchive::entry(qint64 index) const
{
    zip_t *archive = m_archive.get();
    if (index < 0 || index >= entryCount())
        return zipError(ZIP_ER_INVAL);
    const auto at = zip_uint64_t(index);

    const char *name = zip_get_name(archive, at, 0);
    if (!name)
        return zipError(zip_get_error(archive));
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, at, 0, &stat) != 0)
        return zipError(zip_get_error(archive));
    if (!(stat.valid & ZIP_STAT_SIZE))
        return zipError(ZIP_ER_INCONS);
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, at, 0, &system, &attributes) != 0)
        return zipError(zip_get_error(archive));

    Entry result;
    result.index = index;
    result.path = QString::fromUtf8(name);
    // Sizes past qint64 cannot be real; they only have to stay larger than any limit.
    constexpr auto kMaxSize = zip_uint64_t(std::numeric_limits<qint64>::max());
    result.size = qint64(qMin(stat.size, kMaxSize));
    result.isDirectory = result.path.endsWith(u'/');
    result.isSymbolicLink = system == ZIP_OPSYS_UNIX && ((attributes >> 16) & S_IFMT) == S_IFLNK;
    return result;
}

std::optional<qint64> ZipArchive::indexOf(const QString &path) const
{
    // libzip compares C strings, which would stop at a NUL inside `path`.
    if (path.contains(QChar(0)))
        return std::nullopt;
    const zip_int64_t index = zip_name_locate(m_archive.get(), path.toUtf8().constData(), 0);
    if (index < 0)
        return std::nullopt;
    return qint64(index);
}

Expected<Done> ZipArchive::read(qint64 index, qint64 chunkSize,
                                const std::function<bool(QByteArrayView)> &sink) const
{
    const auto described = entry(index);
    if (!described)
        return described.error();
    if (chunkSize <= 0)
        return zipError(ZIP_ER_INVAL);

    zip_t *archive = m_archive.get();
    const std::unique_ptr<zip_file_t, FileCloser> file(
        zip_fopen_index(archive, zip_uint64_t(index), 0));
    if (!file)
        return zipError(zip_get_error(archive));

    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        // libzip compares the CRC-32 only on the read that finds the end, so reading stops at
        // that empty read, never at the declared size.
        const zip_int64_t count = zip_fread(file.get(), buffer.data(), zip_uint64_t(chunkSize));
        if (count < 0)
            return zipError(zip_file_get_error(file.get()));
        if (count == 0)
            return Done{};
        total += count;
        // A deflated entry can inflate past its declared size; libzip would only notice at the
        // end, after the sink has taken it all.
        if (total > described->size)
            return zipError(ZIP_ER_INCONS, describe(ZIP_ER_INCONS) % u": \""_s % described->path %
                                               u"\" holds more than its declared "_s %
                                               QString::number(described->size) % u" bytes"_s);
        if (!sink(QByteArrayView(buffer.constData(), qsizetype(count))))
            return zipError(ZIP_ER_CANCELLED);
    }
}

Expected<QByteArray> ZipArchive::readAll(qint64 index, qint64 maxBytes) const
{
    const auto described = entry(index);
    if (!described)
        return described.error();
    // read() stops any entry at its declared size, so checking that size is enough.
    if (described->size > maxBytes)
        return zipError(ZIP_ER_CANCELLED, describe(ZIP_ER_CANCELLED) % u": \""_s % described->path %
                                              u"\" holds "_s % QString::number(described->size) %
                                              u" bytes, more than "_s % QString::number(maxBytes));
    QByteArray bytes;
    bytes.reserve(described->size);
    constexpr qint64 kChunkSize = 64 * 1024;
    const auto done = read(index, kChunkSize, [&](QByteArrayView chunk) {
        bytes.append(chunk);
        return true;
    });
    if (!done)
        return done.error();
    return bytes;
}

} // namespace hb
