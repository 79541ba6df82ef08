#pragma once

#include <QStyledItemDelegate>

namespace hb {

// A row of the project list: the name as a headline and, 4 pixels below it, up to two lines of
// the notes in smaller secondary text. Notes that are only white space are not shown. Every row
// has the same height, with room for both lines of notes.
class PrepProjectRowDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int kNotesLines = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    // The notes line of the row, or empty when the row has none.
    static QString shownNotes(const QModelIndex &index);

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
};

} // namespace hb
