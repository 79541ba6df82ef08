#pragma once

#include "browser/SpinnerWindow.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>

namespace hb {

// A small spinning arc on a dark plate, shown while something loads; the plate keeps it visible
// on light pages as on dark ones.
//
// The widget only holds the place: the arc is drawn in a small window of its own laid over it
// (a SpinnerWindow). Over the browser, whose content is composed into the application's window
// as a texture, every repaint of an ordinary child widget composes that whole window again; the
// spinner's own window repaints just its own square, at a modest rate.
class LoadingIndicator : public QWidget {
    Q_OBJECT

public:
    // About 30 frames a second: smooth enough for a spinner, cheap enough to leave running.
    static constexpr std::chrono::milliseconds kFrameInterval{33};

    explicit LoadingIndicator(QWidget *parent = nullptr);
    ~LoadingIndicator() override;

    bool isRunning() const { return m_timer.isActive(); }
    // Shows and spins it, or stops and hides it.
    void setRunning(bool running);
    std::chrono::milliseconds frameInterval() const { return m_timer.intervalAsDuration(); }
    // The window the arc is drawn in, once the indicator has been shown.
    SpinnerWindow *spinner() const { return m_spinner; }

    QSize sizeHint() const override { return {44, 44}; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Lays the spinner's window over this widget, in whichever window holds it now.
    void placeSpinner();

    QTimer m_timer;
    // Its parent is the application's native window, which may go first.
    QPointer<SpinnerWindow> m_spinner;
};

} // namespace hb
