#pragma once

#include "common/Expected.h"

#include <QList>
#include <QString>

#include <functional>

namespace hb {

// One converted template in the library folder.
struct LibraryItem {
    QString id;          // the file's path, as is fileURL
    QString fileURL;     // the .setting file
    QString displayName; // the file name without its extension

    friend bool operator==(const LibraryItem &, const LibraryItem &) = default;
};

// Error codes of the `MogrtLibrary` error domain (writing a file gives the file's own error).
enum class MogrtLibraryError {
    FolderUnavailable = 1, // the folder is missing, or cannot be made or read
    InvalidName = 2,       // empty, or not usable as a file name
    NameTaken = 3,         // another template has that name
    FileSystem = 4,        // a file could not be removed or renamed
    TrashUnavailable = 5,  // there is no desktop trash for the file: it stays where it is
    FusionMissing = 6,     // Fusion's folder for title templates does not exist
};
inline QString errorDomain(MogrtLibraryError)
{
    return QStringLiteral("MogrtLibrary");
}

// The library of converted templates: nothing but the ".setting" files of one folder, by
// default "MogrtToFusion" in the user's Documents folder.
class MogrtLibrary {
public:
    static constexpr char kFolderName[] = "MogrtToFusion";
    static constexpr char kExtension[] = "setting";

    // The folder is asked for on every access (and made when missing), so a folder removed
    // behind the app's back comes back.
    using FolderProvider = std::function<Expected<QString>()>;

    MogrtLibrary(); // the user's Documents folder
    explicit MogrtLibrary(FolderProvider folder);

    // "<Documents>/MogrtToFusion", made with its parents when missing.
    static Expected<QString> defaultFolder();

    Expected<QString> folder() const { return m_folder(); }

    // The folder's visible ".setting" files (extension compared without case), by display name
    // lower-cased and in canonical composition, compared by Unicode scalar values.
    Expected<QList<LibraryItem>> load() const;

    // Writes the macro as "<name>.setting", or "<name> 2.setting", "<name> 3.setting", … when
    // taken; UTF-8 without a byte-order mark, atomically. Gives the file's path.
    Expected<QString> store(const QString &name, const QString &macroText) const;

    // The item of a file of the library.
    static LibraryItem itemAt(const QString &path);

    // Removes the file for good.
    Expected<Done> remove(const QString &path) const;

    // Moves the file to the desktop trash (the freedesktop one: "<trash>/files" and a
    // ".trashinfo" in "<trash>/info"). Gives the file's path in the trash.
    Expected<QString> moveToTrash(const QString &path) const;
    // Moves a file that `moveToTrash` put in the trash back to its path and removes its trash
    // information; refuses with NameTaken, leaving the trash as it is, when the path is taken.
    Expected<Done> restoreFromTrash(const QString &trashedPath, const QString &path) const;

    // Gives the file a new display name in the same folder; refuses a blank name, one with "/"
    // or one that is taken. The macro inside is renamed too (the file rewritten atomically once it
    // has its new name); a file whose text is not a macro of ours keeps its text. Gives the new
    // path.
    Expected<QString> rename(const QString &path, const QString &newName) const;

    // Where Fusion, and the Fusion page of the editing app, look for title macros:
    // "Fusion/Templates/Edit/Titles" in the editing app's folder of the user's data folder
    // ("~/.local/share/DaVinciResolve/Fusion/Templates/Edit/Titles", following XDG_DATA_HOME).
    static QString fusionTitlesFolder();

    // Copies the file into fusionTitlesFolder() under its own file name, atomically. Refuses
    // with FusionMissing when that folder does not exist (it is never made here: its absence
    // means Fusion is not set up for this user), and with NameTaken when a file of that name is
    // there unless `replace` is true. Gives the installed file's path.
    Expected<QString> installIntoFusion(const QString &path, bool replace = false) const;

    // Whether the two display names are in library order.
    static bool lessThan(const QString &a, const QString &b);

private:
    FolderProvider m_folder;
};

} // namespace hb
