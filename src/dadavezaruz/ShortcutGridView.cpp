#include "dadavezaruz/ShortcutGridView.h"

#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutGridAccessible.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSet>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kKeySeparator = u" \u2014 key "_s;
const QString kAccessibleName = u"Shortcut grid"_s;
const QString kAccessibleDescription =
    u"Keys 1 to 4, Q to R, A to F and Z to V press the cells row by row"_s;

constexpr int kPreferredCellSide = 100;
constexpr int kSmallestCellSide = 48;
// The focus ring sits in the gap around its cell.
constexpr qreal kFocusRingOffset = 3;
constexpr qreal kFocusRingWidth = 2;

int gridExtent(int cellSide)
{
    return int(ShortcutGrid::kColumns * cellSide +
               (ShortcutGrid::kColumns - 1) * ShortcutGrid::kSpacing + 2 * ShortcutGrid::kPadding);
}

} // namespace

ShortcutGridView::ShortcutGridView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    ShortcutGridAccessible::install();
    setAccessibleName(kAccessibleName);
    setAccessibleDescription(kAccessibleDescription);
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    // A short overshooting curve gives the press its spring.
    m_pressAnimation.setDuration(int(kPressDuration.count()));
    m_pressAnimation.setEasingCurve(QEasingCurve::OutBack);
    connect(&m_pressAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant &v) {
        m_pressed = v.toReal();
        update();
    });
    connect(&m_pressAnimation, &QVariantAnimation::finished, this, [this] {
        m_pressed = m_pressAnimation.endValue().toReal();
        if (!m_feedbackButton)
            m_pressedButton.reset();
        update();
    });
}

void ShortcutGridView::setButtons(const QList<ShortcutButton> &buttons)
{
    m_cells = ShortcutGrid::cells(buttons);
    QSet<qint64> shown;
    for (const auto &cell : m_cells) {
        if (!cell || !cell->customImageData)
            continue;
        shown.insert(cell->id);
        const size_t hash = qHash(*cell->customImageData);
        auto it = m_thumbnails.find(cell->id);
        if (it == m_thumbnails.end() || it->dataHash != hash)
            m_thumbnails.insert(cell->id,
                                {hash, ShortcutButtonCell::thumbnail(*cell->customImageData)});
    }
    m_thumbnails.removeIf([&shown](const auto &entry) { return !shown.contains(entry.key()); });
    update();
    ShortcutGridAccessible::notifyCellsChanged(this);
}

void ShortcutGridView::setEditMode(bool on)
{
    if (m_editMode == on)
        return;
    m_editMode = on;
    update();
    ShortcutGridAccessible::notifyCellsChanged(this);
}

void ShortcutGridView::setFeedbackButton(std::optional<qint64> buttonId)
{
    if (m_feedbackButton == buttonId)
        return;
    m_feedbackButton = buttonId;
    if (buttonId) {
        if (m_pressedButton != buttonId)
            m_pressed = 0;
        m_pressedButton = buttonId;
        animatePress(1);
    } else {
        animatePress(0);
    }
}

void ShortcutGridView::animatePress(qreal to)
{
    m_pressAnimation.stop();
    m_pressAnimation.setStartValue(m_pressed);
    m_pressAnimation.setEndValue(to);
    m_pressAnimation.start();
}

void ShortcutGridView::setFocusCell(ShortcutGridCell cell)
{
    cell.row = std::clamp(cell.row, 0, ShortcutGrid::kRows - 1);
    cell.col = std::clamp(cell.col, 0, ShortcutGrid::kColumns - 1);
    if (cell == m_focusCell)
        return;
    m_focusCell = cell;
    update();
    ShortcutGridAccessible::notifyFocusCell(this);
}

bool ShortcutGridView::moveFocus(int key)
{
    ShortcutGridCell next = m_focusCell;
    switch (key) {
    case Qt::Key_Left:
        --next.col;
        break;
    case Qt::Key_Right:
        ++next.col;
        break;
    case Qt::Key_Up:
        --next.row;
        break;
    case Qt::Key_Down:
        ++next.row;
        break;
    case Qt::Key_Home:
        next.col = 0;
        break;
    case Qt::Key_End:
        next.col = ShortcutGrid::kColumns - 1;
        break;
    default:
        return false;
    }
    setFocusCell(next);
    return true;
}

