#include "calibration/MonitorCalibrationFullScreenWindow.h"

#include "calibration/MonitorCalibrationPatternView.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

namespace hb {

MonitorCalibrationFullScreenWindow::MonitorCalibrationFullScreenWindow(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_pattern(new MonitorCalibrationPatternView(this))
{
    setWindowTitle(QStringLiteral("Monitor Calibration"));
    m_pattern->setFramed(false);
    m_pattern->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pattern);
    setCursor(Qt::BlankCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void MonitorCalibrationFullScreenWindow::showOn(QScreen *screen)
{
    if (screen) {
        // Leave full screen first, or the window manager keeps it on its current display.
        if (isFullScreen())
            showNormal();
        setScreen(screen);
        setGeometry(screen->geometry());
    }
    showFullScreen();
    raise();
    activateWindow();
}

void MonitorCalibrationFullScreenWindow::setStep(MonitorCalibrationStep step)
{
    m_pattern->setStep(step);
}

MonitorCalibrationStep MonitorCalibrationFullScreenWindow::step() const
{
    return m_pattern->step();
}

void MonitorCalibrationFullScreenWindow::setRange(MonitorCalibrationPatternPainter::Range range)
{
    m_pattern->setRange(range);
}

void MonitorCalibrationFullScreenWindow::setMeasurePatch(
    const std::optional<MonitorCalibrationPatch> &patch, MonitorCalibrationPatchArea area)
{
    m_pattern->setMeasurePatch(patch, area);
}

void MonitorCalibrationFullScreenWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        Q_EMIT leaveRequested();
        return;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        Q_EMIT previousRequested();
        return;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        Q_EMIT nextRequested();
        return;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT measureRequested();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void MonitorCalibrationFullScreenWindow::mousePressEvent(QMouseEvent *)
{
    Q_EMIT leaveRequested();
}

void MonitorCalibrationFullScreenWindow::closeEvent(QCloseEvent *event)
{
    // Closed by the window manager: the screen turns full screen off and hides the window.
    event->ignore();
    Q_EMIT leaveRequested();
}

} // namespace hb
