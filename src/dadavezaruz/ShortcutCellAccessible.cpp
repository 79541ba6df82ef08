#include "dadavezaruz/ShortcutCellAccessible.h"

#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutGridAccessible.h"
#include "dadavezaruz/ShortcutGridView.h"

#include <QWidget>
#include <QWindow>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kKeySeparator = u", key "_s;
const QString kEmptyCell = u"Empty cell"_s;
const QString kEditsButton = u"Edit mode: opens the editor of this button"_s;
const QString kAddsButton = u"Edit mode: adds a button here"_s;
const QString kCutButton =
    u"Cut: Ctrl+V on another cell moves it there, Esc keeps it where it is"_s;

} // namespace

ShortcutCellAccessible::ShortcutCellAccessible(ShortcutGridView *view, int index)
    : m_view(view), m_index(index)
{
}

QString ShortcutCellAccessible::name(const ShortcutGridView &view, int row, int col)
{
    const auto &button = view.cells()[std::size_t(ShortcutGrid::indexOf(row, col))];
    QString label = button ? button->shownLabel() : kEmptyCell;
    if (const QString state = button ? ShortcutButtonCell::stateText(*button) : QString();
        !state.isEmpty())
        label += u", "_s + state;
    return label + kKeySeparator + ShortcutGrid::keyLabel(row, col);
}

QString ShortcutCellAccessible::description(const ShortcutGridView &view, int row, int col)
{
    if (!view.isEditMode())
        return {};
    const auto &button = view.cells()[std::size_t(ShortcutGrid::indexOf(row, col))];
    if (!button)
        return kAddsButton;
    if (view.cutButton() == button->id)
        return kCutButton + u". "_s + kEditsButton;
    return kEditsButton;
}

int ShortcutCellAccessible::row() const
{
    return m_index / ShortcutGrid::kColumns;
}

int ShortcutCellAccessible::col() const
{
    return m_index % ShortcutGrid::kColumns;
}

bool ShortcutCellAccessible::isTappable() const
{
    return m_view && (m_view->isEditMode() || m_view->cells()[std::size_t(m_index)]);
}

bool ShortcutCellAccessible::isValid() const
{
    return !m_view.isNull();
}

QObject *ShortcutCellAccessible::object() const
{
    return nullptr;
}

QWindow *ShortcutCellAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *ShortcutCellAccessible::parent() const
{
    return m_view ? QAccessible::queryAccessibleInterface(m_view.data()) : nullptr;
}

QAccessibleInterface *ShortcutCellAccessible::child(int) const
{
    return nullptr;
}

int ShortcutCellAccessible::childCount() const
{
    return 0;
}

int ShortcutCellAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QAccessibleInterface *ShortcutCellAccessible::childAt(int, int) const
{
    return nullptr;
}

QString ShortcutCellAccessible::text(QAccessible::Text type) const
{
    if (!m_view)
        return {};
    switch (type) {
    case QAccessible::Name:
        return name(*m_view, row(), col());
    case QAccessible::Description:
        return description(*m_view, row(), col());
    default:
        return {};
    }
}

void ShortcutCellAccessible::setText(QAccessible::Text, const QString &) {}

QRect ShortcutCellAccessible::rect() const
{
    if (!m_view)
        return {};
    const QRect local =
        ShortcutGrid::cellRect(QSizeF(m_view->size()), row(), col()).toAlignedRect();
    return local.translated(m_view->mapToGlobal(QPoint(0, 0)));
}

QAccessible::Role ShortcutCellAccessible::role() const
{
    return QAccessible::Button;
}

QAccessible::State ShortcutCellAccessible::state() const
{
    QAccessible::State state;
    if (!m_view) {
        state.invalid = true;
        return state;
    }
    state.disabled = !isTappable() || !m_view->isEnabled();
    state.invisible = !m_view->isVisible();
    state.focusable = true;
    const ShortcutGridCell ringed = m_view->focusCell();
    state.focused = m_view->hasFocus() && ShortcutGrid::indexOf(ringed.row, ringed.col) == m_index;
    state.pressed = m_view->feedbackButton().has_value() && m_view->cells()[std::size_t(m_index)] &&
                    m_view->cells()[std::size_t(m_index)]->id == *m_view->feedbackButton();
    return state;
}

void *ShortcutCellAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::ActionInterface)
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QStringList ShortcutCellAccessible::actionNames() const
{
    return isTappable() ? QStringList{pressAction()} : QStringList();
}

void ShortcutCellAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction() && isTappable())
        Q_EMIT m_view->cellTapped(row(), col());
}

QStringList ShortcutCellAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != pressAction())
        return {};
    return {ShortcutGrid::keyLabel(row(), col())};
}

} // namespace hb
