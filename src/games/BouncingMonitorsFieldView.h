#pragma once

#include "games/BouncingMonitorsFieldPainter.h"

#include <QWidget>

namespace hb {

class BouncingMonitorsGameScene;

// The play field: a rounded card with a faint white border that shows the scene at the card's
// own size and hands clicks to it. The scene's size follows the widget's.
class BouncingMonitorsFieldView : public QWidget {
    Q_OBJECT

public:
    explicit BouncingMonitorsFieldView(BouncingMonitorsGameScene &scene, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    BouncingMonitorsGameScene &m_scene;
    BouncingMonitorsFieldPainter m_painter;
};

} // namespace hb
