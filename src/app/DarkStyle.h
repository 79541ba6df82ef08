#pragma once

#include <QProxyStyle>

namespace hb {

// Fusion with the edges of input fields (line edits, spin boxes, combo boxes) and plain push
// buttons drawn light enough to see: Fusion darkens the window colour for them, which on a dark
// window leaves an edge all but invisible. A control with the keyboard focus gets the accent's
// ring.
class DarkStyle : public QProxyStyle {
    Q_OBJECT

public:
    DarkStyle();

    // The edge of a field at rest: about 4:1 against the dark window and backdrops.
    static QColor fieldEdgeColor();
    // The edge of the field that has the keyboard focus, from the palette's accent.
    static QColor focusEdgeColor(const QPalette &palette);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget = nullptr) const override;

private:
    static void drawFieldEdge(const QStyleOption &option, QPainter &painter);
    // Fusion's focus frame is a faint tint; on the dark window keyboard users need a ring.
    static void drawFocusRing(const QStyleOption &option, QPainter &painter);
};

} // namespace hb
