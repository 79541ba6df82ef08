#include "mogrt/MogrtConverter.h"

#include "common/TextHelpers.h"
#include "mogrt/FusionMacro.h"
#include "mogrt/MogrtDefinition.h"
#include "mogrt/MogrtLogging.h"
#include "platform/zip/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <optional>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

using Code = MogrtConverterError;

constexpr qint64 kChunkSize = 16384;
const QString kDefinitionFile = u"definition.json"_s;

Error converterError(Code code, const QString &description)
{
    return Error::make(code, description);
}

// An entry's path quoted in a description, cut short so that a crafted name cannot flood the
// screen.
QString quoted(const QString &path)
{
    constexpr qsizetype kMaxShown = 80;
    if (path.size() <= kMaxShown)
        return u'"' + path + u'"';
    return u'"' + path.first(kMaxShown) + u"\"..."_s;
}

// Whether any component is "..", taking a backslash as a separator too: archives made on
// Windows may use it, and the entry must not climb out wherever it is unpacked.
bool climbsOut(const QString &path)
{
    for (const QStringView part : QStringView(path).tokenize(u'/')) {
        for (const QStringView piece : part.tokenize(u'\\')) {
            if (piece == u"..")
                return true;
        }
    }
    return false;
}

bool isInside(const QString &canonicalPath, const QString &canonicalRoot)
{
    return canonicalPath == canonicalRoot || canonicalPath.startsWith(canonicalRoot + u'/');
}

// The canonical path of `path`, or of the nearest folder above it that exists.
QString canonicalExisting(const QString &path)
{
    QFileInfo info(path);
    while (!info.exists() && !info.isRoot())
        info = QFileInfo(info.absolutePath());
    return info.canonicalFilePath();
}

// Refuses, before anything is written, entries that would land outside the folder and
// archives past the limits.
Expected<QList<ZipArchive::Entry>> checkedEntries(const ZipArchive &zip,
                                                  const ArchiveLimits &limits)
{
    const qint64 count = zip.entryCount();
    if (count > limits.maxEntries)
        return converterError(Code::ArchiveTooLarge, u"The archive is too large: it has "_s %
                                                         QString::number(count) %
                                                         u" entries, more than "_s %
                                                         QString::number(limits.maxEntries) % u'.');
    QList<ZipArchive::Entry> entries;
    entries.reserve(count);
    qint64 declaredTotal = 0;
    for (qint64 index = 0; index < count; ++index) {
        auto entry = zip.entry(index);
        if (!entry)
            return converterError(Code::ExtractFailed, u"Could not read archive entry "_s %
                                                           QString::number(index) % u": "_s %
                                                           entry.error().description);
        const QString &path = entry->path;
        if (path.isEmpty())
            return converterError(Code::UnsafeEntry, u"The archive entry "_s %
                                                         QString::number(index) %
                                                         u" has no path."_s);
        if (path.startsWith(u'/') || climbsOut(path))
            return converterError(Code::UnsafeEntry,
                                  u"The archive entry "_s % quoted(path) %
                                      u" would be written outside the template's folder."_s);
        if (entry->isSymbolicLink)
            return converterError(Code::UnsafeEntry, u"The archive entry "_s % quoted(path) %
                                                         u" is a symbolic link."_s);
        // Added without overflow: a declared size may be anything up to the largest qint64.
        if (entry->size > limits.maxTotalBytes - declaredTotal)
            return converterError(Code::ArchiveTooLarge,
                                  u"The archive is too large: its entries hold more than "_s %
                                      QString::number(limits.maxTotalBytes) % u" bytes."_s);
        declaredTotal += entry->size;
        entries.append(std::move(*entry));
    }
    return entries;
}

// Writes one file entry; `written` counts the bytes unpacked so far, against the limit (the
// sizes checked before are only what the archive claims).
Expected<Done> writeEntry(const ZipArchive &zip, const ZipArchive::Entry &entry,
                          const QString &destination, const ArchiveLimits &limits, qint64 &written)
{
    const auto failed = [&](const QString &reason) {
        return converterError(Code::ExtractFailed,
                              u"Could not extract "_s % quoted(entry.path) % u": "_s % reason);
    };
    QFile file(destination);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return failed(file.errorString());

    std::optional<Error> stoppedBy;
    const auto read = zip.read(entry.index, kChunkSize, [&](QByteArrayView chunk) {
        if (chunk.size() > limits.maxTotalBytes - written) {
            stoppedBy = converterError(Code::ArchiveTooLarge,
                                       u"The archive is too large: it unpacks to more than "_s %
                                           QString::number(limits.maxTotalBytes) % u" bytes."_s);
            return false;
        }
        if (file.write(chunk.data(), chunk.size()) != chunk.size()) {
            stoppedBy = failed(file.errorString());
            return false;
        }
        written += chunk.size();
        return true;
    });
    if (stoppedBy)
        return *stoppedBy;
    if (!read)
        return failed(read.error().description);
    file.close();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    return Done{};
}

