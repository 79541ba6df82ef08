#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>

namespace hb {

// One cell of the pad's grid.
struct ShortcutGridCell {
    int row = 0;
    int col = 0;

    friend bool operator==(const ShortcutGridCell &, const ShortcutGridCell &) = default;
};

// The 4 x 4 layout of a page, apart from any widget: which button sits in which cell, where
// the cells are in an area, and which key stands for which cell.
class ShortcutGrid {
public:
    static constexpr int kRows = ShortcutButton::kRows;
    static constexpr int kColumns = ShortcutButton::kColumns;
    static constexpr int kCellCount = kRows * kColumns;
    static constexpr qreal kPadding = 12;
    static constexpr qreal kSpacing = 8;

    using Cells = std::array<std::optional<ShortcutButton>, kCellCount>;

    ShortcutGrid() = delete;

    static int indexOf(int row, int col) { return row * kColumns + col; }

    // The buttons in list order, each in its cell with row and column clamped into the grid;
    // a later button in a cell hides an earlier one.
    static Cells cells(const QList<ShortcutButton> &buttons);

    // Side of a square cell in an area, never below 1: the height bounds it, and so does the
    // width unless the width leaves nothing.
    static qreal cellSide(QSizeF available);
    // A cell's square: the grid hangs from the top padding, centred across the width.
    static QRectF cellRect(QSizeF available, int row, int col);
    // The cell under a point; none in the padding and the gaps between cells.
    static std::optional<ShortcutGridCell> cellAt(QSizeF available, QPointF point);

    // The cell of a key by its place on the keyboard: 1 2 3 4 / Q W E R / A S D F / Z X C V.
    // The X keycode decides when there is one (so other layouts use the same places); with a
    // scan code of 0 the Qt key does.
    static std::optional<ShortcutGridCell> cellForKey(quint32 nativeScanCode, int key);
    // The key of a cell as printed on a US keyboard ("1", "Q", ...).
    static QString keyLabel(int row, int col);
};

} // namespace hb
