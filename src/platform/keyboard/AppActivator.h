#pragma once

#include <QString>

namespace hb {

// Brings a running application to the front. Nothing is ever launched.
// An implementation is used from one thread at a time.
class AppActivator {
public:
    enum class Activation {
        NotRunning,    // no window of that class: nothing changed
        AlreadyActive, // its window already had the keyboard focus: nothing changed
        Activated,     // its window was brought to the front and now has the focus
    };

    virtual ~AppActivator() = default;

    // Activates the first running application whose top-level window has this window class
    // (compared without regard to case).
    virtual Activation activate(const QString &windowClass) = 0;
};

} // namespace hb
