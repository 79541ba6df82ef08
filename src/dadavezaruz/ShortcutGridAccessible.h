#pragma once

#include "dadavezaruz/ShortcutGrid.h"

#include <QAccessibleWidget>

#include <array>

namespace hb {

class ShortcutGridView;

// What assistive technology sees of the pad's grid: the widget, with its sixteen cells as
// children (ShortcutCellAccessible), since the cells are painted rather than widgets.
class ShortcutGridAccessible : public QAccessibleWidget {
public:
    explicit ShortcutGridAccessible(ShortcutGridView *view);
    ~ShortcutGridAccessible() override;
    ShortcutGridAccessible(const ShortcutGridAccessible &) = delete;
    ShortcutGridAccessible &operator=(const ShortcutGridAccessible &) = delete;

    // Makes Qt build this interface for every ShortcutGridView; once is enough.
    static void install();
    // Tells assistive technology that what the cells say has changed.
    static void notifyCellsChanged(ShortcutGridView *view);
    // Tells assistive technology which cell has the focus ring now.
    static void notifyFocusCell(ShortcutGridView *view);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    // The ringed cell while the grid has the keyboard focus.
    QAccessibleInterface *focusChild() const override;

private:
    ShortcutGridView *view() const;

    mutable std::array<QAccessible::Id, ShortcutGrid::kCellCount> m_children{};
};

} // namespace hb
