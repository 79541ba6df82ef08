#pragma once

#include <QString>

namespace hb {

// Brings a running application to the front. Nothing is ever launched.
// An implementation is used from one thread at a time.
class AppActivator {
public:
    virtual ~AppActivator() = default;

    // Activates the first running application whose top-level window has this window class
    // (compared without regard to case). False when no such application runs.
    virtual bool activate(const QString &windowClass) = 0;
};

} // namespace hb
