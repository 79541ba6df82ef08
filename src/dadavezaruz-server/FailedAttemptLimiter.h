#pragma once

#include <QHash>
#include <QString>

#include <array>

namespace hb {

// Counts wrong secrets by the address they came from: kMaxFailures within kWindowMs block the
// address for kBlockMs. A success forgets the address. Times are the caller's monotonic clock in
// milliseconds.
//
// The table holds at most kMaxAddresses addresses. A new address in a full table first drops the
// ones that carry nothing any more (no block, no recent failure), else the one seen longest ago.
class FailedAttemptLimiter {
public:
    static constexpr int kMaxFailures = 5;
    static constexpr qint64 kWindowMs = 60'000;
    static constexpr qint64 kBlockMs = 60'000;
    static constexpr qsizetype kMaxAddresses = 1024;

    bool isBlocked(const QString &address, qint64 nowMs) const;
    // How long until the address may try again: 0 when it is not blocked.
    qint64 retryAfterMs(const QString &address, qint64 nowMs) const;

    // A wrong secret. Ignored while the address is blocked: the block runs its course.
    void recordFailure(const QString &address, qint64 nowMs);
    void recordSuccess(const QString &address);

    qsizetype addressCount() const { return m_entries.size(); }

private:
    struct Entry {
        // The times of the failures since the last block, oldest first; `count` are used.
        std::array<qint64, kMaxFailures> failures{};
        int count = 0;
        qint64 blockedUntil = 0;
        bool blocked = false;
        qint64 lastSeen = 0;
    };

    static bool carriesNothing(const Entry &entry, qint64 nowMs);
    void makeRoom(qint64 nowMs);

    QHash<QString, Entry> m_entries;
};

} // namespace hb
