#include "dadavezaruz-server/FailedAttemptLimiter.h"

#include <algorithm>

namespace hb {

bool FailedAttemptLimiter::isBlocked(const QString &address, qint64 nowMs) const
{
    return retryAfterMs(address, nowMs) > 0;
}

qint64 FailedAttemptLimiter::retryAfterMs(const QString &address, qint64 nowMs) const
{
    const auto it = m_entries.constFind(address);
    if (it == m_entries.constEnd() || !it->blocked)
        return 0;
    return std::max<qint64>(0, it->blockedUntil - nowMs);
}

void FailedAttemptLimiter::recordFailure(const QString &address, qint64 nowMs)
{
    auto it = m_entries.find(address);
    if (it == m_entries.end()) {
        if (m_entries.size() >= kMaxAddresses)
            makeRoom(nowMs);
        it = m_entries.insert(address, Entry{});
    }
    Entry &entry = *it;
    entry.lastSeen = nowMs;
    if (entry.blocked) {
        if (nowMs < entry.blockedUntil)
            return;
        entry.blocked = false;
    }

    // Forget the failures that left the window, then add this one.
    int kept = 0;
    for (int i = 0; i < entry.count; ++i) {
        if (nowMs - entry.failures[i] < kWindowMs)
            entry.failures[kept++] = entry.failures[i];
    }
    entry.failures[kept++] = nowMs;
    entry.count = kept;

    if (entry.count >= kMaxFailures) {
        entry.blocked = true;
        entry.blockedUntil = nowMs + kBlockMs;
        entry.count = 0;
    }
}

void FailedAttemptLimiter::recordSuccess(const QString &address)
{
    m_entries.remove(address);
}

bool FailedAttemptLimiter::carriesNothing(const Entry &entry, qint64 nowMs)
{
    if (entry.blocked && nowMs < entry.blockedUntil)
        return false;
    return std::none_of(entry.failures.begin(), entry.failures.begin() + entry.count,
                        [nowMs](qint64 at) { return nowMs - at < kWindowMs; });
}

void FailedAttemptLimiter::makeRoom(qint64 nowMs)
{
    m_entries.removeIf(
        [nowMs](QHash<QString, Entry>::iterator it) { return carriesNothing(it.value(), nowMs); });
    if (m_entries.size() < kMaxAddresses)
        return;
    auto stalest = m_entries.begin();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->lastSeen < stalest->lastSeen)
            stalest = it;
    }
    m_entries.erase(stalest);
}

} // namespace hb
