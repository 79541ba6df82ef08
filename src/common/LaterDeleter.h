#pragma once

#include <QObject>

#include <memory>

namespace hb {

// Deleter for a QObject that may be dropped from inside one of its own signals: it stops
// talking to anyone at once and is deleted once control is back in its event loop.
struct LaterDeleter {
    void operator()(QObject *object) const
    {
        object->disconnect();
        object->deleteLater();
    }
};

template <typename T> using LaterPtr = std::unique_ptr<T, LaterDeleter>;

} // namespace hb
