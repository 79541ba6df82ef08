#pragma once

#include "dadavezaruz/DadavezaRuzProtocol.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace hb {

// Where a pairing code (the text of a server's QR code) says the server is.
struct PairingCode {
    QString host;
    quint16 port = kDadavezaRuzPort;

    friend bool operator==(const PairingCode &, const PairingCode &) = default;
};

// Reads the web pad's link "http://host:webport/#k=secret&p=port" (an IPv6 host in brackets; the
// host is given without them), "host" or "host:port". Of the link, only the host and the
// fragment's "p" count; a missing or unreadable "p" gives kDadavezaRuzPort. Gives nothing when no
// host is left after trimming; a missing, empty or unreadable port (anything but decimal digits
// with at most one leading '+', up to 65535) gives the protocol port, kDadavezaRuzPort. Port 0 is
// passed on as 0 for the connect step to reject.
std::optional<PairingCode> parsePairingCode(const QString &text);

// A port typed or scanned: decimal digits with at most one leading '+', valued 0 to 65535, taken
// as it is (no white space skipped). Anything else gives nothing.
std::optional<quint16> readPortNumber(QStringView text);

} // namespace hb
