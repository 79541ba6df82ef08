#pragma once

#include <QColor>
#include <QGradientStops>
#include <QImage>
#include <QWidget>

namespace hb {

// A full-bleed linear gradient from the top-left to the bottom-right corner, drawn behind a
// screen's content. Children keep their own backgrounds hidden so the gradient shows through.
class Backdrop : public QWidget {
    Q_OBJECT

public:
    // The two dark opening colours shared by the catalogue and most screens.
    static QColor deepNavy();
    static QColor nightBlue();

    // The catalogue's stops: the two opening colours, then the window background colour.
    static QGradientStops standardStops(const QColor &windowBackground);

    // With no stops given, the standard stops over the widget's own window colour are used.
    explicit Backdrop(QWidget *parent = nullptr);
    Backdrop(const QGradientStops &stops, QWidget *parent = nullptr);

    // Fills `screen` with a backdrop behind `content`, which scrolls when the screen is too
    // small; the backdrop shows through the scroll area and the content. Tab goes round the
    // content's controls, which scroll into view.
    static Backdrop *fillWithScrolling(QWidget *screen, QWidget *content);

    QGradientStops stops() const;
    void setStops(const QGradientStops &stops);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QGradientStops m_stops;
    // The gradient drawn once per size and stops: screens that animate in front of it (the
    // games) repaint it every frame, and a gradient fill is far slower than a copy.
    QImage m_cache;
    QGradientStops m_cacheStops;
};

} // namespace hb
