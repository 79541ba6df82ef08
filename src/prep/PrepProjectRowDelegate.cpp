#include "prep/PrepProjectRowDelegate.h"

#include "prep/PrepClampedLabel.h"
#include "prep/PrepProjectListModel.h"

#include <QAbstractItemView>
#include <QPainter>

namespace hb {
namespace {

constexpr int kPaddingX = 12;
constexpr int kPaddingY = 8;
constexpr int kTextSpacing = 4;
constexpr qreal kCornerRadius = 8;

QFont headlineFont(const QFont &base)
{
    QFont font = base;
    font.setWeight(QFont::DemiBold);
    return font;
}

QFont subheadlineFont(const QFont &base)
{
    QFont font = base;
    font.setPointSizeF(base.pointSizeF() * 0.9);
    return font;
}

int textWidth(const QStyleOptionViewItem &option)
{
    int width = option.rect.width();
    if (const auto *view = qobject_cast<const QAbstractItemView *>(option.widget))
        width = view->viewport()->width();
    return std::max(width - 2 * kPaddingX, 1);
}

QStringList notesLines(const QStyleOptionViewItem &option, const QModelIndex &index)
{
    return PrepClampedLabel::clampedLines(PrepProjectRowDelegate::shownNotes(index),
                                          subheadlineFont(option.font), textWidth(option),
                                          PrepProjectRowDelegate::kNotesLines);
}

} // namespace

QString PrepProjectRowDelegate::shownNotes(const QModelIndex &index)
{
    const QString notes = index.data(PrepProjectListModel::NotesRole).toString();
    return notes.trimmed().isEmpty() ? QString() : notes;
}

QSize PrepProjectRowDelegate::sizeHint(const QStyleOptionViewItem &option,
                                       const QModelIndex &) const
{
    // The same for every row (the list lays out uniform rows): room for the most notes shown.
    const int height = QFontMetrics(headlineFont(option.font)).height() + kTextSpacing +
                       kNotesLines * QFontMetrics(subheadlineFont(option.font)).lineSpacing();
    return {textWidth(option) + 2 * kPaddingX, height + 2 * kPaddingY};
}

void PrepProjectRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPalette &palette = option.palette;
    const QRectF area = QRectF(option.rect).adjusted(2, 1, -2, -1);
    if (option.state & QStyle::State_Selected) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlpha((option.state & QStyle::State_HasFocus) ? 170 : 110);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(area, kCornerRadius, kCornerRadius);
    } else if (option.state & QStyle::State_MouseOver) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(255, 255, 255, 18));
        painter->drawRoundedRect(area, kCornerRadius, kCornerRadius);
    }

    const bool selected = option.state & QStyle::State_Selected;
    const QFont headline = headlineFont(option.font);
    const QFontMetrics headlineMetrics(headline);
    const int width = textWidth(option);
    int y = option.rect.top() + kPaddingY;
    const int x = option.rect.left() + kPaddingX;
    painter->setFont(headline);
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(QRect(x, y, width, headlineMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      headlineMetrics.elidedText(index.data().toString(), Qt::ElideRight, width));
    y += headlineMetrics.height() + kTextSpacing;

    const QFont subheadline = subheadlineFont(option.font);
    const int lineSpacing = QFontMetrics(subheadline).lineSpacing();
    painter->setFont(subheadline);
    painter->setPen(
        palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    for (const QString &line : notesLines(option, index)) {
        painter->drawText(QRect(x, y, width, lineSpacing),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineSpacing;
    }
    painter->restore();
}

} // namespace hb
