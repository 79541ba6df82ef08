#pragma once

#include <QString>
#include <QStringList>

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

    // The phone pad: served on its own port beside the pads' one while the server runs.
    bool webPadEnabled = false;
    quint16 webPadPort = 58433; // 0: chosen by the system (tests)
    // The pairing secret of the phones' link; the server makes one when it is empty.
    QString webPadSecret;
    // Makes and keeps the next secret when the user asks for a new pairing link; when empty, the
    // server makes one it does not keep.
    std::function<QString()> newWebPadSecret;
    // This machine's host names, which a phone's browser may use besides its addresses.
    QStringList ownHostNames;
};

} // namespace hb
