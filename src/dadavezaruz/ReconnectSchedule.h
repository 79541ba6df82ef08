#pragma once

#include <QObject>
#include <QTimer>

namespace hb {

// When to try a lost connection again: after 1, 2, 4 … 30 seconds, doubling with each loss,
// counted down a second at a time so that the wait can be shown.
class ReconnectSchedule : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxDelay = 30; // seconds

    explicit ReconnectSchedule(QObject *parent = nullptr);

    // Seconds until the next attempt, 0 when none is planned.
    int delay() const { return m_delay; }

    // Plans the next attempt after the current back-off and doubles the back-off for the one
    // after; a countdown under way starts again.
    void schedule();
    // Drops a planned attempt; the next loss waits 1 second again.
    void cancel();
    // The next loss waits 1 second again; an attempt already planned stays.
    void resetBackoff() { m_nextDelay = 1; }

    // How long one second of the countdown lasts; tests shorten it.
    void setTickInterval(int msec) { m_timer.setInterval(msec); }

Q_SIGNALS:
    void delayChanged();
    // The countdown reached 0: time for the attempt.
    void due();

private:
    void tick();
    void setDelay(int seconds);

    int m_nextDelay = 1;
    int m_delay = 0;
    QTimer m_timer; // one tick a second while an attempt is planned
};

} // namespace hb
