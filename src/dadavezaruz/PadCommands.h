#pragma once

#include "common/Error.h"
#include "dadavezaruz/ShortcutGrid.h"
#include "dadavezaruz/ShortcutPad.h"

#include <functional>
#include <optional>

namespace hb {

class ModelStore;
class ScreenUndo;

// The pad's undoable changes to its pages and buttons: deleting, copying and moving them. Each
// goes into the screen's undo history as one step; each redo reads the records again, and each
// undo puts back exactly what the step changed (ids, page order, cells, images).
class PadCommands {
public:
    struct Hooks {
        // Why a change, its undo or its redo failed; an empty text when it went through.
        std::function<void(const QString &)> showError;
        // Makes a page the current one, with the focus on a cell when one is given.
        std::function<void(qint64 page, std::optional<ShortcutGridCell> cell)> show;
    };

    PadCommands(ModelStore &store, ShortcutPad &pad, ScreenUndo &undo, Hooks hooks);

    // Each gives whether the step was taken; lastError() says why not.
    bool deletePage(qint64 pageId);
    bool deleteButton(qint64 buttonId);
    // A button's copy goes to the next free cell after it on its own page, the first free cell
    // on another page; a page's copy goes after the others and is shown.
    bool duplicateButton(qint64 buttonId);
    bool copyButtonToPage(qint64 buttonId, qint64 pageId);
    bool duplicatePage(qint64 pageId);
    // The page goes to `newIndex` among the pages; the button goes into the cell, and a button
    // already there takes the place it left. Nothing to do is no step, and not a failure.
    bool movePage(qint64 pageId, int newIndex);
    bool moveButton(qint64 buttonId, qint64 pageId, int row, int col);

    // The last failure of a step, its undo or its redo; an empty error after a step was taken.
    const Error &lastError() const { return m_lastError; }

private:
    bool push(const Expected<ShortcutPadSnapshot> &deleted);
    // `make` makes the copy and gives it as a delete would take it; undo shows `shownAfterUndo`.
    bool pushCopy(const QString &text, std::function<Expected<ShortcutPadSnapshot>()> make,
                  qint64 shownAfterUndo);
    bool push(const QString &text, std::function<bool()> redo, std::function<bool()> undo);
    bool fail(const Error &error);
    void succeed(qint64 page, std::optional<ShortcutGridCell> cell = std::nullopt);
    Expected<ShortcutButton> existingButton(qint64 buttonId) const;
    QString pageName(qint64 pageId) const;

    ModelStore &m_store;
    ShortcutPad &m_pad;
    ScreenUndo &m_undo;
    Hooks m_hooks;
    Error m_lastError;
};

} // namespace hb
