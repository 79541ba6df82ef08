#include "dadavezaruz-server/WebPadServer.h"

#include "dadavezaruz-server/WebPadHttpServer.h"
#include "dadavezaruz-server/WebPadListener.h"
#include "dadavezaruz-server/WebPadMessage.h"
#include "dadavezaruz-server/WebPadSecret.h"
#include "platform/netif/PlainAddress.h"

#include <QTimer>
#include <QWebSocket>

namespace hb {
namespace {

using namespace Qt::StringLiterals;
using Close = QWebSocketProtocol::CloseCode;

const QString kReady = u"ready"_s;
const QString kBadSecret = u"badSecret"_s;
const QString kTooManyAttempts = u"tooManyAttempts"_s;
const QString kRefused = u"refused"_s;
const QString kLinkReplaced = u"linkReplaced"_s;
const QString kScanAgain =
    u"This link is out of date. Scan the QR code on the server's screen again."_s;
const QString kNewLink = u"The server made a new pairing link. Scan the QR code on the server's "
                         u"screen again."_s;
const QString kWaitAMinute = u"Too many tries with a wrong link from this device. Wait a minute, "
                             u"then scan the QR code on the server's screen again."_s;
const QString kTooLate = u"Not typed: the press arrived too late"_s;
const QString kRemoved = u"Not typed: the button is no longer on the pad"_s;
const QString kNoKeys = u"Not typed: the button has no key combination"_s;

constexpr int kIdleCheckMs = 5'000;
// How long a peer gets to answer a close before its connection is cut.
constexpr int kCloseGraceMs = 2'000;

void closeSocket(QWebSocket *socket, Close code)
{
    socket->close(code);
    QTimer::singleShot(kCloseGraceMs, socket, [socket] { socket->abort(); });
}

} // namespace

WebPadServer::WebPadServer(Hooks hooks, QStringList ownNames, QObject *parent)
    : QObject(parent), m_hooks(std::move(hooks)), m_ownNames(std::move(ownNames)),
      m_snapshot(std::make_shared<WebPadSnapshot>())
{
    m_clock.start();
    auto *idle = new QTimer(this);
    idle->setInterval(kIdleCheckMs);
    connect(idle, &QTimer::timeout, this, &WebPadServer::checkIdle);
    idle->start();
}

WebPadServer::~WebPadServer()
{
    stop();
}

std::variant<quint16, QString> WebPadServer::listen(const QHostAddress &address, quint16 port)
{
    stop();
    m_listener = new WebPadListener(
        [this](const QHostAddress &peer, const QHostAddress &local) {
            const ControllerAccess::Kind kind = m_hooks.classify(peer, local);
            if (kind != ControllerAccess::Kind::Elsewhere)
                return true;
            const QString text = ControllerAccess::addressText(peer);
            m_hooks.note(u"web elsewhere "_s + text,
                         u"Refused a phone pad connection from "_s + text +
                             u": devices outside the local network are never served"_s);
            return false;
        },
        this);
    if (!m_listener->listen(address, port)) {
        const QString error = m_listener->errorString();
        delete m_listener;
        m_listener = nullptr;
        return error;
    }
    m_http = new WebPadHttpServer(m_ownNames, this);
    m_http->setSnapshot(m_snapshot);
    m_http->bind(m_listener);
    connect(m_http, &WebPadHttpServer::newWebSocketConnection, this, &WebPadServer::acceptSockets);
    connect(m_http, &WebPadHttpServer::socketRefused, this, [this](const QString &peer) {
        m_hooks.note(u"web origin "_s + peer,
                     u"Refused a phone pad connection from "_s + peer +
                         u": it was opened by a page that is not the pad's"_s);
    });
    return m_listener->serverPort();
}

bool WebPadServer::isListening() const
{
    return m_listener != nullptr;
}

void WebPadServer::stop()
{
    const QList<QWebSocket *> sockets = m_phones.keys();
    m_phones.clear();
    countPhones();
    for (QWebSocket *socket : sockets) {
        socket->disconnect(this);
        socket->abort();
        delete socket; // before the listener, whose connection it may hold
    }
    delete m_http; // before the listener it is bound to (and may have taken over)
    m_http = nullptr;
    delete m_listener.data(); // its connections go with it
    m_listener = nullptr;
}

void WebPadServer::setSecret(const QString &secret)
{
    const bool replaced = !m_secret.isEmpty() && secret != m_secret;
    m_secret = secret;
    if (!replaced)
        return;
    // Every phone that is served paired with the old link.
    for (auto it = m_phones.cbegin(); it != m_phones.cend(); ++it) {
        if (it->served)
            QTimer::singleShot(0, it.key(), [this, socket = it.key()] {
                refuse(socket, kLinkReplaced, kNewLink);
            });
    }
}

void WebPadServer::setSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot)
{
    m_snapshot = std::move(snapshot);
    if (m_http)
        m_http->setSnapshot(m_snapshot);
    for (auto it = m_phones.cbegin(); it != m_phones.cend(); ++it) {
        if (it->served)
            it.key()->sendTextMessage(QString::fromUtf8(m_snapshot->pagesMessage));
    }
}

