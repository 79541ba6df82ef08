#include "dadavezaruz/PadDeleteCommand.h"

#include "common/Error.h"

namespace hb {

using namespace Qt::StringLiterals;

PadDeleteCommand::PadDeleteCommand(ShortcutPad &pad, ShortcutPadSnapshot snapshot, Failed failed,
                                   Restored restored)
    : m_pad(pad), m_snapshot(std::move(snapshot)), m_failed(std::move(failed)),
      m_restored(std::move(restored))
{
    const QString name = isPage()                       ? m_snapshot.page->name
                         : m_snapshot.buttons.isEmpty() ? QString()
                                                        : m_snapshot.buttons.constFirst().label;
    setText(deletedText(name));
}

QString PadDeleteCommand::deletedText(const QString &name)
{
    return u"Deleted “%1”"_s.arg(name);
}

qint64 PadDeleteCommand::pageId() const
{
    if (isPage())
        return m_snapshot.page->id;
    return m_snapshot.buttons.isEmpty() ? 0 : m_snapshot.buttons.constFirst().page;
}

void PadDeleteCommand::redo()
{
    if (!isPage() && m_snapshot.buttons.isEmpty())
        return fail(Error::make(ShortcutPadError::NotFound, u"Nothing to delete."_s));
    const qint64 button = isPage() ? 0 : m_snapshot.buttons.constFirst().id;
    Expected<ShortcutPadSnapshot> current =
        isPage() ? m_pad.snapshotPage(pageId()) : m_pad.snapshotButton(button);
    if (!current)
        return fail(current.error());
    const Expected<Done> deleted =
        isPage() ? m_pad.deletePage(pageId()) : m_pad.deleteButton(button);
    if (!deleted)
        return fail(deleted.error());
    m_snapshot = std::move(current).value();
}

void PadDeleteCommand::undo()
{
    if (const Expected<Done> restored = m_pad.restore(m_snapshot); !restored)
        return fail(restored.error());
    if (m_restored)
        m_restored(pageId());
}

void PadDeleteCommand::fail(const Error &error)
{
    setObsolete(true);
    if (m_failed)
        m_failed(error);
}

} // namespace hb