QString ShortcutGridView::toolTipFor(int row, int col) const
{
    if (row < 0 || row >= ShortcutGrid::kRows || col < 0 || col >= ShortcutGrid::kColumns)
        return {};
    const auto &button = m_cells[std::size_t(ShortcutGrid::indexOf(row, col))];
    if (!button)
        return {};
    return button->label + kKeySeparator + ShortcutGrid::keyLabel(row, col);
}

QSize ShortcutGridView::sizeHint() const
{
    return QSize(gridExtent(kPreferredCellSide), gridExtent(kPreferredCellSide));
}

QSize ShortcutGridView::minimumSizeHint() const
{
    return QSize(gridExtent(kSmallestCellSide), gridExtent(kSmallestCellSide));
}

std::optional<ShortcutGridCell> ShortcutGridView::cellAt(QPointF point) const
{
    return ShortcutGrid::cellAt(QSizeF(size()), point);
}

bool ShortcutGridView::isTappable(ShortcutGridCell cell) const
{
    return m_editMode || m_cells[std::size_t(ShortcutGrid::indexOf(cell.row, cell.col))];
}

bool ShortcutGridView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const auto cell = cellAt(help->pos());
        const QString text = cell ? toolTipFor(cell->row, cell->col) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            const QRect area =
                ShortcutGrid::cellRect(QSizeF(size()), cell->row, cell->col).toAlignedRect();
            QToolTip::showText(help->globalPos(), text, this, area);
        }
        return true;
    }
    return QWidget::event(event);
}

void ShortcutGridView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSizeF area(size());
    for (int row = 0; row < ShortcutGrid::kRows; ++row) {
        for (int col = 0; col < ShortcutGrid::kColumns; ++col) {
            const auto &button = m_cells[std::size_t(ShortcutGrid::indexOf(row, col))];
            const bool pressed = button && m_pressedButton == button->id;
            const QImage image =
                button && button->customImageData ? m_thumbnails.value(button->id).image : QImage();
            ShortcutButtonCell::paint(painter, ShortcutGrid::cellRect(area, row, col), button,
                                      m_editMode, pressed ? m_pressed : 0, image);
        }
    }
    if (hasFocus()) {
        const qreal radius = ShortcutButtonCell::kCornerRadius + kFocusRingOffset;
        const QRectF ring =
            ShortcutGrid::cellRect(area, m_focusCell.row, m_focusCell.col)
                .adjusted(-kFocusRingOffset, -kFocusRingOffset, kFocusRingOffset, kFocusRingOffset);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(PadColors::focusRing, kFocusRingWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(ring, radius, radius);
    }
}

void ShortcutGridView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_mouseDownCell = cellAt(event->position());
}

void ShortcutGridView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const auto down = std::exchange(m_mouseDownCell, std::nullopt);
    if (down && cellAt(event->position()) == down) {
        setFocusCell(*down);
        Q_EMIT cellTapped(down->row, down->col);
    }
}

void ShortcutGridView::mouseMoveEvent(QMouseEvent *event)
{
    const auto cell = cellAt(event->position());
    if (cell && isTappable(*cell))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void ShortcutGridView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (event->modifiers() == Qt::ControlModifier &&
        (key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        Q_EMIT pageStepRequested(key == Qt::Key_PageUp ? -1 : 1);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && moveFocus(key))
        return;
    if (modifiers == Qt::NoModifier &&
        (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        if (!event->isAutoRepeat())
            Q_EMIT cellTapped(m_focusCell.row, m_focusCell.col);
        return;
    }
    if (event->modifiers() == Qt::NoModifier) {
        if (const auto cell = ShortcutGrid::cellForKey(event->nativeScanCode(), key)) {
            if (!event->isAutoRepeat())
                Q_EMIT cellTapped(cell->row, cell->col);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void ShortcutGridView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ShortcutGridView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace hb
