#pragma once

#include <QTimer>
#include <QWidget>

namespace hb {

// A small spinning arc, shown while something loads.
class LoadingIndicator : public QWidget {
    Q_OBJECT

public:
    explicit LoadingIndicator(QWidget *parent = nullptr);

    bool isRunning() const { return m_timer.isActive(); }
    // Shows and spins it, or stops and hides it.
    void setRunning(bool running);

    QSize sizeHint() const override { return {32, 32}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer m_timer;
    int m_angle = 0;
};

} // namespace hb
