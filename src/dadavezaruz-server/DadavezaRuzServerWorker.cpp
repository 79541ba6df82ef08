#include "dadavezaruz-server/DadavezaRuzServerWorker.h"

#include "calibration/MonitorCalibrationLineDelimitedConnection.h"
#include "common/TextHelpers.h"
#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/HttpRequestLine.h"
#include "dadavezaruz-server/ShortcutTarget.h"
#include "dadavezaruz-server/WebPadServer.h"
#include "dadavezaruz/ServerStatusMessage.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "dadavezaruz/TcpSocketControl.h"
#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"
#include "platform/netif/PlainAddress.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace hb {
namespace {

using namespace Qt::StringLiterals;
using Status = ServerStatusMessage::Status;

// How long an activated application gets to come to the front before its keys arrive.
constexpr std::chrono::milliseconds kActivationPause{80};
// How long a refused controller gets to read its answer before the connection is cut.
constexpr int kRefusalGraceMs = 2000;
// The same kind of line is noted at most once in this time.
constexpr qint64 kNoteIntervalMs = 60'000;
constexpr qsizetype kMaxNotedKinds = 1024;
constexpr qsizetype kMaxRememberedCombos = 1024;
// Longest combination text kept in memory (a pad's are a few characters).
constexpr qsizetype kMaxComboKey = 64;

const QString kNotTyped = u"Not typed: "_s;

QByteArray statusLine(Status status, const QString &notTyped = {})
{
    return ServerStatusMessage{status, DadavezaRuzServerWorker::accepts(), notTyped}.encode();
}

} // namespace

QStringList DadavezaRuzServerWorker::accepts()
{
    return {QString::fromLatin1(ShortcutMessage::kKeySequence)};
}

DadavezaRuzServerWorker::DadavezaRuzServerWorker(DadavezaRuzServerPlatform platform,
                                                 DadavezaRuzServerOptions options)
    : m_platform(std::move(platform)), m_options(std::move(options))
{
    m_clock.start();
}

DadavezaRuzServerWorker::~DadavezaRuzServerWorker() = default;

QString DadavezaRuzServerWorker::takeLastCommand()
{
    QMutexLocker lock(&m_announceMutex);
    m_lastCommandAnnounced = false;
    return m_lastKeyCombo + u" \u2192 " + m_lastAppTarget;
}

DadavezaRuzServerWorker::PendingApprovals DadavezaRuzServerWorker::takePendingApprovals()
{
    QMutexLocker lock(&m_announceMutex);
    m_pendingAnnounced = false;
    return m_pendingSnapshot;
}

void DadavezaRuzServerWorker::ensureKeyboard()
{
    if (!m_poster && m_platform.makePoster) {
        m_poster = m_platform.makePoster();
        m_poster->setLostHandler([this](const QString &reason) {
            note(u"keyboard"_s, u"Keystrokes cannot be posted any more: "_s + reason);
            Q_EMIT keyboardLost(reason);
        });
    }
    if (!m_activator && m_platform.makeActivator)
        m_activator = m_platform.makeActivator();
}

QString DadavezaRuzServerWorker::keyboardProblem() const
{
    if (!m_poster)
        return u"no key poster"_s;
    return m_poster->isAvailable() ? QString() : m_poster->unavailableReason();
}

void DadavezaRuzServerWorker::listen(const QHostAddress &address, quint16 port)
{
    if (m_listener)
        return;
    ensureKeyboard();
    const QString problem = keyboardProblem();
    if (m_options.requiresKeyboard && !problem.isEmpty()) {
        Q_EMIT listenFailed(u"keystrokes cannot be posted: "_s + problem);
        return;
    }
    m_listener = new QTcpServer(this);
    m_listener->setMaxPendingConnections(int(kMaxConnections));
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
    Q_EMIT listening(m_listener->serverPort(), problem);
}

