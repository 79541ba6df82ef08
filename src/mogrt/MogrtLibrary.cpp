#include "mogrt/MogrtLibrary.h"

#include "common/AtomicFile.h"
#include "mogrt/FusionMacro.h"
#include "mogrt/MogrtLogging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

Error libraryError(MogrtLibraryError code, const QString &description)
{
    return Error::make(code, description);
}

QString settingFileName(const QString &name)
{
    return name + u'.' + QLatin1StringView(MogrtLibrary::kExtension);
}

// The lower-cased, composed name as a sequence of scalar values.
QList<uint> sortKey(const QString &name)
{
    return name.toLower().normalized(QString::NormalizationForm_C).toUcs4();
}

// Renames the macro in a renamed file. The file already has its new name, which stays whatever
// happens here: a file that is not a macro of ours, or one that cannot be rewritten, keeps its
// text.
void renameMacroInside(const QString &path, const QString &newName)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    const auto renamed = renameFusionMacro(QString::fromUtf8(bytes), newName);
    if (!renamed) {
        qCDebug(lcTemplates).noquote() << "Renamed" << path << "as a file only: not a macro";
        return;
    }
    const QByteArray text = renamed->toUtf8();
    if (text == bytes)
        return;
    if (const auto written = writeFileAtomically(path, text); !written)
        qCDebug(lcTemplates).noquote()
            << "The macro in" << path << "keeps its name:" << written.error().description;
}

} // namespace

MogrtLibrary::MogrtLibrary() : MogrtLibrary(&MogrtLibrary::defaultFolder) {}

MogrtLibrary::MogrtLibrary(FolderProvider folder) : m_folder(std::move(folder)) {}

Expected<QString> MogrtLibrary::defaultFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return libraryError(MogrtLibraryError::FolderUnavailable,
                            QStringLiteral("There is no Documents folder."));
    QString path = documents + u'/' + QLatin1StringView(kFolderName);
    if (!QDir().mkpath(path))
        return libraryError(MogrtLibraryError::FolderUnavailable,
                            u"The folder \u201C" + QDir::toNativeSeparators(path) +
                                u"\u201D could not be created.");
    return path;
}

bool MogrtLibrary::lessThan(const QString &a, const QString &b)
{
    return sortKey(a) < sortKey(b);
}

Expected<QList<LibraryItem>> MogrtLibrary::load() const
{
    const auto path = folder();
    if (!path)
        return path.error();
    QDir dir(*path);
    if (!dir.exists() || !dir.isReadable())
        return libraryError(MogrtLibraryError::FolderUnavailable,
                            u"The folder \u201C" + QDir::toNativeSeparators(*path) +
                                u"\u201D could not be read.");
    // Each name's key is made once: a large folder would otherwise make it at every comparison.
    QList<std::pair<QList<uint>, LibraryItem>> keyed;
    // Hidden files are left out by not asking for them.
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
        if (entry.suffix().toLower() != QLatin1StringView(kExtension))
            continue;
        LibraryItem item{entry.filePath(), entry.filePath(), entry.completeBaseName()};
        keyed.append({sortKey(item.displayName), std::move(item)});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<LibraryItem> items;
    items.reserve(keyed.size());
    for (auto &entry : keyed)
        items.append(std::move(entry.second));
    return items;
}

Expected<QString> MogrtLibrary::store(const QString &name, const QString &macroText) const
{
    const auto path = folder();
    if (!path)
        return path.error();
    const QDir dir(*path);
    // A file named only ".mogrt" has no name to keep; it must not become a hidden file.
    const QString base = name.isEmpty() ? QStringLiteral("Untitled") : name;
    QString candidate = dir.filePath(settingFileName(base));
    for (int k = 2; QFileInfo::exists(candidate); ++k)
        candidate = dir.filePath(settingFileName(base + u' ' + QString::number(k)));
    if (const auto written = writeFileAtomically(candidate, macroText.toUtf8()); !written)
        return written.error();
    return candidate;
}

LibraryItem MogrtLibrary::itemAt(const QString &path)
{
    return {path, path, QFileInfo(path).completeBaseName()};
}

Expected<Done> MogrtLibrary::remove(const QString &path) const
{
    QFile file(path);
    if (!file.remove())
        return libraryError(MogrtLibraryError::FileSystem, u"\u201C" + QFileInfo(path).fileName() +
                                                               u"\u201D could not be removed: " +
                                                               file.errorString());
    return Done{};
}

