#include "dadavezaruz/ReconnectSchedule.h"

#include <algorithm>

namespace hb {

ReconnectSchedule::ReconnectSchedule(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &ReconnectSchedule::tick);
}

void ReconnectSchedule::schedule()
{
    const int delay = m_nextDelay;
    m_nextDelay = std::min(delay * 2, kMaxDelay);
    setDelay(delay);
    m_timer.start();
}

void ReconnectSchedule::cancel()
{
    m_timer.stop();
    m_nextDelay = 1;
    setDelay(0);
}

void ReconnectSchedule::tick()
{
    setDelay(m_delay - 1);
    if (m_delay > 0)
        return;
    m_timer.stop();
    Q_EMIT due();
}

void ReconnectSchedule::setDelay(int seconds)
{
    if (seconds == m_delay)
        return;
    m_delay = seconds;
    Q_EMIT delayChanged();
}

} // namespace hb
