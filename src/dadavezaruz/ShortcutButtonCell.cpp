#include "dadavezaruz/ShortcutButtonCell.h"

#include "common/ColorHex.h"
#include "common/IconLibrary.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

constexpr qreal kImageShare = 0.45;
constexpr qreal kSymbolShare = 0.28;
constexpr qreal kLabelShare = 0.16;
// The label's starting size never goes below this; fitting may shrink it further.
constexpr int kLabelStartSmallest = 14;
constexpr qreal kContentGapShare = 0.06;
// The corner mark of a two-state button or a sequence.
constexpr int kMarkPixelSize = 10;
constexpr qreal kMarkPadding = 4;
constexpr qreal kMarkHeight = 15;
constexpr qreal kLabelMargin = 6;
// Below this side there is no room for anything but the tile itself.
constexpr qreal kSmallestContentSide = 24;
// A button cut for moving: how much the backdrop dims it, and its dashed outline.
constexpr float kCutDimAlpha = 0.6f;
constexpr float kCutOutlineAlpha = 0.9f;
constexpr qreal kCutOutlineWidth = 2;

constexpr float kFillAlpha = 0.15f;
constexpr float kOutlineAlpha = 0.40f;
constexpr float kInnerShadowAlpha = 0.06f;
constexpr qreal kInnerShadowWidth = 6;
constexpr float kEmptyOutlineAlpha = 0.06f;
constexpr float kEmptyFillEditAlpha = 0.05f;
constexpr float kEmptyFillAlpha = 0.03f;

QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}

QColor white(float alpha)
{
    return QColor::fromRgbF(1, 1, 1, alpha);
}

// The faint grey of the least important marks.
QColor tertiaryColor()
{
    return QColor::fromRgbF(0.92f, 0.92f, 0.96f, 0.3f);
}

QPainterPath roundedSquare(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    return path;
}

void drawIcon(QPainter &painter, const QRectF &target, const QString &symbol, const QColor &color,
              const QColor &secondary)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const int pixels = std::max(1, int(std::ceil(target.width() * ratio)));
    painter.drawImage(target, IconLibrary::render(symbol, QSize(pixels, pixels), color, secondary));
}

void drawIcon(QPainter &painter, const QRectF &target, const QString &symbol, const QColor &color)
{
    drawIcon(painter, target, symbol, color, IconLibrary::monochromeSecondary(color));
}

QFont labelFont(const QFont &base, int pixelSize)
{
    QFont font = base;
    font.setWeight(QFont::DemiBold);
    font.setPixelSize(pixelSize);
    return font;
}

// The label broken into two lines between words, the break chosen so that the longer line is
// as short as it can be; empty when the label is one word.
QStringList twoLines(const QString &label, const QFontMetricsF &metrics)
{
    const QStringList words = label.simplified().split(u' ');
    QStringList best;
    qreal bestWidth = 0;
    for (qsizetype split = 1; split < words.size(); ++split) {
        const QStringList lines{words.first(split).join(u' '), words.sliced(split).join(u' ')};
        const qreal width =
            std::max(metrics.horizontalAdvance(lines[0]), metrics.horizontalAdvance(lines[1]));
        if (best.isEmpty() || width < bestWidth) {
            best = lines;
            bestWidth = width;
        }
    }
    return best;
}

bool fitsIn(const QStringList &lines, const QFontMetricsF &metrics, qreal width)
{
    return std::ranges::all_of(
        lines, [&](const QString &line) { return metrics.horizontalAdvance(line) <= width; });
}

} // namespace

int ShortcutButtonCell::labelSizeFor(qreal side)
{
    return int(std::lround(
        std::clamp(side * kLabelShare, qreal(kLabelStartSmallest), qreal(kLabelLargest))));
}

qreal ShortcutButtonCell::labelWidth(qreal side)
{
    return side - 2 * kLabelMargin;
}

ShortcutButtonCell::LabelFit ShortcutButtonCell::fitLabel(const QString &label, const QFont &base,
                                                          qreal side)
{
    return fitLabel(label, base, labelSizeFor(side), labelWidth(side));
}

