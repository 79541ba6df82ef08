#pragma once

#include <QStyledItemDelegate>

namespace hb {

// Draws the catalogue's three kinds of rows: the header with its badge, section titles, and
// tool rows with a two-colour icon.
class CatalogueDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    void paintHeader(QPainter *painter, const QStyleOptionViewItem &option,
                     const QModelIndex &index) const;
    void paintSection(QPainter *painter, const QStyleOptionViewItem &option,
                      const QModelIndex &index) const;
    void paintTool(QPainter *painter, const QStyleOptionViewItem &option,
                   const QModelIndex &index) const;
};

} // namespace hb