void DadavezaRuzServerWorker::listenWebPad(const QHostAddress &address, quint16 port,
                                           const QStringList &ownNames)
{
    stopWebPad();
    ensureKeyboard();
    WebPadServer::Hooks hooks;
    hooks.classify = [this](const QHostAddress &peer, const QHostAddress &local) {
        return classify(peer, local);
    };
    hooks.refusal = [this](const QString &peer, ControllerAccess::Kind kind) {
        return webPadRefusal(peer, kind);
    };
    hooks.post = [this](const ShortcutMessage &message) { return handleMessage(message); };
    hooks.toggled = [this](qint64 button) { flipWebPadButton(button); };
    hooks.note = [this](const QString &key, const QString &line) { note(key, line); };
    hooks.phonesChanged = [this](int phones) {
        m_phoneCount = phones;
        Q_EMIT phonesChanged(phones);
    };
    m_webPad = new WebPadServer(std::move(hooks), ownNames, this);
    m_webPad->setSecret(m_webPadSecret);
    if (m_webPadSnapshot)
        m_webPad->setSnapshot(m_webPadSnapshot);
    const auto listened = m_webPad->listen(address, port);
    if (const QString *error = std::get_if<QString>(&listened)) {
        stopWebPad();
        Q_EMIT webPadListenFailed(*error);
        return;
    }
    Q_EMIT webPadListening(std::get<quint16>(listened));
}

void DadavezaRuzServerWorker::stopWebPad()
{
    delete std::exchange(m_webPad, nullptr);
    m_phoneCount = 0;
}

void DadavezaRuzServerWorker::setWebPadSecret(const QString &secret)
{
    m_webPadSecret = secret;
    if (m_webPad)
        m_webPad->setSecret(secret);
}

void DadavezaRuzServerWorker::setWebPadSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot)
{
    if (!m_unstoredToggles.isEmpty() && m_webPadSnapshot && snapshot) {
        // Read before the store took the newest state: that state still holds.
        std::shared_ptr<WebPadSnapshot> kept;
        for (auto it = m_unstoredToggles.cbegin(); it != m_unstoredToggles.cend(); ++it) {
            const auto now = m_webPadSnapshot->presses.constFind(it.key());
            const auto read = snapshot->presses.constFind(it.key());
            if (now == m_webPadSnapshot->presses.cend() || read == snapshot->presses.cend() ||
                !read->isToggle || read->toggledOn == now->toggledOn)
                continue;
            if (!kept)
                kept = std::make_shared<WebPadSnapshot>(*snapshot);
            kept->toggle(it.key());
        }
        if (kept)
            snapshot = std::move(kept);
    }
    showWebPadSnapshot(std::move(snapshot));
}

void DadavezaRuzServerWorker::webPadToggleStored(qint64 button)
{
    const auto it = m_unstoredToggles.find(button);
    if (it != m_unstoredToggles.end() && --*it <= 0)
        m_unstoredToggles.erase(it);
}

void DadavezaRuzServerWorker::showWebPadSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot)
{
    m_webPadSnapshot = std::move(snapshot);
    if (m_webPad)
        m_webPad->setSnapshot(m_webPadSnapshot);
}

void DadavezaRuzServerWorker::flipWebPadButton(qint64 button)
{
    if (!m_webPadSnapshot)
        return;
    // At once here, so that a quick second press sends the other state; the store follows.
    auto flipped = std::make_shared<WebPadSnapshot>(*m_webPadSnapshot);
    const std::optional<bool> on = flipped->toggle(button);
    if (!on)
        return;
    showWebPadSnapshot(std::move(flipped));
    ++m_unstoredToggles[button];
    Q_EMIT buttonToggled(button, *on);
}

std::optional<QString> DadavezaRuzServerWorker::webPadRefusal(const QString &address,
                                                              ControllerAccess::Kind kind) const
{
    // The pairing link stands for the user's approval; a refusal on the server screen still
    // holds, and addresses that could be anyone's need to be allowed by address.
    using Kind = ControllerAccess::Kind;
    if (kind == Kind::Loopback)
        return std::nullopt;
    if (m_refused.contains(address))
        return u"this device was refused on the server's screen"_s;
    if (kind == Kind::LocalNetwork || m_trusted.contains(address))
        return std::nullopt;
    if (kind == Kind::SharedAddressSpace)
        return u"addresses in 100.64.0.0/10 (carrier and VPN networks) are served only when "
               u"allowed by address"_s;
    return u"devices outside the local network are never served"_s;
}