void WebPadServer::reviewAccess()
{
    QList<std::pair<QWebSocket *, QString>> refused;
    for (auto it = m_phones.cbegin(); it != m_phones.cend(); ++it) {
        if (const auto why = m_hooks.refusal(it->address, it->kind))
            refused.append({it.key(), *why});
    }
    for (const auto &[socket, why] : refused)
        refuse(socket, kRefused, why);
}

int WebPadServer::phoneCount() const
{
    return int(std::count_if(m_phones.cbegin(), m_phones.cend(),
                             [](const Phone &phone) { return phone.served; }));
}

int WebPadServer::connectionCount() const
{
    return m_listener ? m_listener->connectionCount() : 0;
}

void WebPadServer::acceptSockets()
{
    while (m_http && m_http->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> socket = m_http->nextPendingWebSocketConnection();
        if (socket)
            admit(socket.release());
    }
}

void WebPadServer::admit(QWebSocket *socket)
{
    socket->setParent(this);
    socket->setMaxAllowedIncomingFrameSize(quint64(kMaxMessageBytes));
    socket->setMaxAllowedIncomingMessageSize(quint64(kMaxMessageBytes));
    socket->setReadBufferSize(kMaxMessageBytes);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        m_phones.remove(socket);
        socket->deleteLater();
        countPhones();
    });

    const QString address = ControllerAccess::addressText(socket->peerAddress());
    Phone phone;
    phone.address = address;
    phone.kind = m_hooks.classify(socket->peerAddress(), socket->localAddress());
    phone.lastHeard.start();
    m_phones.insert(socket, phone);
    connect(socket, &QWebSocket::textMessageReceived, this,
            [this, socket](const QString &text) { onMessage(socket, text); });
    connect(socket, &QWebSocket::binaryMessageReceived, this,
            [socket] { closeSocket(socket, Close::CloseCodeDatatypeNotSupported); });
}

void WebPadServer::onMessage(QWebSocket *socket, const QString &text)
{
    const auto it = m_phones.find(socket);
    if (it == m_phones.end())
        return;
    Phone &phone = *it;
    phone.lastHeard.restart();
    const std::optional<WebPadRequest> request = WebPadMessage::decodeRequest(text.toUtf8());
    if (!request) {
        closeSocket(socket, Close::CloseCodeProtocolError);
        return;
    }
    switch (request->kind) {
    case WebPadRequest::Kind::Hello:
        onHello(socket, phone, *request);
        break;
    case WebPadRequest::Kind::Press:
        onPress(socket, phone, *request);
        break;
    case WebPadRequest::Kind::Ping:
        phone.clock.observe(request->pageMs, now());
        socket->sendTextMessage(QString::fromUtf8(WebPadMessage::encodePong()));
        break;
    }
}