ShortcutButtonCell::LabelFit ShortcutButtonCell::fitLabel(const QString &label, const QFont &base,
                                                          int largestPixelSize, qreal width)
{
    const int largest = std::max(largestPixelSize, kLabelSmallest);
    const QString text = label.simplified();
    for (int size = largest; size >= std::min(largest, kLabelSingleLineSmallest); --size) {
        const QFont font = labelFont(base, size);
        if (fitsIn({text}, QFontMetricsF(font), width))
            return {font, {text}, false};
    }
    for (int size = largest; size >= kLabelSmallest; --size) {
        const QFont font = labelFont(base, size);
        const QFontMetricsF metrics(font);
        const QStringList lines = twoLines(text, metrics);
        if (!lines.isEmpty() && fitsIn(lines, metrics, width))
            return {font, lines, false};
    }
    // Too long even at the smallest size: what still overflows a line is cut short.
    const QFont font = labelFont(base, kLabelSmallest);
    const QFontMetricsF metrics(font);
    QStringList lines = twoLines(text, metrics);
    if (lines.isEmpty())
        lines = {text};
    for (QString &line : lines)
        line = metrics.elidedText(line, Qt::ElideRight, width);
    return {font, lines, true};
}

QColor ShortcutButtonCell::feedbackColor()
{
    return colorFromHex(u"#18D3BC"_s);
}

QColor ShortcutButtonCell::badgeColor()
{
    return colorFromHex(u"#6B5CE7"_s);
}

ShortcutButtonCell::Mark ShortcutButtonCell::mark(const ShortcutButton &button)
{
    if (button.isToggle)
        return {button.toggledOn ? u"ON"_s : u"OFF"_s, button.toggledOn};
    const qsizetype keys = button.keysToSend().size();
    if (keys > 1)
        return {u"1\u2192%1"_s.arg(keys), false};
    return {};
}

QString ShortcutButtonCell::stateText(const ShortcutButton &button)
{
    if (button.isToggle)
        return button.toggledOn ? u"on"_s : u"off"_s;
    const qsizetype keys = button.keysToSend().size();
    return keys > 1 ? u"types %1 keys"_s.arg(keys) : QString();
}

