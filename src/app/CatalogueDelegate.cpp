#include "app/CatalogueDelegate.h"

#include "app/CatalogueModel.h"
#include "common/IconLibrary.h"

#include <QPainter>
#include <QPainterPath>

namespace hb {
namespace {

constexpr int kBadgeSide = 54;
constexpr qreal kBadgeRadius = 14;
constexpr int kBadgeSymbolSize = 22;
constexpr int kHeaderSpacing = 12;
constexpr int kHeaderTextSpacing = 4;
constexpr int kToolIconSize = 20;
constexpr int kRowPadding = 8;
constexpr qreal kFocusRingWidth = 2;

QFont scaledFont(const QFont &base, qreal factor, QFont::Weight weight)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * factor);
    font.setWeight(weight);
    return font;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

QColor focusRingColor(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight).lighter(150);
}

QFont headerTitleFont(const QFont &base)
{
    return scaledFont(base, 1.15, QFont::DemiBold);
}

QFont headerSubtitleFont(const QFont &base)
{
    return scaledFont(base, 0.92, QFont::Normal);
}

// Height of the header's title and wrapped subtitle for a text column of the given width.
int headerTextHeight(const QFont &base, const QString &subtitle, int width)
{
    const QFontMetrics title(headerTitleFont(base));
    const QFontMetrics sub(headerSubtitleFont(base));
    const QRect bounds =
        sub.boundingRect(QRect(0, 0, std::max(width, 1), 10000), Qt::TextWordWrap, subtitle);
    return title.height() + kHeaderTextSpacing + bounds.height();
}

int headerTextWidth(int rowWidth)
{
    return rowWidth - 2 * kRowPadding - kBadgeSide - kHeaderSpacing;
}

void drawSymbol(QPainter *painter, const QModelIndex &index, const QRect &target)
{
    const QImage image =
        IconLibrary::render(index.data(CatalogueModel::SymbolRole).toString(),
                            target.size() * painter->device()->devicePixelRatio(),
                            index.data(CatalogueModel::PrimaryColorRole).value<QColor>(),
                            index.data(CatalogueModel::SecondaryColorRole).value<QColor>());
    painter->drawImage(target, image);
}

} // namespace

QSize CatalogueDelegate::sizeHint(const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const QFontMetrics metrics(option.font);
    switch (CatalogueModel::kind(index)) {
    case CatalogueModel::Kind::Header: {
        const int rowWidth = option.widget ? option.widget->width() : 200;
        const int text =
            headerTextHeight(option.font, index.data(CatalogueModel::SubtitleRole).toString(),
                             headerTextWidth(rowWidth));
        return {kBadgeSide + 2 * kRowPadding, std::max(kBadgeSide, text) + 3 * kRowPadding};
    }
    case CatalogueModel::Kind::Section:
        return {metrics.horizontalAdvance(index.data().toString()),
                metrics.height() + 2 * kRowPadding + 6};
    case CatalogueModel::Kind::Tool:
        break;
    }
    return {kToolIconSize + metrics.horizontalAdvance(index.data().toString()) + 4 * kRowPadding,
            std::max(kToolIconSize, metrics.height()) + 2 * kRowPadding};
}

void CatalogueDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    switch (CatalogueModel::kind(index)) {
    case CatalogueModel::Kind::Header:
        paintHeader(painter, option, index);
        break;
    case CatalogueModel::Kind::Section:
        paintSection(painter, option, index);
        break;
    case CatalogueModel::Kind::Tool:
        paintTool(painter, option, index);
        break;
    }
    painter->restore();
}

void CatalogueDelegate::paintHeader(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const QRect area = option.rect.adjusted(kRowPadding, kRowPadding, -kRowPadding, -kRowPadding);
    const QRectF badge(area.left() + 0.5, area.center().y() - kBadgeSide / 2.0 + 0.5,
                       kBadgeSide - 1, kBadgeSide - 1);

    // A thin frosted square: faint white fill, white outline at 12 %.
    QPainterPath path;
    path.addRoundedRect(badge, kBadgeRadius, kBadgeRadius);
    painter->fillPath(path, QColor(255, 255, 255, 20));
    painter->setPen(QPen(withAlpha(Qt::white, 0.12), 1));
    painter->drawPath(path);

    const QRect symbol(QPoint(0, 0), QSize(kBadgeSymbolSize, kBadgeSymbolSize));
    drawSymbol(painter, index, symbol.translated(badge.center().toPoint() - symbol.center()));

    const QFont titleFont = headerTitleFont(option.font);
    const QFont subtitleFont = headerSubtitleFont(option.font);
    const int titleHeight = QFontMetrics(titleFont).height();
    const QString subtitle = index.data(CatalogueModel::SubtitleRole).toString();
    const int textLeft = int(badge.right()) + kHeaderSpacing;
    const int textWidth = headerTextWidth(option.rect.width());
    const int blockHeight = headerTextHeight(option.font, subtitle, textWidth);
    const int top = area.center().y() - blockHeight / 2;

    painter->setFont(titleFont);
    painter->setPen(option.palette.color(QPalette::WindowText));
    painter->drawText(QRect(textLeft, top, textWidth, titleHeight),
                      Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    painter->setFont(subtitleFont);
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    painter->drawText(QRect(textLeft, top + titleHeight + kHeaderTextSpacing, textWidth,
                            blockHeight - titleHeight - kHeaderTextSpacing),
                      Qt::AlignLeft | Qt::TextWordWrap, subtitle);
}

void CatalogueDelegate::paintSection(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    QFont font = scaledFont(option.font, 0.85, QFont::DemiBold);
    painter->setFont(font);
    painter->setPen(option.palette.color(QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(kRowPadding, kRowPadding + 6, -kRowPadding, 0),
                      Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
}

void CatalogueDelegate::paintTool(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    const bool enabled = option.state.testFlag(QStyle::State_Enabled);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    const QRectF row = QRectF(option.rect).adjusted(4, 1, -4, -1);

    if (selected || (hovered && enabled)) {
        QColor fill = option.palette.color(QPalette::Highlight);
        fill.setAlphaF(selected ? 0.55f : 0.18f);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(row, 6, 6);
    }
    // The list has the keyboard and this is its current row: a ring light enough to stand out
    // from the selection's fill as well as from the sidebar.
    if (option.state.testFlag(QStyle::State_HasFocus) && enabled) {
        painter->setPen(QPen(focusRingColor(option.palette), kFocusRingWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(row.adjusted(1, 1, -1, -1), 6, 6);
    }

    painter->setOpacity(enabled ? 1.0 : 0.38);
    const QRect icon(option.rect.left() + 2 * kRowPadding,
                     option.rect.center().y() - kToolIconSize / 2, kToolIconSize, kToolIconSize);
    drawSymbol(painter, index, icon);

    const int textLeft = icon.right() + 1 + kRowPadding + 2;
    painter->setFont(option.font);
    painter->setPen(
        option.palette.color(selected ? QPalette::HighlightedText : QPalette::WindowText));
    painter->drawText(
        QRect(textLeft, option.rect.top(), option.rect.right() - textLeft, option.rect.height()),
        Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
}

} // namespace hb
