#include "app/DarkAppearance.h"

#include "app/DarkStyle.h"

#include <QApplication>
#include <QPalette>

namespace hb {

void applyDarkAppearance(QApplication &application)
{
    application.setStyle(new DarkStyle); // the application owns its style

    const QColor window(30, 31, 36);
    const QColor base(22, 23, 28);
    const QColor text(235, 236, 240);
    const QColor secondaryText(150, 153, 165);
    const QColor accent(107, 92, 231); // #6B5CE7

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, secondaryText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(44, 46, 54));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, QColor(252, 68, 68));
    palette.setColor(QPalette::Light, QColor(70, 72, 82));
    palette.setColor(QPalette::Midlight, QColor(56, 58, 66));
    palette.setColor(QPalette::Mid, QColor(40, 42, 48));
    palette.setColor(QPalette::Dark, QColor(16, 17, 20));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(24, 211, 188)); // #18D3BC
    palette.setColor(QPalette::LinkVisited, accent.lighter(130));

    const QColor disabledText(110, 112, 122);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, QColor(60, 62, 70));

    application.setPalette(palette);
}

} // namespace hb