QImage ShortcutButtonCell::thumbnail(const QByteArray &data)
{
    const QImage image = QImage::fromData(data);
    if (image.isNull())
        return {};
    const int side = std::min(image.width(), image.height());
    QImage square = image.copy((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    if (side <= kThumbnailMaxSide)
        return square;
    return square.scaled(kThumbnailMaxSide, kThumbnailMaxSide, Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
}

void ShortcutButtonCell::paint(QPainter &painter, const QRectF &rect,
                               const std::optional<ShortcutButton> &button, bool editMode,
                               qreal pressed, const QImage &image)
{
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    if (!button) {
        painter.setPen(QPen(white(kEmptyOutlineAlpha), 1));
        painter.setBrush(white(editMode ? kEmptyFillEditAlpha : kEmptyFillAlpha));
        painter.drawPath(roundedSquare(rect, kCornerRadius));
        if (editMode && rect.width() >= kSmallestContentSide) {
            const qreal side = rect.width() * kSymbolShare;
            drawIcon(painter, QRectF(rect.center() - QPointF(side, side) / 2, QSizeF(side, side)),
                     u"plus.circle.fill"_s, tertiaryColor());
        }
        painter.restore();
        return;
    }

    // The press shrinks the whole tile about its centre.
    const qreal scale = 1 - (1 - kPressedScale) * pressed;
    painter.translate(rect.center());
    painter.scale(scale, scale);
    painter.translate(-rect.center());
    paintButton(painter, rect, *button, pressed, image);
    if (editMode) {
        const QRectF badge(rect.right() - kBadgeInset - kBadgeSize, rect.top() + kBadgeInset,
                           kBadgeSize, kBadgeSize);
        // A solid disc with a light slanted pencil stays readable over any tile at this size,
        // where the circled icon's upright pencil reads as a letter.
        painter.setPen(Qt::NoPen);
        painter.setBrush(badgeColor());
        painter.drawEllipse(badge);
        const qreal inset = kBadgeSize * 0.2;
        drawIcon(painter, badge.adjusted(inset, inset, -inset, -inset), u"pencil"_s, Qt::white,
                 Qt::white);
    }
    painter.restore();
}

void ShortcutButtonCell::paintCutMark(QPainter &painter, const QRectF &rect)
{
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::NoPen);
    // The pad's own dark backdrop over the tile, so that the button reads as lifted out.
    painter.setBrush(QColor::fromRgbF(0.04f, 0.05f, 0.10f, kCutDimAlpha));
    painter.drawPath(roundedSquare(rect, kCornerRadius));
    QPen dashes(white(kCutOutlineAlpha), kCutOutlineWidth, Qt::CustomDashLine);
    dashes.setDashPattern({3, 2});
    const qreal inset = kCutOutlineWidth / 2;
    painter.strokePath(
        roundedSquare(rect.adjusted(inset, inset, -inset, -inset), kCornerRadius - inset), dashes);
    if (rect.width() >= kSmallestContentSide) {
        const QRectF corner(rect.left() + kBadgeInset, rect.bottom() - kBadgeInset - kBadgeSize,
                            kBadgeSize, kBadgeSize);
        drawIcon(painter, corner, u"scissors"_s, white(kCutOutlineAlpha));
    }
    painter.restore();
}

void ShortcutButtonCell::paintButton(QPainter &painter, const QRectF &rect,
                                     const ShortcutButton &button, qreal pressed,
                                     const QImage &image)
{
    const QColor color = colorFromHex(button.shownColorHex());
    const QPainterPath tile = roundedSquare(rect, kCornerRadius);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(color, kFillAlpha));
    painter.drawPath(tile);

    // A soft light edge inside the tile: a wide stroke of which only the inner half shows.
    painter.save();
    painter.setClipPath(tile);
    painter.strokePath(tile, QPen(white(kInnerShadowAlpha), kInnerShadowWidth));
    painter.restore();

    painter.strokePath(tile, QPen(withAlpha(color, kOutlineAlpha), 1));
    if (pressed > 0) {
        const float strength = float(std::min<qreal>(1, pressed));
        painter.strokePath(tile, QPen(withAlpha(feedbackColor(), strength), 2));
    }

    const qreal side = rect.width();
    if (side < kSmallestContentSide)
        return;
    const LabelFit label = fitLabel(button.shownLabel(), painter.font(), side);
    const QFontMetricsF metrics(label.font);
    const qreal labelHeight =
        metrics.height() + qreal(label.lines.size() - 1) * metrics.lineSpacing();
    const qreal visual = side * (image.isNull() ? kSymbolShare : kImageShare);
    const qreal gap = side * kContentGapShare;
    const qreal top = rect.center().y() - (visual + gap + labelHeight) / 2;
    const QRectF visualRect(rect.center().x() - visual / 2, top, visual, visual);

    if (image.isNull()) {
        drawIcon(painter, visualRect, button.sfSymbol, color);
    } else {
        painter.save();
        painter.setClipPath(roundedSquare(visualRect, kImageCornerRadius), Qt::IntersectClip);
        painter.drawImage(visualRect, image);
        painter.restore();
    }

    painter.setFont(label.font);
    painter.setPen(Qt::white);
    qreal lineTop = visualRect.bottom() + gap;
    for (const QString &line : label.lines) {
        painter.drawText(
            QRectF(rect.left() + kLabelMargin, lineTop, labelWidth(side), metrics.height()),
            Qt::AlignHCenter | Qt::AlignTop, line);
        lineTop += metrics.lineSpacing();
    }
    paintMark(painter, rect, button);
}

// A small pill in the top-left corner, clear of the edit badge on the right: white text on a dark
// veil, which reads over any tile colour, or dark text on white for a two-state button that is
// on.
void ShortcutButtonCell::paintMark(QPainter &painter, const QRectF &rect,
                                   const ShortcutButton &button)
{
    const Mark shown = mark(button);
    if (shown.text.isEmpty())
        return;
    QFont font = painter.font();
    font.setWeight(QFont::Bold);
    font.setPixelSize(kMarkPixelSize);
    const qreal width = QFontMetricsF(font).horizontalAdvance(shown.text) + 2 * kMarkPadding;
    const QRectF pill(rect.left() + kBadgeInset + 2, rect.top() + kBadgeInset + 2, width,
                      kMarkHeight);
    painter.save();
    painter.setPen(QPen(white(0.85f), 1));
    painter.setBrush(shown.filled ? white(0.95f) : QColor::fromRgbF(0, 0, 0, 0.55f));
    painter.drawRoundedRect(pill, kMarkHeight / 2, kMarkHeight / 2);
    painter.setFont(font);
    painter.setPen(shown.filled ? QColor(Qt::black) : QColor(Qt::white));
    painter.drawText(pill, Qt::AlignCenter, shown.text);
    painter.restore();
}

} // namespace hb