Expected<QString> MogrtLibrary::moveToTrash(const QString &path) const
{
    const QString name = QFileInfo(path).fileName();
    const auto unavailable = [&name] {
        return libraryError(MogrtLibraryError::TrashUnavailable,
                            u"\u201C" + name + u"\u201D could not be moved to the trash.");
    };
    // The home trash is made only inside an existing data folder. When no trash can be made at
    // all, QFile (Qt 6.4) moves the file into "files" under the current folder instead of
    // failing: make that folder first, and take back a file that went there all the same.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome))
        return unavailable();
    QFile file(path);
    if (file.moveToTrash()) {
        const QFileInfo trashed(file.fileName());
        if (trashed.isAbsolute())
            return file.fileName(); // the path in the trash
        QFile::rename(trashed.filePath(), path);
        QFile::remove(u"info/"_s + trashed.fileName() + u".trashinfo"_s);
        QDir().rmdir(u"files"_s);
        QDir().rmdir(u"info"_s);
        return unavailable();
    }
    if (!QFileInfo::exists(path))
        return libraryError(MogrtLibraryError::FileSystem, u"\u201C" + name +
                                                               u"\u201D could not be deleted: " +
                                                               file.errorString());
    // The trash cannot be made, or is on another file system.
    return unavailable();
}

Expected<Done> MogrtLibrary::restoreFromTrash(const QString &trashedPath, const QString &path) const
{
    const QFileInfo original(path);
    if (original.exists() || original.isSymLink())
        return libraryError(MogrtLibraryError::NameTaken,
                            u"\u201C" + original.completeBaseName() +
                                u"\u201D was not restored: a template of that name exists now. It "
                                u"is still in the trash.");
    QFile file(trashedPath);
    if (!file.rename(path))
        return libraryError(MogrtLibraryError::FileSystem, u"\u201C" + original.completeBaseName() +
                                                               u"\u201D could not be restored: " +
                                                               file.errorString());
    // "<trash>/files/<name>" is described by "<trash>/info/<name>.trashinfo".
    const QFileInfo trashed(trashedPath);
    QFile::remove(QDir::cleanPath(trashed.absolutePath() + u"/../info/"_s + trashed.fileName() +
                                  u".trashinfo"_s));
    return Done{};
}

Expected<QString> MogrtLibrary::rename(const QString &path, const QString &newName) const
{
    const QString name = newName.trimmed();
    if (name.isEmpty())
        return libraryError(MogrtLibraryError::InvalidName,
                            QStringLiteral("A name cannot be empty."));
    if (name.contains(u'/') || name.startsWith(u'.'))
        return libraryError(MogrtLibraryError::InvalidName,
                            u"\u201C" + name + u"\u201D cannot be used as a name.");
    const QFileInfo current(path);
    QString target = current.dir().filePath(settingFileName(name));
    if (target == current.filePath())
        return target;
    // A name differing only in case is another file on this file system, but a taken one is not
    // replaced.
    if (QFileInfo::exists(target))
        return libraryError(MogrtLibraryError::NameTaken,
                            u"\u201C" + name + u"\u201D already exists.");
    QFile file(path);
    if (!file.rename(target))
        return libraryError(MogrtLibraryError::FileSystem, u"\u201C" + current.completeBaseName() +
                                                               u"\u201D could not be renamed: " +
                                                               file.errorString());
    renameMacroInside(target, name);
    return target;
}

QString MogrtLibrary::fusionTitlesFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           u"/DaVinciResolve/Fusion/Templates/Edit/Titles"_s;
}

Expected<QString> MogrtLibrary::installIntoFusion(const QString &path, bool replace) const
{
    const QString folder = fusionTitlesFolder();
    if (!QFileInfo(folder).isDir())
        return libraryError(MogrtLibraryError::FusionMissing,
                            u"Fusion\u2019s folder for titles \u201C"_s +
                                QDir::toNativeSeparators(folder) +
                                u"\u201D does not exist. Open Fusion (or the Fusion page) once, "
                                u"then try again."_s);
    const QFileInfo source(path);
    QString target = QDir(folder).filePath(source.fileName());
    if (!replace && (QFileInfo::exists(target) || QFileInfo(target).isSymLink()))
        return libraryError(MogrtLibraryError::NameTaken,
                            u"\u201C"_s + source.fileName() + u"\u201D is already in Fusion."_s);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return libraryError(MogrtLibraryError::FileSystem, u"\u201C"_s + source.completeBaseName() +
                                                               u"\u201D could not be read: "_s +
                                                               file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return libraryError(MogrtLibraryError::FileSystem, u"\u201C"_s + source.completeBaseName() +
                                                               u"\u201D could not be read: "_s +
                                                               file.errorString());
    if (const auto written = writeFileAtomically(target, bytes); !written)
        return written.error();
    return target;
}

} // namespace hb
