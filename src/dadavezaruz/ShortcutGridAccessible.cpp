#include "dadavezaruz/ShortcutGridAccessible.h"

#include "dadavezaruz/ShortcutCellAccessible.h"
#include "dadavezaruz/ShortcutGridView.h"

namespace hb {
namespace {

QAccessibleInterface *gridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1StringView(ShortcutGridView::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new ShortcutGridAccessible(static_cast<ShortcutGridView *>(object));
    return nullptr;
}

} // namespace

ShortcutGridAccessible::ShortcutGridAccessible(ShortcutGridView *view)
    : QAccessibleWidget(view, QAccessible::Grouping)
{
}

ShortcutGridAccessible::~ShortcutGridAccessible()
{
    for (const QAccessible::Id id : m_children) {
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
    }
}

void ShortcutGridAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&gridFactory);
        return true;
    }();
    Q_UNUSED(installed)
}

void ShortcutGridAccessible::notifyCellsChanged(ShortcutGridView *view)
{
    if (!QAccessible::isActive())
        return;
    for (int index = 0; index < ShortcutGrid::kCellCount; ++index) {
        for (const QAccessible::Event type :
             {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
            QAccessibleEvent event(view, type);
            event.setChild(index);
            QAccessible::updateAccessibility(&event);
        }
    }
}

void ShortcutGridAccessible::notifyFocusCell(ShortcutGridView *view)
{
    if (!QAccessible::isActive() || !view->hasFocus())
        return;
    QAccessibleEvent event(view, QAccessible::Focus);
    event.setChild(ShortcutGrid::indexOf(view->focusCell().row, view->focusCell().col));
    QAccessible::updateAccessibility(&event);
}

ShortcutGridView *ShortcutGridAccessible::view() const
{
    return static_cast<ShortcutGridView *>(widget());
}

int ShortcutGridAccessible::childCount() const
{
    return ShortcutGrid::kCellCount;
}

QAccessibleInterface *ShortcutGridAccessible::child(int index) const
{
    if (index < 0 || index >= ShortcutGrid::kCellCount)
        return nullptr;
    QAccessible::Id &id = m_children[std::size_t(index)];
    if (id == 0)
        id = QAccessible::registerAccessibleInterface(new ShortcutCellAccessible(view(), index));
    return QAccessible::accessibleInterface(id);
}

int ShortcutGridAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *cell = dynamic_cast<const ShortcutCellAccessible *>(child);
    if (!cell || cell->parent() != this)
        return -1;
    return cell->index();
}

QAccessibleInterface *ShortcutGridAccessible::childAt(int x, int y) const
{
    const QPoint local = view()->mapFromGlobal(QPoint(x, y));
    const auto cell = ShortcutGrid::cellAt(QSizeF(view()->size()), QPointF(local));
    return cell ? child(ShortcutGrid::indexOf(cell->row, cell->col)) : nullptr;
}

QAccessibleInterface *ShortcutGridAccessible::focusChild() const
{
    if (!view()->hasFocus())
        return nullptr;
    return child(ShortcutGrid::indexOf(view()->focusCell().row, view()->focusCell().col));
}

} // namespace hb
