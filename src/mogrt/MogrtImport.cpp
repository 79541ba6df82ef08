#include "mogrt/MogrtImport.h"

#include "common/TextHelpers.h"
#include "mogrt/MogrtLibrary.h"
#include "mogrt/MogrtLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace hb {
namespace {

Error fileError(const QString &description)
{
    return Error::make(MogrtConverterError::FileSystem, description);
}

} // namespace

Expected<QString> copyToTemporary(const QString &path)
{
    const QString folder = QDir::temp().filePath(newUuidText());
    if (!QDir().mkpath(folder))
        return fileError(u"The folder \u201C" + folder + u"\u201D could not be created.");
    QString copy = QDir(folder).filePath(QFileInfo(path).fileName());
    QFile source(path);
    if (!source.copy(copy)) {
        const QString reason = source.errorString();
        QDir(folder).removeRecursively();
        return fileError(u"\u201C" + QFileInfo(path).fileName() + u"\u201D could not be copied: " +
                         reason);
    }
    return copy;
}

Expected<QString> importMogrt(const QString &path, const MogrtLibrary &library,
                              const ArchiveLimits &limits, MogrtConversionNotes *notes)
{
    const auto copy = copyToTemporary(path);
    if (!copy)
        return copy.error();
    const auto removeCopy = qScopeGuard([&] { QFileInfo(*copy).dir().removeRecursively(); });
    const auto text = convertMogrt(*copy, limits, notes);
    if (!text) {
        qCDebug(lcTemplates).noquote()
            << "Not converted" << path << "-" << text.error().description;
        return text.error();
    }
    auto stored = library.store(QFileInfo(*copy).completeBaseName(), *text);
    if (stored)
        qCDebug(lcTemplates).noquote() << "Imported" << path << "as" << *stored;
    else
        qCDebug(lcTemplates).noquote() << "Not stored" << path << "-" << stored.error().description;
    return stored;
}

} // namespace hb
