#include "app/CatalogueListView.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace hb {

CatalogueListView::CatalogueListView(QWidget *parent) : QListView(parent) {}

bool CatalogueListView::isChoosable(const QModelIndex &index) const
{
    const Qt::ItemFlags flags = index.flags();
    return index.isValid() && flags.testFlag(Qt::ItemIsEnabled) &&
           flags.testFlag(Qt::ItemIsSelectable) && !isRowHidden(index.row());
}

QModelIndex CatalogueListView::choosableFrom(int row, int step) const
{
    if (!model())
        return {};
    const int rows = model()->rowCount(rootIndex());
    for (; row >= 0 && row < rows; row += step) {
        const QModelIndex candidate = model()->index(row, modelColumn(), rootIndex());
        if (isChoosable(candidate))
            return candidate;
    }
    return {};
}

QModelIndex CatalogueListView::moveCursor(CursorAction cursorAction,
                                          Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    QModelIndex next;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        next = current.isValid() ? choosableFrom(row - 1, -1) : choosableFrom(rows - 1, -1);
        break;
    case MoveDown:
    case MoveNext:
        next = choosableFrom(row + 1, 1);
        break;
    case MoveHome:
        next = choosableFrom(0, 1);
        break;
    case MoveEnd:
        next = choosableFrom(rows - 1, -1);
        break;
    case MovePageUp:
    case MovePageDown: {
        const QModelIndex paged = QListView::moveCursor(cursorAction, modifiers);
        const int step = cursorAction == MovePageUp ? -1 : 1;
        if (paged.isValid()) {
            next = choosableFrom(paged.row(), step);
            if (!next.isValid())
                next = choosableFrom(paged.row(), -step);
        }
        break;
    }
    case MoveLeft:
    case MoveRight:
        break;
    }
    // At either end the cursor stays where it is.
    if (next.isValid())
        return next;
    return isChoosable(current) ? current : QModelIndex();
}

void CatalogueListView::mousePressEvent(QMouseEvent *event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !isChoosable(index)) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void CatalogueListView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && selectionModel() &&
        isChoosable(currentIndex())) {
        selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void CatalogueListView::keyboardSearch(const QString &search)
{
    const QModelIndex before = currentIndex();
    QListView::keyboardSearch(search);
    if (currentIndex() != before && !isChoosable(currentIndex()))
        setCurrentIndex(before);
}

} // namespace hb
