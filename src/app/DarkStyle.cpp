#include "app/DarkStyle.h"

#include <QPainter>
#include <QStyleOption>

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

constexpr qreal kFieldCornerRadius = 2;
// A fill this far from the window's colour marks a button by itself.
constexpr double kDistinctFill = 3.0;

double luminance(const QColor &color)
{
    auto channel = [](float value) {
        return value <= 0.04045f ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

// The WCAG contrast ratio of two colours, from 1 (the same) to 21 (black and white).
double contrastRatio(const QColor &a, const QColor &b)
{
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)}); // by value
    return (light + 0.05) / (dark + 0.05);
}

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

void DarkStyle::drawFocusRing(const QStyleOption &option, QPainter &painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(focusEdgeColor(option.palette), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(option.rect).adjusted(1, 1, -1, -1), kFieldCornerRadius + 1,
                            kFieldCornerRadius + 1);
    painter.restore();
}

void DarkStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                              QPainter *painter, const QWidget *widget) const
{
    if (element == PE_FrameFocusRect && option && painter) {
        drawFocusRing(*option, *painter);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
    if (!option || !painter)
        return;
    if (element == PE_FrameLineEdit)
        drawFieldEdge(*option, *painter);
    // A plain button is a shade of the window: its edge alone says where it is. Coloured
    // (accent) buttons stand out by their fill and keep Fusion's edge.
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element == PE_PanelButtonCommand && button &&
        !button->features.testFlag(QStyleOptionButton::Flat) &&
        contrastRatio(option->palette.color(QPalette::Button),
                      option->palette.color(QPalette::Window)) < kDistinctFill)
        drawFieldEdge(*option, *painter);
}

void DarkStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                            const QWidget *widget) const
{
    QProxyStyle::drawControl(element, option, painter, widget);
    // Fusion shows a push button's focus in its bevel, which a flat button does not draw.
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element == CE_PushButton && button && painter &&
        button->features.testFlag(QStyleOptionButton::Flat) &&
        button->state.testFlag(State_HasFocus) && button->state.testFlag(State_KeyboardFocusChange))
        drawFocusRing(*option, *painter);
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
