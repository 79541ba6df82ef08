#include "dadavezaruz/ShortcutGrid.h"

#include <algorithm>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

// X keycodes of the first key of each row (1, Q, A, Z); the row's keys follow in order.
constexpr quint32 kRowStartKeycodes[ShortcutGrid::kRows] = {10, 24, 38, 52};

constexpr int kKeys[ShortcutGrid::kRows][ShortcutGrid::kColumns] = {
    {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4},
    {Qt::Key_Q, Qt::Key_W, Qt::Key_E, Qt::Key_R},
    {Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_F},
    {Qt::Key_Z, Qt::Key_X, Qt::Key_C, Qt::Key_V},
};

constexpr qreal kGaps = ShortcutGrid::kSpacing * (ShortcutGrid::kColumns - 1);

qreal gridWidth(qreal side)
{
    return side * ShortcutGrid::kColumns + kGaps;
}

} // namespace

ShortcutGrid::Cells ShortcutGrid::cells(const QList<ShortcutButton> &buttons)
{
    Cells table;
    for (const ShortcutButton &button : buttons) {
        const int row = std::clamp(button.row, 0, kRows - 1);
        const int col = std::clamp(button.col, 0, kColumns - 1);
        table[std::size_t(indexOf(row, col))] = button;
    }
    return table;
}

qreal ShortcutGrid::cellSide(QSizeF available)
{
    const qreal byHeight = (available.height() - 2 * kPadding - kGaps) / kRows;
    const qreal byWidth = std::max<qreal>(1, (available.width() - 2 * kPadding - kGaps) / kColumns);
    return std::max<qreal>(1, std::min(byHeight, byWidth));
}

QRectF ShortcutGrid::cellRect(QSizeF available, int row, int col)
{
    const qreal side = cellSide(available);
    const qreal left = std::max(kPadding, (available.width() - gridWidth(side)) / 2);
    return QRectF(left + col * (side + kSpacing), kPadding + row * (side + kSpacing), side, side);
}

std::optional<ShortcutGridCell> ShortcutGrid::cellAt(QSizeF available, QPointF point)
{
    for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kColumns; ++col) {
            if (cellRect(available, row, col).contains(point))
                return ShortcutGridCell{row, col};
        }
    }
    return std::nullopt;
}

std::optional<ShortcutGridCell> ShortcutGrid::cellForKey(quint32 nativeScanCode, int key)
{
    for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kColumns; ++col) {
            const bool match = nativeScanCode != 0
                                   ? nativeScanCode == kRowStartKeycodes[row] + quint32(col)
                                   : key == kKeys[row][col];
            if (match)
                return ShortcutGridCell{row, col};
        }
    }
    return std::nullopt;
}

QString ShortcutGrid::keyLabel(int row, int col)
{
    if (row < 0 || row >= kRows || col < 0 || col >= kColumns)
        return {};
    return QString(QChar(kKeys[row][col]));
}

} // namespace hb