ControllerAccess::Kind DadavezaRuzServerWorker::classify(const QHostAddress &peer,
                                                         const QHostAddress &local) const
{
    const ControllerAccess::Kind kind = m_platform.classifyPeer(peer);
    if (kind != ControllerAccess::Kind::Loopback && isOwnAddress(peer, local))
        return ControllerAccess::Kind::Loopback;
    return kind;
}

void DadavezaRuzServerWorker::stop()
{
    stopWebPad();
    if (m_listener) {
        m_listener->close();
        delete m_listener;
        m_listener = nullptr;
    }
    // Taken first, so that the reports of the cancelled connections find nothing to drop.
    const auto controllers = std::exchange(m_controllers, {});
    for (auto it = controllers.cbegin(); it != controllers.cend(); ++it) {
        it.key()->cancel();
        it.key()->deleteLater();
    }
    m_connectionCount = 0;
    m_typing.clear(); // what was not typed yet is not typed later
    m_typingPaused = false;
    ++m_typingRun;
    m_waiting.clear();
    m_pending.clear();
    m_droppedApprovals = 0;
    announcePending();
}

void DadavezaRuzServerWorker::setTrusted(const QStringList &addresses)
{
    m_trusted = QSet<QString>(addresses.cbegin(), addresses.cend());
    answerWaiting(m_trusted, &DadavezaRuzServerWorker::serve);
    // A controller no longer allowed stops here; it is asked about again when it comes back.
    stopServing([this](const QString &address) { return !m_trusted.contains(address); },
                &DadavezaRuzServerWorker::close);
    if (m_webPad)
        m_webPad->reviewAccess();
    announcePending();
}

void DadavezaRuzServerWorker::setRefused(const QStringList &addresses)
{
    m_refused = QSet<QString>(addresses.cbegin(), addresses.cend());
    answerWaiting(m_refused, &DadavezaRuzServerWorker::refuse);
    stopServing([this](const QString &address) { return m_refused.contains(address); },
                &DadavezaRuzServerWorker::refuse);
    if (m_webPad)
        m_webPad->reviewAccess();
    announcePending();
}

void DadavezaRuzServerWorker::answerWaiting(const QSet<QString> &answered, Action act)
{
    for (const QString &address : QStringList(m_pending)) {
        if (!answered.contains(address))
            continue;
        m_pending.removeAll(address);
        for (Connection *connection : m_waiting.take(address))
            (this->*act)(connection);
    }
}

void DadavezaRuzServerWorker::stopServing(const std::function<bool(const QString &)> &stopped,
                                          Action act)
{
    // Collected first: acting on a connection may drop it from the table.
    QList<Connection *> found;
    for (auto it = m_controllers.cbegin(); it != m_controllers.cend(); ++it) {
        const Controller &controller = it.value();
        if (controller.access == Access::Served && controller.needsTrust &&
            stopped(controller.address))
            found.append(it.key());
    }
    for (Connection *connection : found)
        (this->*act)(connection);
}

void DadavezaRuzServerWorker::accept()
{
    while (QTcpSocket *socket = m_listener ? m_listener->nextPendingConnection() : nullptr)
        admit(socket);
}

