#include "common/ToggleSwitch.h"

#include <QPainter>

namespace hb {
namespace {

constexpr qreal kTrackWidth = 38;
constexpr qreal kTrackHeight = 22;
constexpr qreal kKnobInset = 3;
constexpr int kTextGap = 16;

} // namespace

ToggleSwitch::ToggleSwitch(const QString &text, QWidget *parent) : QAbstractButton(parent)
{
    setText(text);
    setCheckable(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize ToggleSwitch::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    return {metrics.horizontalAdvance(text()) + kTextGap + int(kTrackWidth) + 4,
            std::max(metrics.height(), int(kTrackHeight) + 4)};
}

QRectF ToggleSwitch::trackRect() const
{
    return {width() - kTrackWidth - 2, (height() - kTrackHeight) / 2, kTrackWidth, kTrackHeight};
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = trackRect();

    const QRect textArea(0, 0, int(track.left()) - kTextGap, height());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, textArea.width()));

    QColor off = palette().color(QPalette::WindowText);
    off.setAlpha(70);
    QColor on = palette().color(QPalette::Highlight);
    if (!isEnabled()) {
        on.setAlpha(110);
        off.setAlpha(35);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? on : off);
    painter.drawRoundedRect(track, track.height() / 2, track.height() / 2);

    const qreal knob = track.height() - 2 * kKnobInset;
    const qreal knobLeft =
        isChecked() ? track.right() - kKnobInset - knob : track.left() + kKnobInset;
    painter.setBrush(isEnabled() ? QColor(Qt::white) : QColor(200, 200, 200));
    painter.drawEllipse(QRectF(knobLeft, track.top() + kKnobInset, knob, knob));

    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight).lighter(140), 1.5));
        painter.setBrush(Qt::NoBrush);
        const QRectF ring = track.adjusted(-1.5, -1.5, 1.5, 1.5);
        painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
}

} // namespace hb
