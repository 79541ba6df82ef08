#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QUndoCommand>

#include <functional>

namespace hb {

// Deletes a page with its buttons, or one button, and puts the records back on undo exactly as
// they were (ids, page order, cells, images). Each redo reads the records again first, so an
// undo after a redo brings back what the redo took. A failure goes to `failed`: a delete or
// restore that cannot be done makes the command obsolete, so the history drops it.
class PadDeleteCommand : public QUndoCommand {
public:
    using Failed = std::function<void(const Error &)>;
    // The page to show after an undo: the restored page, or the page of the restored button.
    using Restored = std::function<void(qint64 page)>;

    // `snapshot` is the page or button as it is before the first redo.
    PadDeleteCommand(ShortcutPad &pad, ShortcutPadSnapshot snapshot, Failed failed,
                     Restored restored);

    static QString deletedText(const QString &name);

    void redo() override;
    void undo() override;

private:
    bool isPage() const { return m_snapshot.page.has_value(); }
    qint64 pageId() const;
    void fail(const Error &error);

    ShortcutPad &m_pad;
    ShortcutPadSnapshot m_snapshot;
    Failed m_failed;
    Restored m_restored;
};

} // namespace hb
