#include "dadavezaruz-server/TypingQueue.h"

namespace hb {

bool TypingQueue::push(Press press)
{
    if (press.keys.isEmpty() || m_waiting + press.keys.size() > kMaxWaiting)
        return false;
    m_waiting += press.keys.size();
    m_presses.append(std::move(press));
    return true;
}

std::optional<TypingQueue::Step> TypingQueue::take()
{
    if (m_presses.isEmpty())
        return std::nullopt;
    const Press &press = m_presses.constFirst();
    Step step{press.keys.at(m_next), press.appTarget, m_next == 0, press.delayMs};
    --m_waiting;
    if (++m_next == press.keys.size()) {
        step.pauseAfterMs = -1;
        m_presses.removeFirst();
        m_next = 0;
    }
    return step;
}

void TypingQueue::dropCurrent()
{
    if (m_presses.isEmpty() || m_next == 0)
        return;
    m_waiting -= m_presses.constFirst().keys.size() - m_next;
    m_presses.removeFirst();
    m_next = 0;
}

void TypingQueue::clear()
{
    m_presses.clear();
    m_next = 0;
    m_waiting = 0;
}

} // namespace hb
