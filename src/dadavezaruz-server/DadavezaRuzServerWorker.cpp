#include "dadavezaruz-server/DadavezaRuzServerWorker.h"

#include "calibration/MonitorCalibrationLineDelimitedConnection.h"
#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz-server/ShortcutTarget.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace hb {
namespace {

// How long an activated application gets to come to the front before its keys arrive.
constexpr unsigned long kActivationPauseMs = 80;

} // namespace

DadavezaRuzServerWorker::DadavezaRuzServerWorker(DadavezaRuzServerPlatform platform)
    : m_platform(std::move(platform))
{
}

DadavezaRuzServerWorker::~DadavezaRuzServerWorker() = default;

QString DadavezaRuzServerWorker::takeLastCommand()
{
    QMutexLocker lock(&m_lastCommandMutex);
    m_lastCommandAnnounced = false;
    return m_lastKeyCombo + u" \u2192 " + m_lastAppTarget;
}

void DadavezaRuzServerWorker::ensureKeyboard()
{
    if (!m_poster && m_platform.makePoster)
        m_poster = m_platform.makePoster();
    if (!m_activator && m_platform.makeActivator)
        m_activator = m_platform.makeActivator();
}

void DadavezaRuzServerWorker::listen(const QHostAddress &address, quint16 port)
{
    if (m_listener)
        return;
    ensureKeyboard();
    m_listener = new QTcpServer(this);
    if (!m_listener->listen(address, port)) {
        const QString error = m_listener->errorString();
        delete m_listener;
        m_listener = nullptr;
        Q_EMIT listenFailed(error);
        return;
    }
    connect(m_listener, &QTcpServer::newConnection, this, &DadavezaRuzServerWorker::accept);
    connect(m_listener, &QTcpServer::acceptError, this, [this] {
        // A listener that failed is dropped, so that starting again creates a new one.
        const QString error = m_listener->errorString();
        m_listener->deleteLater();
        m_listener = nullptr;
        Q_EMIT listenerFailed(error);
    });
    QString keyboardProblem;
    if (!m_poster)
        keyboardProblem = QStringLiteral("no key poster");
    else if (!m_poster->isAvailable())
        keyboardProblem = m_poster->unavailableReason();
    Q_EMIT listening(m_listener->serverPort(), keyboardProblem);
}

void DadavezaRuzServerWorker::stop()
{
    if (m_listener) {
        m_listener->close();
        delete m_listener;
        m_listener = nullptr;
    }
    const auto connections = std::exchange(m_connections, {});
    for (MonitorCalibrationLineDelimitedConnection *connection : connections) {
        connection->cancel();
        connection->deleteLater();
    }
    m_connectionCount = 0;
}

void DadavezaRuzServerWorker::setTrusted(const QStringList &addresses)
{
    m_trusted = QSet<QString>(addresses.cbegin(), addresses.cend());
}

void DadavezaRuzServerWorker::accept()
{
    while (QTcpSocket *socket = m_listener ? m_listener->nextPendingConnection() : nullptr) {
        const QHostAddress peer = socket->peerAddress();
        const ControllerAccess::Kind kind = m_platform.classifyPeer(peer);
        if (kind == ControllerAccess::Kind::Elsewhere) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const QString address = ControllerAccess::addressText(peer);
        auto *connection = new MonitorCalibrationLineDelimitedConnection(socket, this);
        const bool needsApproval = kind == ControllerAccess::Kind::LocalNetwork;
        connection->onLine = [this, address, needsApproval](QByteArray line) {
            if (needsApproval && !m_trusted.contains(address))
                return; // never queued: the user approves the controller, not its backlog
            handleLine(line);
        };
        connection->onStateUpdate = [this, connection](MonitorCalibrationLineDelimitedConnection::State state) {
            using Kind = MonitorCalibrationLineDelimitedConnection::State::Kind;
            if (state.kind == Kind::Cancelled || state.kind == Kind::Failed)
                drop(connection);
        };
        m_connections.append(connection);
        m_connectionCount = m_connections.size();
        if (needsApproval && !m_trusted.contains(address))
            Q_EMIT approvalNeeded(address);
        connection->start();
    }
}

void DadavezaRuzServerWorker::drop(MonitorCalibrationLineDelimitedConnection *connection)
{
    // A controller that went away is forgotten, so the list cannot grow without bound.
    if (m_connections.removeOne(connection)) {
        connection->deleteLater();
        m_connectionCount = m_connections.size();
    }
}

void DadavezaRuzServerWorker::handleLine(const QByteArray &line)
{
    const std::optional<ShortcutMessage> message = ShortcutMessage::decode(line);
    if (!message)
        return;
    bool announce = false;
    {
        QMutexLocker lock(&m_lastCommandMutex);
        m_lastKeyCombo = message->keyCombo; // shared, not copied
        m_lastAppTarget = message->appTarget;
        announce = !std::exchange(m_lastCommandAnnounced, true);
    }
    if (announce)
        Q_EMIT lastCommandChanged();
    postShortcut(*message);
}

void DadavezaRuzServerWorker::postShortcut(const ShortcutMessage &message)
{
    activateTarget(message.appTarget); // first, even when the combination names no key
    auto parsed = m_parsedCombos.constFind(message.keyCombo);
    if (parsed == m_parsedCombos.cend()) {
        constexpr qsizetype kMaxRemembered = 1024;
        if (m_parsedCombos.size() >= kMaxRemembered)
            m_parsedCombos.clear();
        parsed = m_parsedCombos.insert(message.keyCombo, parseKeyCombo(message.keyCombo));
    }
    const std::optional<KeyPress> &press = *parsed;
    if (press && m_poster)
        m_poster->postKeyPress(press->keyCode, press->modifiers);
}

void DadavezaRuzServerWorker::activateTarget(const QString &appTarget)
{
    const ShortcutTarget target = ShortcutTarget::forAppTarget(appTarget);
    if (target.windowClass.isEmpty() || !m_activator)
        return;
    if (m_activator->activate(target.windowClass) == AppActivator::Activation::Activated)
        QThread::msleep(kActivationPauseMs);
}

} // namespace hb