void DadavezaRuzServerWorker::admit(QTcpSocket *socket)
{
    const QHostAddress peer = socket->peerAddress();
    const QString address = ControllerAccess::addressText(peer);
    const ControllerAccess::Kind kind = classify(peer, socket->localAddress());
    if (kind == ControllerAccess::Kind::Elsewhere || m_controllers.size() >= kMaxConnections) {
        note(u"elsewhere "_s + address,
             kind == ControllerAccess::Kind::Elsewhere
                 ? u"Refused a connection from "_s + address +
                       u": controllers outside the local network are never served"_s
                 : u"Refused a connection from "_s + address + u": too many connections"_s);
        socket->abort();
        socket->deleteLater();
        return;
    }

    // A pad whose network went away is noticed within about half a minute, so that it does not
    // hold a place among the controllers waiting for an answer.
    TcpSocketControl::enableKeepAlive(socket->socketDescriptor(), 10, 5, 3);
    auto *connection = new Connection(socket, this);
    Controller controller{address, Access::Closing, kind != ControllerAccess::Kind::Loopback, false,
                          socket};
    enum class Decision { Serve, Wait, Refuse } decision = Decision::Serve;
    if (controller.needsTrust && !m_trusted.contains(address)) {
        if (m_refused.contains(address)) {
            decision = Decision::Refuse;
            note(u"refused "_s + address, u"Refused the controller at "_s + address +
                                              u": it was refused earlier"_s + allowHint(address));
        } else if (kind == ControllerAccess::Kind::SharedAddressSpace) {
            decision = Decision::Refuse;
            note(u"shared "_s + address,
                 u"Refused the controller at "_s + address +
                     u": addresses in 100.64.0.0/10 (carrier and VPN networks) are served only "
                     u"when allowed by address"_s +
                     allowHint(address));
        } else if (!m_options.asksForApproval) {
            decision = Decision::Refuse;
            note(u"unknown "_s + address, u"Refused the controller at "_s + address +
                                              u": it is not allowed"_s + allowHint(address));
        } else {
            decision = Decision::Wait;
        }
    }
    // Lines read while starting are already handled as the decision says.
    controller.access = decision == Decision::Serve  ? Access::Served
                        : decision == Decision::Wait ? Access::Waiting
                                                     : Access::Closing;
    m_controllers.insert(connection, controller);
    m_connectionCount = m_controllers.size();
    connection->onLine = [this, connection](const QByteArray &line) { onLine(connection, line); };
    connection->onLineDropped = [this, connection] { onLineDropped(connection); };
    connection->onStateUpdate = [this, connection](const Connection::State &state) {
        using Kind = Connection::State::Kind;
        if (state.kind == Kind::Cancelled || state.kind == Kind::Failed)
            drop(connection);
    };
    connection->start();
    if (!m_controllers.contains(connection))
        return; // gone already (or a web request)
    switch (decision) {
    case Decision::Serve:
        serve(connection);
        break;
    case Decision::Wait:
        wait(connection);
        break;
    case Decision::Refuse:
        refuse(connection);
        break;
    }
}

bool DadavezaRuzServerWorker::isOwnAddress(const QHostAddress &peer,
                                           const QHostAddress &local) const
{
    if (plainAddress(peer) == plainAddress(local))
        return true;
    return m_platform.isOwnAddress && m_platform.isOwnAddress(plainAddress(peer));
}

void DadavezaRuzServerWorker::onLine(Connection *connection, const QByteArray &line)
{
    const auto it = m_controllers.find(connection);
    if (it == m_controllers.end())
        return;
    if (!std::exchange(it->sawFirstLine, true) && isHttpRequestLine(line)) {
        closeAsWebRequest(connection, it->address);
        return;
    }
    // A waiting controller's presses are dropped: the user allows it, not its backlog.
    if (it->access == Access::Served)
        handleLine(connection, line);
}

void DadavezaRuzServerWorker::onLineDropped(Connection *connection)
{
    // A first line too long for any pad may be an HTTP request line with an enormous target.
    const auto it = m_controllers.find(connection);
    if (it != m_controllers.end() && !std::exchange(it->sawFirstLine, true))
        closeAsWebRequest(connection, it->address);
}

void DadavezaRuzServerWorker::closeAsWebRequest(Connection *connection, const QString &address)
{
    note(u"web "_s + address,
         u"Refused a web request from "_s + address + u": web pages may not send shortcuts"_s);
    close(connection);
}

void DadavezaRuzServerWorker::serve(Connection *connection)
{
    m_controllers[connection].access = Access::Served;
    connection->send(statusLine(Status::Ready));
}

void DadavezaRuzServerWorker::wait(Connection *connection)
{
    const QString address = m_controllers.value(connection).address;
    connection->send(statusLine(Status::WaitingForApproval));
    QList<Connection *> &waiting = m_waiting[address];
    waiting.append(connection);
    if (waiting.size() > kMaxWaitingPerAddress)
        close(waiting.takeFirst());

    m_pending.removeAll(address);
    m_pending.append(address);
    if (m_pending.size() > kMaxPendingApprovals) {
        const QString oldest = m_pending.takeFirst();
        ++m_droppedApprovals;
        note(u"dropped"_s, u"Too many controllers are waiting for approval: the oldest requests "
                           u"are given up, first the one from "_s +
                               oldest);
        for (Connection *dropped : m_waiting.take(oldest))
            close(dropped);
    }
    announcePending();
}

