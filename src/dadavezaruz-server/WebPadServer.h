#pragma once

#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/FailedAttemptLimiter.h"
#include "dadavezaruz-server/PressClock.h"
#include "dadavezaruz-server/WebPadSnapshot.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QWebSocket;

namespace hb {

class WebPadHttpServer;
class WebPadListener;
struct WebPadRequest;

// The phone pad's server: the page over HTTP and one WebSocket per phone, on the shortcut
// server's worker thread. A phone is served once it has sent the pairing secret; its presses
// then go where the TCP pad's go (`post`), one at a time in arrival order with everything else
// the worker does. It tells each phone the pages, whether it is served, and what became of each
// press.
class WebPadServer : public QObject {
    Q_OBJECT

public:
    static constexpr qint64 kMaxMessageBytes = 64 * 1024;
    static constexpr int kHelloTimeoutMs = 10'000;
    static constexpr int kIdleTimeoutMs = 60'000;

    struct Hooks {
        // Whether the address a connection comes from may use the pad: nothing when it may, or
        // why not. `kind` is the address's scope, loopback already including this machine's
        // own addresses.
        std::function<std::optional<QString>(const QString &address, ControllerAccess::Kind kind)>
            refusal;
        std::function<ControllerAccess::Kind(const QHostAddress &peer, const QHostAddress &local)>
            classify;
        // Types the press: empty when it was posted, or why it was not.
        std::function<QString(const ShortcutMessage &message)> post;
        // A press of a two-state button was posted: the button turns to its other state. May
        // replace the snapshot.
        std::function<void(qint64 button)> toggled;
        // A line for the user; lines of the same `key` are kept from flooding by the receiver.
        std::function<void(const QString &key, const QString &line)> note;
        // The number of phones served changed.
        std::function<void(int phones)> phonesChanged;
    };

    WebPadServer(Hooks hooks, QStringList ownNames, QObject *parent = nullptr);
    ~WebPadServer() override;

    // The port it listens on, or the error's text.
    std::variant<quint16, QString> listen(const QHostAddress &address, quint16 port);
    bool isListening() const;
    // Closes every phone's socket and the listener.
    void stop();

    void setSecret(const QString &secret);
    void setSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot);
    // Closes the sockets of phones whose address may no longer use the pad.
    void reviewAccess();

    int phoneCount() const;
    int connectionCount() const;

private:
    struct Phone {
        QString address;
        ControllerAccess::Kind kind = ControllerAccess::Kind::Elsewhere;
        bool served = false;
        PressClock clock;
        QElapsedTimer lastHeard;
    };

    void acceptSockets();
    void admit(QWebSocket *socket);
    void onMessage(QWebSocket *socket, const QString &text);
    void onHello(QWebSocket *socket, Phone &phone, const WebPadRequest &request);
    void onPress(QWebSocket *socket, Phone &phone, const WebPadRequest &request);
    void sendStatus(QWebSocket *socket, const QString &state, const QString &message);
    // Tells the phone why (a status), then closes its socket with a policy close.
    void refuse(QWebSocket *socket, const QString &state, const QString &message);
    void checkIdle();
    void countPhones();
    qint64 now() const { return m_clock.elapsed(); }

    Hooks m_hooks;
    QStringList m_ownNames;
    QPointer<WebPadListener> m_listener;
    WebPadHttpServer *m_http = nullptr;
    QHash<QWebSocket *, Phone> m_phones;
    int m_phonesReported = 0;
    QString m_secret;
    std::shared_ptr<const WebPadSnapshot> m_snapshot;
    FailedAttemptLimiter m_failedSecrets;
    QElapsedTimer m_clock;
};

} // namespace hb
