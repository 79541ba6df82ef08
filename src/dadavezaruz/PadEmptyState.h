#pragma once

#include <QWidget>

namespace hb {

// What the pad shows while it has no page: a symbol, "No pages yet" and a button to add one.
class PadEmptyState : public QWidget {
    Q_OBJECT

public:
    // `symbolColor` draws the symbol: the screen's colour for secondary text.
    explicit PadEmptyState(const QColor &symbolColor, QWidget *parent = nullptr);

Q_SIGNALS:
    void addPageClicked();
};

} // namespace hb
