#pragma once

#include <QLabel>

namespace hb {

// The large bold title at the top of a screen (and of the catalogue's sidebar).
class ScreenTitle : public QLabel {
    Q_OBJECT

public:
    explicit ScreenTitle(const QString &text, QWidget *parent = nullptr);
};

} // namespace hb
