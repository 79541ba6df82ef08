#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QStringList>

#include <optional>

class QPainter;

namespace hb {

// Draws one cell of the pad: a button (tinted rounded square with its image or symbol and its
// label) or an empty place. Pure painting, so a cell can be drawn into an image as well as a
// widget.
class ShortcutButtonCell {
public:
    static constexpr qreal kCornerRadius = 14;
    static constexpr qreal kImageCornerRadius = 8;
    static constexpr qreal kPressedScale = 0.93;
    static constexpr int kBadgeSize = 18;
    static constexpr qreal kBadgeInset = 4;
    // Longest side of a decoded custom image; larger pictures are scaled down once.
    static constexpr int kThumbnailMaxSide = 512;

    // Label text sizes in pixels: the largest, the smallest a single line may shrink to before
    // the label wraps, and the smallest of all.
    static constexpr int kLabelLargest = 17;
    static constexpr int kLabelSingleLineSmallest = 13;
    static constexpr int kLabelSmallest = 10;

    // How a label is set in a given width: on one line when it fits at a size no smaller than
    // kLabelSingleLineSmallest, else on two lines broken between words, shrinking down to
    // kLabelSmallest. Only a label that fits no other way is elided.
    struct LabelFit {
        QFont font;
        QStringList lines; // one or two
        bool elided = false;
    };

    ShortcutButtonCell() = delete;

    // The label's size follows the cell's: the largest size for a cell of `side` pixels.
    static int labelSizeFor(qreal side);
    static LabelFit fitLabel(const QString &label, const QFont &base, int largestPixelSize,
                             qreal width);
    // The width of a cell's label and the label as painted into a cell of that side.
    static qreal labelWidth(qreal side);
    static LabelFit fitLabel(const QString &label, const QFont &base, qreal side);

    static QColor feedbackColor();
    static QColor badgeColor();

    // The small mark in a tile's top-left corner: "ON" (filled) or "OFF" (outlined) for a
    // two-state button, "1→N" for a sequence of N combinations; empty text for a plain button.
    struct Mark {
        QString text;
        bool filled = false;

        friend bool operator==(const Mark &, const Mark &) = default;
    };
    static Mark mark(const ShortcutButton &button);
    // What assistive technology adds to the label: "on", "off", "types 3 keys"; empty for a
    // plain button.
    static QString stateText(const ShortcutButton &button);

    // Custom image bytes as a square picture ready to draw: cropped to the centre square and
    // scaled down to kThumbnailMaxSide. Null when the bytes are not an image.
    static QImage thumbnail(const QByteArray &data);

    // Paints the cell into `rect` (a square). `pressed` runs from 0 (at rest) to 1 (drawn as
    // pressed: outlined and shrunk), a little past 1 while the press springs. A button with a
    // non-null `image` shows it instead of its symbol; the caller decodes it once with
    // thumbnail().
    static void paint(QPainter &painter, const QRectF &rect,
                      const std::optional<ShortcutButton> &button, bool editMode, qreal pressed,
                      const QImage &image = {});
    // Over a painted button's `rect`: the button is cut for moving elsewhere. Dims the tile and
    // outlines it with dashes, with scissors in the corner the edit badge leaves free.
    static void paintCutMark(QPainter &painter, const QRectF &rect);

private:
    static void paintButton(QPainter &painter, const QRectF &rect, const ShortcutButton &button,
                            qreal pressed, const QImage &image);
    static void paintMark(QPainter &painter, const QRectF &rect, const ShortcutButton &button);
};

} // namespace hb
