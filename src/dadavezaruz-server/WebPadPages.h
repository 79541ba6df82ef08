#pragma once

#include <QList>
#include <QString>

namespace hb {

// What the web pad shows: the pad's pages in tab order, each with its buttons on a 4 x 4 grid.
struct WebPadButton {
    qint64 id = 0;
    QString label;
    QString symbol;
    QString color; // "#RRGGBB"
    int row = 0;   // 0-based
    int col = 0;
    QString imageHash; // SHA-256 of the custom image's bytes in hex; empty: none
    bool sendsKeys = true;
    bool isToggle = false; // a two-state button; `on` is the state shown
    bool on = false;

    friend bool operator==(const WebPadButton &, const WebPadButton &) = default;
};

struct WebPadPage {
    qint64 id = 0;
    QString name;
    QList<WebPadButton> buttons;

    friend bool operator==(const WebPadPage &, const WebPadPage &) = default;
};

} // namespace hb
