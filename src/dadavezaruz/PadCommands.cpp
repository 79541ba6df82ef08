#include "dadavezaruz/PadCommands.h"

#include "common/CallbackUndoCommand.h"
#include "common/ScreenUndo.h"
#include "dadavezaruz/PadArrange.h"
#include "dadavezaruz/PadCopy.h"
#include "dadavezaruz/PadDeleteCommand.h"

#include <algorithm>
#include <memory>

namespace hb {

using namespace Qt::StringLiterals;

PadCommands::PadCommands(ModelStore &store, ShortcutPad &pad, ScreenUndo &undo, Hooks hooks)
    : m_store(store), m_pad(pad), m_undo(undo), m_hooks(std::move(hooks))
{
}

bool PadCommands::deletePage(qint64 pageId)
{
    return push(m_pad.snapshotPage(pageId));
}

bool PadCommands::deleteButton(qint64 buttonId)
{
    return push(m_pad.snapshotButton(buttonId));
}

bool PadCommands::push(const Expected<ShortcutPadSnapshot> &deleted)
{
    m_lastError = {};
    if (!deleted)
        return fail(deleted.error());
    auto failed = [this](const Error &error) { fail(error); };
    auto restored = [this](qint64 page) { succeed(page); };
    const bool done =
        m_undo.push(std::make_unique<PadDeleteCommand>(m_pad, *deleted, failed, restored));
    if (done)
        m_hooks.showError({});
    return done;
}

bool PadCommands::duplicateButton(qint64 buttonId)
{
    const Expected<ShortcutButton> original = existingButton(buttonId);
    if (!original)
        return fail(original.error());
    return copyButtonToPage(buttonId, original->page);
}

bool PadCommands::copyButtonToPage(qint64 buttonId, qint64 pageId)
{
    const Expected<ShortcutButton> original = existingButton(buttonId);
    if (!original)
        return fail(original.error());
    const QString text = pageId == original->page
                             ? u"Duplicated “%1”"_s.arg(original->label)
                             : u"Copied “%1” to “%2”"_s.arg(original->label, pageName(pageId));
    return pushCopy(
        text,
        [this, buttonId, pageId]() -> Expected<ShortcutPadSnapshot> {
            const Expected<ShortcutButton> copy = PadCopy::copyButton(m_store, buttonId, pageId);
            if (!copy)
                return copy.error();
            return m_pad.snapshotButton(copy->id);
        },
        pageId);
}

bool PadCommands::duplicatePage(qint64 pageId)
{
    return pushCopy(
        u"Duplicated “%1”"_s.arg(pageName(pageId)),
        [this, pageId]() -> Expected<ShortcutPadSnapshot> {
            const Expected<ShortcutPage> copy = PadCopy::duplicatePage(m_store, pageId);
            if (!copy)
                return copy.error();
            return m_pad.snapshotPage(copy->id);
        },
        pageId);
}

bool PadCommands::pushCopy(const QString &text, std::function<Expected<ShortcutPadSnapshot>()> make,
                           qint64 shownAfterUndo)
{
    // The copy as it was last added: a redo after an undo puts back these records, ids and all.
    auto made = std::make_shared<std::optional<ShortcutPadSnapshot>>();
    auto shownPage = [](const ShortcutPadSnapshot &copy) {
        return copy.page ? copy.page->id : copy.buttons.constFirst().page;
    };
    auto redo = [this, made, make = std::move(make), shownPage]() {
        if (!*made) {
            Expected<ShortcutPadSnapshot> copy = make();
            if (!copy)
                return fail(copy.error());
            *made = std::move(copy).value();
            // A button copied to another page leaves the user where they are; a page's copy is
            // what they want to work on next.
            if ((*made)->page)
                m_hooks.show((*made)->page->id, std::nullopt);
            return true;
        }
        if (const Expected<Done> restored = m_pad.restore(**made); !restored)
            return fail(restored.error());
        succeed(shownPage(**made));
        return true;
    };
    auto undo = [this, made, shownAfterUndo]() {
        const ShortcutPadSnapshot &copy = **made;
        const bool page = copy.page.has_value();
        const qint64 id = page ? copy.page->id : copy.buttons.constFirst().id;
        // Read again: what was put on the copied page since goes with it, and comes back on redo.
        Expected<ShortcutPadSnapshot> current =
            page ? m_pad.snapshotPage(id) : m_pad.snapshotButton(id);
        if (!current)
            return fail(current.error());
        if (const Expected<Done> removed = page ? m_pad.deletePage(id) : m_pad.deleteButton(id);
            !removed)
            return fail(removed.error());
        *made = std::move(current).value();
        succeed(shownAfterUndo);
        return true;
    };
    return push(text, std::move(redo), std::move(undo));
}

bool PadCommands::movePage(qint64 pageId, int newIndex)
{
    const Expected<QList<ShortcutPage>> pages = m_pad.pages();
    if (!pages)
        return fail(pages.error());
    const auto page = std::ranges::find(*pages, pageId, &ShortcutPage::id);
    if (page != pages->end() && newIndex == page - pages->begin())
        return true;
    // The order the move changed, for its undo; each redo reads it again.
    auto before = std::make_shared<QList<ShortcutPage>>();
    auto redo = [this, before, pageId, newIndex] {
        Expected<QList<ShortcutPage>> old = PadArrange::movePage(m_store, pageId, newIndex);
        if (!old)
            return fail(old.error());
        *before = std::move(old).value();
        succeed(pageId);
        return true;
    };
    auto undo = [this, before, pageId] {
        if (const Expected<Done> done = PadArrange::restorePageOrder(m_store, *before); !done)
            return fail(done.error());
        succeed(pageId);
        return true;
    };
    const QString name = page == pages->end() ? QString() : page->name;
    return push(u"Moved “%1”"_s.arg(name), std::move(redo), std::move(undo));
}

bool PadCommands::moveButton(qint64 buttonId, qint64 pageId, int row, int col)
{
    const Expected<ShortcutButton> original = existingButton(buttonId);
    if (!original)
        return fail(original.error());
    const ShortcutButton &from = *original;
    if (from.page == pageId && from.row == row && from.col == col)
        return true;
    // The places the move changed, for its undo; each redo reads them again.
    auto before = std::make_shared<QList<ButtonPlace>>();
    auto redo = [this, before, buttonId, pageId, row, col] {
        Expected<QList<ButtonPlace>> old =
            PadArrange::moveButton(m_store, buttonId, pageId, row, col);
        if (!old)
            return fail(old.error());
        *before = std::move(old).value();
        succeed(pageId, ShortcutGridCell{row, col});
        return true;
    };
    // Only the place it left: the button's image need not ride along with the history.
    auto undo = [this, before, page = from.page, cell = ShortcutGridCell{from.row, from.col}] {
        if (const Expected<Done> done = PadArrange::restorePlaces(m_store, *before); !done)
            return fail(done.error());
        succeed(page, cell);
        return true;
    };
    return push(u"Moved “%1”"_s.arg(from.label), std::move(redo), std::move(undo));
}

bool PadCommands::push(const QString &text, std::function<bool()> redo, std::function<bool()> undo)
{
    m_lastError = {};
    const bool done =
        m_undo.push(std::make_unique<CallbackUndoCommand>(text, std::move(redo), std::move(undo)));
    if (done)
        m_hooks.showError({});
    return done;
}

bool PadCommands::fail(const Error &error)
{
    m_lastError = error;
    m_hooks.showError(error.description);
    return false;
}

void PadCommands::succeed(qint64 page, std::optional<ShortcutGridCell> cell)
{
    m_hooks.showError({});
    m_hooks.show(page, cell);
}

Expected<ShortcutButton> PadCommands::existingButton(qint64 buttonId) const
{
    Expected<std::optional<ShortcutButton>> found = m_pad.button(buttonId);
    if (!found)
        return found.error();
    if (!*found)
        return Error::make(ShortcutPadError::NotFound, u"This button no longer exists."_s);
    return std::move(**found);
}

QString PadCommands::pageName(qint64 pageId) const
{
    const Expected<QList<ShortcutPage>> pages = m_pad.pages();
    if (!pages)
        return {};
    const auto page = std::ranges::find(*pages, pageId, &ShortcutPage::id);
    return page == pages->end() ? QString() : page->name;
}

} // namespace hb
