#pragma once

#include "dadavezaruz/ShortcutGrid.h"

#include <QHash>
#include <QImage>
#include <QPointF>
#include <QVariantAnimation>
#include <QWidget>

#include <chrono>
#include <optional>

class QMimeData;

namespace hb {

// The 4 x 4 grid of one page. It draws the cells and reports taps; what a tap does is up to
// the screen. A cell is tapped by a click (press and release on the same cell) or by its key:
// 1 2 3 4 / Q W E R / A S D F / Z X C V by place on the keyboard. With the keyboard focus on
// the grid the arrows move a focus ring between the cells and Space or Enter taps the ringed
// cell. Ctrl+Page Up and Ctrl+Page Down ask for the previous and next page.
//
// In edit mode a button is dragged from its cell (a press and a move past the platform's drag
// distance) and dropped on a cell, which is highlighted while the drag is over it; the grid
// only says which button was dropped where. A button cut for moving is drawn dimmed.
class ShortcutGridView : public QWidget {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kPressDuration{200};

    explicit ShortcutGridView(QWidget *parent = nullptr);

    // The page's buttons in list order; custom images are decoded here, once per image.
    void setButtons(const QList<ShortcutButton> &buttons);
    const ShortcutGrid::Cells &cells() const { return m_cells; }

    bool isEditMode() const { return m_editMode; }
    void setEditMode(bool on);

    // The button drawn as pressed; it springs in when set and back out when cleared.
    std::optional<qint64> feedbackButton() const { return m_feedbackButton; }
    void setFeedbackButton(std::optional<qint64> buttonId);

    // The cell the arrows move and Space or Enter taps; ringed while the grid has the focus.
    ShortcutGridCell focusCell() const { return m_focusCell; }
    void setFocusCell(ShortcutGridCell cell);

    // The button cut for moving elsewhere, drawn dimmed with a dashed outline; none by default.
    std::optional<qint64> cutButton() const { return m_cutButton; }
    void setCutButton(std::optional<qint64> buttonId);

    // The cell a dragged button would land in, highlighted while the drag is over it.
    std::optional<ShortcutGridCell> dropCell() const { return m_dropCell; }
    // Takes a drop of `mime` at `at`: says which button went to which cell. False, and nothing
    // said, outside edit mode, for data that is no button, or at a point in no cell.
    bool dropButton(const QMimeData *mime, QPointF at);

    // The tooltip of a cell: the button's label and its key; empty for an empty cell.
    QString toolTipFor(int row, int col) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void cellTapped(int row, int col);
    void pageStepRequested(int delta);
    // A drag of this button begins; the drop, if any, follows as buttonDropped().
    void buttonDragStarted(qint64 buttonId);
    void buttonDropped(qint64 buttonId, int row, int col);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct Thumbnail {
        size_t dataHash = 0;
        QImage image;
    };

    std::optional<ShortcutGridCell> cellAt(QPointF point) const;
    bool isTappable(ShortcutGridCell cell) const;
    void animatePress(qreal to);
    bool moveFocus(int key);
    void startDrag(const ShortcutButton &button, ShortcutGridCell cell, QPointF at);
    // The cell a drag of `mime` at `at` would land in; none when it would not be taken.
    std::optional<ShortcutGridCell> dropTarget(const QMimeData *mime, QPointF at) const;
    void setDropCell(std::optional<ShortcutGridCell> cell);

    ShortcutGrid::Cells m_cells;
    QHash<qint64, Thumbnail> m_thumbnails; // by button id
    bool m_editMode = false;
    std::optional<qint64> m_feedbackButton;
    // The button drawn pressed: the feedback button, or the last one while it springs back.
    std::optional<qint64> m_pressedButton;
    qreal m_pressed = 0;
    QVariantAnimation m_pressAnimation;
    std::optional<ShortcutGridCell> m_mouseDownCell;
    QPointF m_mouseDownPos;
    std::optional<ShortcutGridCell> m_dropCell;
    std::optional<qint64> m_cutButton;
    ShortcutGridCell m_focusCell;
};

} // namespace hb
