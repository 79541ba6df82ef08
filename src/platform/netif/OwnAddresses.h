#pragma once

#include <QHostAddress>
#include <QList>
#include <QMutex>

#include <chrono>
#include <functional>

namespace hb {

// Whether an address is one of this machine's own, read from the interface list and read again
// once it is older than `maxAge` (addresses come and go with networks). Thread-safe.
class OwnAddresses {
public:
    using Reader = std::function<QList<QHostAddress>()>;

    static constexpr std::chrono::milliseconds kDefaultMaxAge{5000};

    // `reader` empty: the system's interfaces.
    explicit OwnAddresses(Reader reader = {}, std::chrono::milliseconds maxAge = kDefaultMaxAge);

    bool contains(const QHostAddress &address);

private:
    Reader m_reader;
    std::chrono::milliseconds m_maxAge;
    QMutex m_mutex;
    QList<QHostAddress> m_addresses;
    std::chrono::steady_clock::time_point m_readAt;
    bool m_read = false;
};

} // namespace hb