void DadavezaRuzServerWorker::refuse(Connection *connection)
{
    m_controllers[connection].access = Access::Closing;
    connection->send(statusLine(Status::Refused));
    connection->closeWhenSent();
    // A peer that reads nothing does not keep the connection open.
    QTimer::singleShot(kRefusalGraceMs, connection, [connection] { connection->cancel(); });
}

void DadavezaRuzServerWorker::close(Connection *connection)
{
    const auto it = m_controllers.find(connection);
    if (it == m_controllers.end())
        return;
    it->access = Access::Closing; // not "waiting": whoever closes it has taken it out of there
    connection->cancel();         // reports at once, which drops it
}

void DadavezaRuzServerWorker::drop(Connection *connection)
{
    const auto it = m_controllers.find(connection);
    if (it == m_controllers.end())
        return;
    if (it->access == Access::Waiting)
        takeOutOfWaiting(connection, it->address);
    m_controllers.erase(it);
    m_connectionCount = m_controllers.size();
    connection->deleteLater();
}

void DadavezaRuzServerWorker::takeOutOfWaiting(Connection *connection, const QString &address)
{
    const auto waiting = m_waiting.find(address);
    if (waiting == m_waiting.end())
        return;
    waiting->removeOne(connection);
    if (!waiting->isEmpty())
        return;
    // Its last connection closed: no one is left to allow.
    m_waiting.erase(waiting);
    m_pending.removeAll(address);
    announcePending();
}

void DadavezaRuzServerWorker::announcePending()
{
    bool announce = false;
    {
        QMutexLocker lock(&m_announceMutex);
        const PendingApprovals now{m_pending, m_droppedApprovals};
        if (now.addresses == m_pendingSnapshot.addresses &&
            now.dropped == m_pendingSnapshot.dropped)
            return;
        m_pendingSnapshot = now;
        announce = !std::exchange(m_pendingAnnounced, true);
    }
    if (announce)
        Q_EMIT pendingApprovalsChanged();
}

void DadavezaRuzServerWorker::note(const QString &key, const QString &line)
{
    const qint64 now = m_clock.elapsed();
    const auto last = m_noted.constFind(key);
    if (last != m_noted.cend() && now - *last < kNoteIntervalMs)
        return;
    if (m_noted.size() >= kMaxNotedKinds)
        m_noted.clear();
    m_noted.insert(key, now);
    Q_EMIT logged(line);
}

QString DadavezaRuzServerWorker::allowHint(const QString &address) const
{
    return m_options.allowHint ? u". "_s + m_options.allowHint(address) : QString();
}

void DadavezaRuzServerWorker::handleLine(Connection *connection, const QByteArray &line)
{
    QString refusal;
    if (const std::optional<ShortcutMessage> message = ShortcutMessage::decode(line, &refusal)) {
        if (const QString problem = handleMessage(*message); !problem.isEmpty())
            replyNotTyped(connection, problem);
    } else if (!refusal.isEmpty()) {
        // An object, so meant as a press; other lines (blank ones, junk) get no answer.
        note(u"frame"_s, kNotTyped + refusal);
        replyNotTyped(connection, kNotTyped + refusal);
    }
}

void DadavezaRuzServerWorker::replyNotTyped(Connection *connection, const QString &line)
{
    const Controller controller = m_controllers.value(connection);
    // A peer that never reads must not make the server hold its answers.
    if (controller.access != Access::Served || !controller.socket ||
        controller.socket->bytesToWrite() > kMaxUnsentReplyBytes)
        return;
    const QString reason = line.startsWith(kNotTyped) ? line.sliced(kNotTyped.size()) : line;
    connection->send(statusLine(Status::Ready, reason));
}

QString DadavezaRuzServerWorker::handleMessage(const ShortcutMessage &message)
{
    bool announce = false;
    {
        QMutexLocker lock(&m_announceMutex);
        m_lastKeyCombo = message.thenKeyCombos.isEmpty() // shared, not copied
                             ? message.keyCombo
                             : message.keyCombos().join(u", "_s);
        m_lastAppTarget = message.appTarget;
        announce = !std::exchange(m_lastCommandAnnounced, true);
    }
    if (announce)
        Q_EMIT lastCommandChanged();
    return postShortcut(message);
}

