#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QImage>
#include <QRectF>

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

    ShortcutButtonCell() = delete;

    static QColor feedbackColor();
    static QColor badgeColor();

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

private:
    static void paintButton(QPainter &painter, const QRectF &rect, const ShortcutButton &button,
                            qreal pressed, const QImage &image);
};

} // namespace hb
