#include "dadavezaruz/ShortcutGridView.h"

#include "dadavezaruz/ButtonDragMime.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutGridAccessible.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
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
// The cell a dragged button would land in: a wide accent outline over a faint wash.
constexpr qreal kDropOutlineWidth = 3;
constexpr float kDropFillAlpha = 0.18f;
// The dragged button is drawn smaller than its cell, so that the highlight shows around it.
constexpr qreal kDragImageScale = 0.7;

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
    setAcceptDrops(on);
    if (!on) {
        m_dropCell.reset();
        m_mouseDownCell.reset();
    }
    update();
    ShortcutGridAccessible::notifyCellsChanged(this);
}

void ShortcutGridView::setCutButton(std::optional<qint64> buttonId)
{
    if (m_cutButton == buttonId)
        return;
    m_cutButton = buttonId;
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
            const QRectF rect = ShortcutGrid::cellRect(area, row, col);
            ShortcutButtonCell::paint(painter, rect, button, m_editMode, pressed ? m_pressed : 0,
                                      image);
            if (button && m_cutButton == button->id)
                ShortcutButtonCell::paintCutMark(painter, rect);
        }
    }
    if (m_dropCell) {
        const QRectF rect = ShortcutGrid::cellRect(area, m_dropCell->row, m_dropCell->col);
        QColor fill = PadColors::teal;
        fill.setAlphaF(kDropFillAlpha);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(PadColors::teal, kDropOutlineWidth));
        painter.setBrush(fill);
        const qreal inset = kDropOutlineWidth / 2;
        painter.drawRoundedRect(rect.adjusted(inset, inset, -inset, -inset),
                                ShortcutButtonCell::kCornerRadius,
                                ShortcutButtonCell::kCornerRadius);
        painter.restore();
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
    m_mouseDownPos = event->position();
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
    // Only a button is dragged; a press on an empty cell stays a press wherever it goes.
    if (m_editMode && m_mouseDownCell && (event->buttons() & Qt::LeftButton) &&
        (event->position() - m_mouseDownPos).manhattanLength() >=
            QApplication::startDragDistance()) {
        const auto &button =
            m_cells[std::size_t(ShortcutGrid::indexOf(m_mouseDownCell->row, m_mouseDownCell->col))];
        if (button) {
            const ShortcutGridCell from = *std::exchange(m_mouseDownCell, std::nullopt);
            startDrag(*button, from, m_mouseDownPos);
            return;
        }
    }
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

// The drag shows the cell as it is drawn, held where it was pressed. Esc, or a drop anywhere
// but on a cell, leaves everything as it was.
void ShortcutGridView::startDrag(const ShortcutButton &button, ShortcutGridCell cell, QPointF at)
{
    const QRectF rect = ShortcutGrid::cellRect(QSizeF(size()), cell.row, cell.col);
    const qreal ratio = devicePixelRatioF();
    QPixmap image((rect.size() * kDragImageScale * ratio).toSize());
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font());
        painter.scale(kDragImageScale, kDragImageScale);
        const QImage thumbnail =
            button.customImageData ? m_thumbnails.value(button.id).image : QImage();
        ShortcutButtonCell::paint(painter, QRectF(QPointF(0, 0), rect.size()), button, m_editMode,
                                  0, thumbnail);
    }
    auto *drag = new QDrag(this);
    drag->setMimeData(ButtonDragMime::make(button.id));
    drag->setPixmap(image);
    drag->setHotSpot(((at - rect.topLeft()) * kDragImageScale).toPoint());
    Q_EMIT buttonDragStarted(button.id);
    drag->exec(Qt::MoveAction);
    setDropCell(std::nullopt);
}

std::optional<ShortcutGridCell> ShortcutGridView::dropTarget(const QMimeData *mime,
                                                             QPointF at) const
{
    if (!m_editMode || !ButtonDragMime::buttonId(mime))
        return std::nullopt;
    return cellAt(at);
}

void ShortcutGridView::setDropCell(std::optional<ShortcutGridCell> cell)
{
    if (m_dropCell == cell)
        return;
    m_dropCell = cell;
    update();
}

bool ShortcutGridView::dropButton(const QMimeData *mime, QPointF at)
{
    setDropCell(std::nullopt);
    const std::optional<ShortcutGridCell> cell = dropTarget(mime, at);
    if (!cell)
        return false;
    Q_EMIT buttonDropped(*ButtonDragMime::buttonId(mime), cell->row, cell->col);
    return true;
}

void ShortcutGridView::dragEnterEvent(QDragEnterEvent *event)
{
    // A button over the gaps between cells is still on its way to one.
    if (!m_editMode || !ButtonDragMime::buttonId(event->mimeData())) {
        event->ignore();
        return;
    }
    setDropCell(dropTarget(event->mimeData(), event->position()));
    event->acceptProposedAction();
}

void ShortcutGridView::dragMoveEvent(QDragMoveEvent *event)
{
    const std::optional<ShortcutGridCell> cell = dropTarget(event->mimeData(), event->position());
    setDropCell(cell);
    if (!cell) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept(ShortcutGrid::cellRect(QSizeF(size()), cell->row, cell->col).toAlignedRect());
}

void ShortcutGridView::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropCell(std::nullopt);
    QWidget::dragLeaveEvent(event);
}

void ShortcutGridView::dropEvent(QDropEvent *event)
{
    if (!dropButton(event->mimeData(), event->position())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
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
