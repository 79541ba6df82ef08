#pragma once

#include <QPen>
#include <QPixmap>
#include <QRasterWindow>

namespace hb {

// The loading indicator's picture: a white arc going round on a dark plate, in a small window
// of its own inside the application's window. It paints with its own backing store, so a frame
// costs the drawing of its few pixels and nothing else; the pens and the plate are prepared once
// for its size.
class SpinnerWindow : public QRasterWindow {
    Q_OBJECT

public:
    SpinnerWindow();

    int angle() const { return m_angle; }
    // Turns the arc on by `degrees` and asks for a frame.
    void advance(int degrees);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int m_angle = 0;
    QPixmap m_plate;
    QPen m_arcPen;
    QRectF m_ring;
};

} // namespace hb
