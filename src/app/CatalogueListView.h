#pragma once

#include <QListView>

namespace hb {

// The catalogue's list: only rows that can be chosen take the cursor. The arrows, Home, End and
// the page keys pass over headers, section titles and tools without a screen, and a click on a
// title leaves the current row where it is. Space, Return and Enter choose the current row.
class CatalogueListView : public QListView {
    Q_OBJECT

public:
    explicit CatalogueListView(QWidget *parent = nullptr);

    void keyboardSearch(const QString &search) override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool isChoosable(const QModelIndex &index) const;
    // The first choosable row from `row` on in the direction of `step` (+1 or -1).
    QModelIndex choosableFrom(int row, int step) const;
};

} // namespace hb
