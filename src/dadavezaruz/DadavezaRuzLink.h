#pragma once

#include "dadavezaruz/ServerStatusMessage.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace hb {

// The far end of a link once it is ready: a host name or address in text form, and a port.
struct DadavezaRuzPeer {
    QString host;
    quint16 port = 0;
    friend bool operator==(const DadavezaRuzPeer &, const DadavezaRuzPeer &) = default;
};

// One connection attempt to a server, seen from the main thread. The socket itself lives on the
// network thread; every report, status and send completion arrives here queued, on the main
// thread. Destroying the link closes it, and no report or completion arrives after that.
class DadavezaRuzLink : public QObject {
    Q_OBJECT

public:
    enum class Report {
        Preparing, // name lookup or TCP handshake under way
        Waiting,   // no usable network path yet; the description says why
        Ready,     // connected; peer() is known
        Failed,    // the attempt or the connection ended with an error
    };
    Q_ENUM(Report)

    // Called on the main thread with the error's description, empty when the frame arrived.
    using SendCompletion = std::function<void(const QString &errorDescription)>;

    using QObject::QObject;
    ~DadavezaRuzLink() override = default;

    virtual void start() = 0;
    // Sends one complete frame; `done` runs once, unless the link is destroyed first.
    virtual void send(const QByteArray &frame, SendCompletion done) = 0;
    // The far end of a ready link.
    virtual DadavezaRuzPeer peer() const = 0;

Q_SIGNALS:
    void reported(hb::DadavezaRuzLink::Report report, const QString &description);
    // A status line from the server, after Ready and before any Failed report.
    void serverStatusReceived(const hb::ServerStatusMessage &message);
};

} // namespace hb
