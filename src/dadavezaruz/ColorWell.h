#pragma once

#include <QToolButton>

namespace hb {

// A flat button that shows a colour as a rounded swatch; clicking it is how a colour is picked.
class ColorWell : public QToolButton {
    Q_OBJECT

public:
    // `name` is the well's tooltip and accessible name.
    explicit ColorWell(const QString &name, QWidget *parent = nullptr);

    void setColor(const QColor &color);
};

} // namespace hb
