#include "mogrt/MogrtLibraryRowDelegate.h"

#include "mogrt/MogrtLibraryModel.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace hb {
namespace {

const QString kShare = QStringLiteral("Share");
constexpr int kMarginX = 8;     // left and right of the row
constexpr int kMarginY = 5;     // above and below the row
constexpr int kLineSpacing = 1; // between the name and the file name

QFont fileNameFont(QFont font)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 0.85);
    return font;
}

// The height of one line as a label lays it out, which can be a pixel more than the font's
// height at fractional sizes.
int lineHeight(const QFontMetrics &metrics)
{
    return metrics.boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft, QStringLiteral("x"))
        .height();
}

QPalette::ColorGroup colorGroup(QStyle::State state)
{
    if (!(state & QStyle::State_Enabled))
        return QPalette::Disabled;
    return state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
}

} // namespace

MogrtLibraryRowDelegate::MogrtLibraryRowDelegate(QAbstractItemView *view)
    : QStyledItemDelegate(view), m_view(view), m_viewport(view->viewport()),
      m_button(std::make_unique<QPushButton>(kShare))
{
    m_button->setFocusPolicy(Qt::NoFocus);
    m_view->viewport()->setMouseTracking(true);
    m_view->viewport()->installEventFilter(this);
}

MogrtLibraryRowDelegate::~MogrtLibraryRowDelegate() = default;

QSize MogrtLibraryRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                        const QModelIndex &) const
{
    if (m_button->font() != option.font)
        m_button->setFont(option.font);
    const QSize button = m_button->sizeHint();
    const int text = lineHeight(option.fontMetrics) + kLineSpacing +
                     lineHeight(QFontMetrics(fileNameFont(option.font)));
    const int spacing = m_view->style()->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    return {2 * kMarginX + 10 * option.fontMetrics.averageCharWidth() + spacing + button.width(),
            2 * kMarginY + std::max(text, button.height())};
}

QRect MogrtLibraryRowDelegate::buttonRect(const QRect &row) const
{
    const QRect content = row.adjusted(kMarginX, kMarginY, -kMarginX, -kMarginY);
    const QSize size = m_button->sizeHint();
    return {QPoint(content.right() + 1 - size.width(),
                   content.top() + (content.height() - size.height()) / 2),
            size};
}

QRect MogrtLibraryRowDelegate::shareButtonRect(const QModelIndex &index) const
{
    return buttonRect(m_view->visualRect(index));
}

void MogrtLibraryRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    // The row's background, selection and focus as the style draws them, without text.
    QStyleOptionViewItem row = option;
    initStyleOption(&row, index);
    row.text.clear();
    QStyle *style = m_view->style();
    style->drawControl(QStyle::CE_ItemViewItem, &row, painter, m_view);

    // The two lines share the height the button leaves, each centred in its half.
    const QRect button = buttonRect(option.rect);
    const QRect content = option.rect.adjusted(kMarginX, kMarginY, -kMarginX, -kMarginY);
    const int spacing = style->pixelMetric(QStyle::PM_LayoutHorizontalSpacing);
    const int width = button.left() - spacing - content.left();
    const QFont fileFont = fileNameFont(option.font);
    const QFontMetrics fileMetrics(fileFont);
    const int nameHeight = lineHeight(option.fontMetrics);
    const int fileHeight = lineHeight(fileMetrics);
    const int extra = std::max(0, content.height() - nameHeight - kLineSpacing - fileHeight);
    const QRect nameRect(content.left(), content.top(), width, nameHeight + extra / 2);
    const QRect fileRect(content.left(), nameRect.bottom() + 1 + kLineSpacing, width,
                         fileHeight + extra - extra / 2);
    const QPalette::ColorGroup group = colorGroup(option.state);
    constexpr auto align = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;

    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(group, QPalette::WindowText));
    painter->drawText(nameRect, align,
                      option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                    Qt::ElideRight, width));
    painter->setFont(fileFont);
    painter->setPen(option.palette.color(group, QPalette::PlaceholderText));
    painter->drawText(fileRect, align,
                      fileMetrics.elidedText(index.data(MogrtLibraryModel::FileNameRole).toString(),
                                             Qt::ElideMiddle, width));

    QStyleOptionButton share;
    share.initFrom(m_view);
    share.styleObject = nullptr; // no animation keyed to the list
    share.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    const bool hovered = m_hovered.isValid() && m_hovered == index;
    share.state |= hovered && m_pressed == index ? QStyle::State_Sunken : QStyle::State_Raised;
    if (hovered)
        share.state |= QStyle::State_MouseOver;
    share.rect = button;
    share.text = kShare;
    share.fontMetrics = option.fontMetrics;
    painter->setFont(option.font);
    style->drawControl(QStyle::CE_PushButton, &share, painter, m_button.get());
    painter->restore();
}

QModelIndex MogrtLibraryRowDelegate::buttonAt(const QPoint &position) const
{
    const QModelIndex index = m_view->indexAt(position);
    return index.isValid() && shareButtonRect(index).contains(position) ? index : QModelIndex();
}

void MogrtLibraryRowDelegate::setHovered(const QModelIndex &index)
{
    if (m_hovered == index)
        return;
    if (m_hovered.isValid())
        m_view->viewport()->update(shareButtonRect(m_hovered));
    m_hovered = index;
    if (m_hovered.isValid())
        m_view->viewport()->update(shareButtonRect(m_hovered));
}

bool MogrtLibraryRowDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_viewport)
        return QStyledItemDelegate::eventFilter(watched, event);
    // The viewport sends its last events while the view around it is being destroyed, when the
    // view is no longer an item view: leave it alone then.
    if (!qobject_cast<QAbstractItemView *>(m_viewport->parent()))
        return false;
    switch (event->type()) {
    case QEvent::Leave:
        setHovered({});
        break;
    case QEvent::MouseMove: {
        setHovered(buttonAt(static_cast<QMouseEvent *>(event)->position().toPoint()));
        return m_pressed.isValid(); // no drag selection while a button is held
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex at = buttonAt(mouse->position().toPoint());
        if (mouse->button() != Qt::LeftButton || !at.isValid())
            break;
        // A press on the button leaves the selection as it is.
        m_pressed = at;
        setHovered(at);
        m_view->viewport()->update(shareButtonRect(at));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !m_pressed.isValid())
            break;
        const QPersistentModelIndex pressed = m_pressed;
        m_pressed = QPersistentModelIndex();
        m_view->viewport()->update(shareButtonRect(pressed));
        if (buttonAt(mouse->position().toPoint()) == pressed)
            Q_EMIT shareRequested(pressed.row());
        return true;
    }
    default:
        break;
    }
    return false;
}

} // namespace hb