void WebPadServer::onHello(QWebSocket *socket, Phone &phone, const WebPadRequest &request)
{
    if (phone.served)
        return;
    if (m_failedSecrets.isBlocked(phone.address, now())) {
        refuse(socket, kTooManyAttempts, kWaitAMinute);
        return;
    }
    if (m_secret.isEmpty() || !WebPadSecret::matches(m_secret, request.secret)) {
        m_failedSecrets.recordFailure(phone.address, now());
        m_hooks.note(u"web secret "_s + phone.address,
                     u"Refused a phone pad at "_s + phone.address +
                         u": its pairing link is not the current one"_s);
        refuse(socket, kBadSecret, kScanAgain);
        return;
    }
    if (const auto why = m_hooks.refusal(phone.address, phone.kind)) {
        m_hooks.note(u"web refused "_s + phone.address,
                     u"Refused a phone pad at "_s + phone.address + u": "_s + *why);
        refuse(socket, kRefused, *why);
        return;
    }
    m_failedSecrets.recordSuccess(phone.address);
    phone.served = true;
    phone.clock.observe(request.pageMs, now());
    sendStatus(socket, kReady, {});
    socket->sendTextMessage(QString::fromUtf8(m_snapshot->pagesMessage));
    countPhones();
}

void WebPadServer::onPress(QWebSocket *socket, Phone &phone, const WebPadRequest &request)
{
    if (!phone.served) {
        closeSocket(socket, Close::CloseCodePolicyViolated);
        return;
    }
    const auto reply = [&](bool posted, const QString &text) {
        socket->sendTextMessage(
            QString::fromUtf8(WebPadMessage::encodeResult(request.pressId, posted, text)));
    };
    // A press held up on the way (a network that stalled, then delivered everything at once)
    // would type keys long after the user moved on.
    const std::optional<qint64> age = phone.clock.ageMs(request.pageMs, now());
    if (!age || *age > PressClock::kMaxPressAgeMs) {
        reply(false, kTooLate);
        return;
    }
    const auto press = m_snapshot->presses.constFind(request.button);
    if (press == m_snapshot->presses.cend()) {
        reply(false, kRemoved);
        return;
    }
    if (press->message.keyCombo.trimmed().isEmpty()) {
        reply(false, kNoKeys);
        return;
    }
    const QString problem = m_hooks.post(press->message);
    const bool flips = problem.isEmpty() && press->isToggle;
    reply(problem.isEmpty(), problem.isEmpty() ? press->label : problem);
    if (flips && m_hooks.toggled)
        m_hooks.toggled(request.button); // last: it may replace the snapshot `press` is in
}

void WebPadServer::sendStatus(QWebSocket *socket, const QString &state, const QString &message)
{
    socket->sendTextMessage(QString::fromUtf8(WebPadMessage::encodeStatus(state, message)));
}

void WebPadServer::refuse(QWebSocket *socket, const QString &state, const QString &message)
{
    const auto it = m_phones.find(socket);
    if (it == m_phones.end())
        return;
    it->served = false;
    sendStatus(socket, state, message);
    closeSocket(socket, Close::CloseCodePolicyViolated);
    countPhones();
}

void WebPadServer::countPhones()
{
    const int phones = phoneCount();
    if (std::exchange(m_phonesReported, phones) != phones && m_hooks.phonesChanged)
        m_hooks.phonesChanged(phones);
}

void WebPadServer::checkIdle()
{
    QList<QWebSocket *> idle;
    for (auto it = m_phones.cbegin(); it != m_phones.cend(); ++it) {
        const qint64 quiet = it->lastHeard.elapsed();
        if (quiet > (it->served ? kIdleTimeoutMs : kHelloTimeoutMs))
            idle.append(it.key());
    }
    for (QWebSocket *socket : idle)
        closeSocket(socket, Close::CloseCodeGoingAway);
}

} // namespace hb
