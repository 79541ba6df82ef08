#pragma once

#include <QAccessible>
#include <QPointer>

namespace hb {

class ShortcutGridView;

// One painted cell of the pad's grid as assistive technology sees it: a button named by its
// label and key ("Play, key Q", or "Empty cell, key Q"), with a two-state button's state or a
// sequence's length after the label ("Record, off, key W"), whose description tells what a press
// does in edit mode. An empty cell outside edit mode does nothing and is unavailable. Its
// press action taps the cell as a click or its key does.
class ShortcutCellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ShortcutCellAccessible(ShortcutGridView *view, int index);

    // The name and description of a cell, as the interface gives them.
    static QString name(const ShortcutGridView &view, int row, int col);
    static QString description(const ShortcutGridView &view, int row, int col);

    int index() const { return m_index; }

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

private:
    int row() const;
    int col() const;
    bool isTappable() const;

    QPointer<ShortcutGridView> m_view;
    int m_index;
};

} // namespace hb
