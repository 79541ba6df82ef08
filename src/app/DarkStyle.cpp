#include "app/DarkStyle.h"

#include <QPainter>
#include <QStyleOption>

namespace hb {
namespace {

constexpr qreal kFieldCornerRadius = 2;

} // namespace

DarkStyle::DarkStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

QColor DarkStyle::fieldEdgeColor()
{
    return {0x7A, 0x7D, 0x8C};
}

QColor DarkStyle::focusEdgeColor(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight).lighter(150);
}

void DarkStyle::drawFieldEdge(const QStyleOption &option, QPainter &painter)
{
    const bool focused = option.state.testFlag(State_HasFocus);
    const bool enabled = option.state.testFlag(State_Enabled);
    QColor edge = focused ? focusEdgeColor(option.palette) : fieldEdgeColor();
    if (!enabled)
        edge.setAlphaF(0.5f);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5), kFieldCornerRadius,
                            kFieldCornerRadius);
    painter.restore();
}

void DarkStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                              QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (element == PE_FrameLineEdit && option && painter)
        drawFieldEdge(*option, *painter);
}

void DarkStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                   QPainter *painter, const QWidget *widget) const
{
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (!option || !painter)
        return;
    bool framed = false;
    if (const auto *spin = qstyleoption_cast<const QStyleOptionSpinBox *>(option))
        framed = control == CC_SpinBox && spin->frame;
    else if (const auto *combo = qstyleoption_cast<const QStyleOptionComboBox *>(option))
        framed = control == CC_ComboBox && combo->frame;
    if (framed)
        drawFieldEdge(*option, *painter);
}

} // namespace hb
