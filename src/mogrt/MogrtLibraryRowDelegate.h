#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <memory>

class QAbstractItemView;
class QPushButton;

namespace hb {

// Paints one row of the library list: the template's name, its file name below in a smaller,
// quieter style, and a "Share" button at the right, which it also presses. Every row has the
// same height, so the list lays out thousands of rows without asking each one.
class MogrtLibraryRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Watches the view's mouse for the buttons; the view is the parent.
    explicit MogrtLibraryRowDelegate(QAbstractItemView *view);
    ~MogrtLibraryRowDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Where the row's "Share" button is, in the view's viewport.
    QRect shareButtonRect(const QModelIndex &index) const;

Q_SIGNALS:
    void shareRequested(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QRect buttonRect(const QRect &row) const;
    QModelIndex buttonAt(const QPoint &position) const;
    void setHovered(const QModelIndex &index);

    QAbstractItemView *m_view;
    QWidget *m_viewport;
    // Never shown: the style measures and draws the painted buttons as this one.
    std::unique_ptr<QPushButton> m_button;
    QPersistentModelIndex m_hovered; // the row whose button is under the mouse
    QPersistentModelIndex m_pressed; // the row whose button is held down
};

} // namespace hb