QString DadavezaRuzServerWorker::comboRefusal(const QString &keyCombo, const ParsedCombo &combo)
{
    QString line = kNotTyped + inQuotes(keyCombo) + u" \u2014 "_s + combo.problem;
    note(u"combo "_s + keyCombo.first(std::min(keyCombo.size(), kMaxComboKey)), line);
    return line;
}

QString DadavezaRuzServerWorker::postShortcut(const ShortcutMessage &message)
{
    if (message.thenKeyCombos.isEmpty() && m_typing.isEmpty()) {
        // The usual press: typed at once.
        const ParsedCombo combo = parsed(message.keyCombo);
        if (!combo.problem.isEmpty()) {
            // Never some other key in its place, and no window brought forward for nothing.
            return comboRefusal(message.keyCombo, combo);
        }
        activateTarget(message.appTarget); // even when the combination names no key at all
        const QString problem = keyboardProblem();
        if (!problem.isEmpty())
            return kNotTyped + u"keystrokes cannot be posted: "_s + problem;
        if (combo.press)
            m_poster->postKeyPress(combo.press->keyCode, combo.press->modifiers);
        return {};
    }
    // Checked whole first: a sequence is typed entirely or not at all.
    const QStringList combos = message.keyCombos();
    if (combos.size() > ShortcutMessage::kMaxSequence)
        return kNotTyped + u"the key sequence has more than 8 key combinations"_s;
    TypingQueue::Press press{
        {}, message.appTarget, std::clamp(message.delayMs, 0, ShortcutMessage::kMaxDelayMs)};
    for (const QString &text : combos) {
        const ParsedCombo combo = parsed(text);
        if (!combo.problem.isEmpty())
            return comboRefusal(text, combo);
        press.keys.append(combo.press);
    }
    if (const QString problem = keyboardProblem(); !problem.isEmpty())
        return kNotTyped + u"keystrokes cannot be posted: "_s + problem;
    if (!m_typing.push(std::move(press))) {
        QString line = kNotTyped + u"still typing earlier presses"_s;
        note(u"busy"_s, line);
        return line;
    }
    if (!m_typingPaused)
        typeQueued();
    return {};
}

void DadavezaRuzServerWorker::typeQueued()
{
    while (const std::optional<TypingQueue::Step> step = m_typing.take()) {
        if (step->startsPress)
            activateTarget(step->appTarget);
        if (!keyboardProblem().isEmpty()) {
            m_typing.dropCurrent(); // the loss was noted when it happened
            continue;
        }
        if (step->key)
            m_poster->postKeyPress(step->key->keyCode, step->key->modifiers);
        if (step->pauseAfterMs > 0) {
            m_typingPaused = true;
            const std::chrono::milliseconds pause(step->pauseAfterMs);
            auto resume = [this, run = m_typingRun] {
                if (run != m_typingRun)
                    return; // stopped meanwhile
                m_typingPaused = false;
                typeQueued();
            };
            if (m_platform.later)
                m_platform.later(this, pause, std::move(resume));
            else
                QTimer::singleShot(pause, Qt::PreciseTimer, this, std::move(resume));
            return;
        }
    }
}

DadavezaRuzServerWorker::ParsedCombo DadavezaRuzServerWorker::parsed(const QString &keyCombo)
{
    const auto found = m_parsedCombos.constFind(keyCombo);
    if (found != m_parsedCombos.cend())
        return *found;
    const auto reading = parseKeyCombo(keyCombo);
    ParsedCombo combo =
        reading ? ParsedCombo{*reading, {}} : ParsedCombo{{}, reading.error().description};
    // Only combinations of a sensible length are kept, so that the memory stays small.
    if (keyCombo.size() <= kMaxComboKey) {
        if (m_parsedCombos.size() >= kMaxRememberedCombos)
            m_parsedCombos.clear();
        m_parsedCombos.insert(keyCombo, combo);
    }
    return combo;
}

void DadavezaRuzServerWorker::activateTarget(const QString &appTarget)
{
    const ShortcutTarget target = ShortcutTarget::forAppTarget(appTarget);
    if (target.windowClass.isEmpty() || !m_activator)
        return;
    // Only a window that had to come forward needs the pause; shuttling keys into the window
    // that is already in front go at once.
    if (m_activator->activate(target.windowClass) == AppActivator::Activation::Activated &&
        m_platform.pause)
        m_platform.pause(kActivationPause);
}

} // namespace hb
