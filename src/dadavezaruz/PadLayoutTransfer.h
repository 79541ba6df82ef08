#pragma once

#include "common/Expected.h"
#include "dadavezaruz/PadLayoutFile.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace hb {

class ModelStore;
class ShortcutPad;

// Error codes of the `PadLayoutTransfer` error domain; the store and the file checks give their
// own errors.
enum class PadLayoutTransferError {
    NoSuchPage = 1, // the page to export is not in the store
};
inline QString errorDomain(PadLayoutTransferError)
{
    return QStringLiteral("PadLayoutTransfer");
}

// Moves pad layouts between the store and layout files.
class PadLayoutTransfer {
public:
    PadLayoutTransfer() = delete;

    // Every page of the pad in its order, or only the page `onlyPage`, with its buttons in their
    // order. Refused when PadLayoutFile could not read the pages back (a stored image that is not
    // a PNG or JPEG, more pages than a file takes, ...).
    static Expected<QList<PadLayoutPage>> exportPages(const ShortcutPad &pad,
                                                      std::optional<qint64> onlyPage);

    // Adds the pages after the store's own, in one transaction: all of them or, on any failure,
    // none. A name already taken, by a page of the store or one imported before, gets the first
    // free " 2", " 3", ... after it. Existing pages are never changed. Gives the names given.
    static Expected<QStringList> importPages(ModelStore &store, const QList<PadLayoutPage> &pages);

    // The name `name` gets when the names in `taken` are in use: itself when free, otherwise
    // "name 2", "name 3", ... (the first that is free); a taken "name 2" goes on with "name 3".
    static QString freeName(const QString &name, const QStringList &taken);
};

} // namespace hb