QString lastExtensionRemoved(const QString &fileName)
{
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? fileName.first(dot) : fileName;
}

} // namespace

Expected<Done> extractArchive(const QString &archive, const QString &destinationFolder,
                              const ArchiveLimits &limits)
{
    const auto zip = ZipArchive::open(archive);
    if (!zip)
        return converterError(Code::CannotOpenArchive,
                              u"Could not open archive: "_s % zip.error().description);
    const auto entries = checkedEntries(*zip, limits);
    if (!entries)
        return entries.error();

    if (!QDir().mkpath(destinationFolder))
        return converterError(Code::FileSystem, u"The folder "_s % quoted(destinationFolder) %
                                                    u" could not be created."_s);
    const QString root = QFileInfo(destinationFolder).canonicalFilePath();
    qint64 written = 0;
    for (const ZipArchive::Entry &entry : *entries) {
        const QString destination = destinationFolder % u'/' % entry.path;
        const QString folder =
            entry.isDirectory ? destination : QFileInfo(destination).absolutePath();
        // The paths were checked above; this also catches links already in the folder, before
        // and after its folders are made.
        const auto outside = [&] {
            return converterError(Code::UnsafeEntry,
                                  u"The archive entry "_s % quoted(entry.path) %
                                      u" would be written outside the template's folder."_s);
        };
        if (!isInside(canonicalExisting(folder), root))
            return outside();
        if (!QDir().mkpath(folder))
            return converterError(Code::FileSystem, u"The folder for the archive entry "_s %
                                                        quoted(entry.path) %
                                                        u" could not be created."_s);
        if (!isInside(QFileInfo(folder).canonicalFilePath(), root) ||
            QFileInfo(destination).isSymLink())
            return outside();
        if (entry.isDirectory)
            continue;
        if (const auto done = writeEntry(*zip, entry, destination, limits, written); !done)
            return done.error();
    }
    return Done{};
}

Expected<QString> convertMogrt(const QString &mogrtFile, const ArchiveLimits &limits,
                               MogrtConversionNotes *notes)
{
    const QString folder = QDir::tempPath() % u'/' % newUuidText();
    if (!QDir().mkpath(folder))
        return converterError(Code::FileSystem, u"The temporary folder "_s % quoted(folder) %
                                                    u" could not be created."_s);
    const auto removeFolder = qScopeGuard([&] { QDir(folder).removeRecursively(); });

    if (const auto extracted = extractArchive(mogrtFile, folder, limits); !extracted)
        return extracted.error();

    const QString definitionPath = folder % u'/' % kDefinitionFile;
    if (!QFileInfo(definitionPath).isFile())
        return converterError(Code::FileSystem,
                              u"The template has no \""_s % kDefinitionFile % u"\"."_s);
    QFile definitionFile(definitionPath);
    if (!definitionFile.open(QIODevice::ReadOnly))
        return converterError(Code::FileSystem, u"The template's \""_s % kDefinitionFile %
                                                    u"\" could not be read: "_s %
                                                    definitionFile.errorString());
    const QByteArray json = definitionFile.readAll();
    if (definitionFile.error() != QFileDevice::NoError)
        return converterError(Code::FileSystem, u"The template's \""_s % kDefinitionFile %
                                                    u"\" could not be read: "_s %
                                                    definitionFile.errorString());

    const auto definition = MogrtDefinition::decode(json);
    if (!definition)
        return definition.error();
    const QList<MogrtControl> controls = definition->clientControls.value_or(QList<MogrtControl>{});
    const QString name = lastExtensionRemoved(QFileInfo(mogrtFile).fileName());
    qCDebug(lcTemplates).noquote()
        << "Converting" << name << "with" << controls.size() << "control(s)";
    if (notes)
        *notes = {recognisedControlCount(controls), definition->templateName};
    return definition->frameSize ? makeFusionMacro(name, controls, *definition->frameSize)
                                 : makeFusionMacro(name, controls);
}

} // namespace hb
