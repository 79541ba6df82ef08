#pragma once

#include <QString>

#include <functional>

namespace hb {

// How a server deals with controllers and with a keyboard it cannot use.
struct DadavezaRuzServerOptions {
    // True: a controller on the local network that is neither allowed nor refused waits while the
    // user is asked. False (no one to ask): it is refused.
    bool asksForApproval = true;
    // True: the server does not start, and stops, while keystrokes cannot be posted.
    bool requiresKeyboard = false;
    // Appended to the line that reports a refused controller: how the user allows the address.
    std::function<QString(const QString &address)> allowHint;
};

} // namespace hb
