#include "dadavezaruz-server/DadavezaRuzServer.h"

#include "common/Settings.h"
#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/DadavezaRuzServerWorker.h"
#include "dadavezaruz-server/ServerLogging.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz-server/WebPadPagesFeed.h"
#include "dadavezaruz-server/WebPadSecret.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/dnssd/ServicePublisher.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QThread>
#include <QTime>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kStopped = u"Stopped"_s;
const QString kFailedToStart = u"Failed to start: "_s;
const QString kRunningTarget = u"Server running \u2014 pads connect to: "_s;
const QString kRunningOnPort = u"Server running on port "_s;
const QString kServerFailed = u"Server failed: "_s;
const QString kKeyboardLost = u"keystrokes cannot be posted: "_s;
const QString kNotAdvertised = u"Not advertised on the local network: %1. Pads can still connect "
                               u"by address or pairing code."_s;
const QString kAdvertised = u"Advertised on the local network as \u201C%1\u201D"_s;
const QString kAllowOnScreen = u"Allow it under Controllers on the server screen"_s;
const QString kWebPadOff = u"Off"_s;
const QString kWebPadStopped = u"Starts with the server"_s;
const QString kWebPadOnPort = u"Served on port "_s;
const QString kWebPadFailed = u"Failed to start: "_s;
const QString kNewLinkMade = u"Made a new pairing link: phones that used the old one were "
                             u"disconnected"_s;

} // namespace

std::unique_ptr<DadavezaRuzServer> DadavezaRuzServer::createForThisMachine()
{
    const Settings settings;
    auto *trusted =
        new TrustedControllers([] { return ServerSettings::trustedControllers(Settings()); },
                               [](const QStringList &addresses) {
                                   Settings store;
                                   ServerSettings::setTrustedControllers(store, addresses);
                               });
    DadavezaRuzServerOptions options;
    options.allowHint = [](const QString &) { return kAllowOnScreen; };
    Settings store;
    options.webPadEnabled = ServerSettings::webPadEnabled(store);
    options.webPadSecret = ServerSettings::webPadSecret(store);
    options.newWebPadSecret = [] {
        Settings kept;
        return ServerSettings::replaceWebPadSecret(kept);
    };
    options.ownHostNames = ownHostNames();
    auto server = std::make_unique<DadavezaRuzServer>(
        systemServerPlatform(ServerSettings::commandKey(settings)), trusted, kDadavezaRuzPort,
        options);
    connect(server.get(), &DadavezaRuzServer::webPadChanged, server.get(), [server = server.get()] {
        Settings kept;
        if (ServerSettings::webPadEnabled(kept) != server->webPadEnabled())
            ServerSettings::setWebPadEnabled(kept, server->webPadEnabled());
    });
    return server;
}

QStringList DadavezaRuzServer::ownHostNames()
{
    const QString name = QHostInfo::localHostName();
    if (name.isEmpty())
        return {};
    return {name, name + u".local"_s};
}

DadavezaRuzServer::DadavezaRuzServer(DadavezaRuzServerPlatform platform,
                                     TrustedControllers *trusted, quint16 port,
                                     DadavezaRuzServerOptions options, QObject *parent)
    : QObject(parent), m_platform(std::move(platform)), m_options(std::move(options)),
      m_trusted(trusted), m_thread(new QThread(this)),
      m_worker(new DadavezaRuzServerWorker(m_platform, m_options)), m_statusText(kStopped),
      m_port(port), m_webPadPort(m_options.webPadPort),
      m_webPadStatus(m_options.webPadEnabled ? kWebPadStopped : kWebPadOff)
{
    if (!WebPadSecret::isWellFormed(m_options.webPadSecret))
        m_options.webPadSecret = WebPadSecret::generate();
    m_trusted->setParent(this);
    m_thread->setObjectName(u"DadavezaRuzServer"_s);
    m_worker->moveToThread(m_thread);

    connect(m_worker, &DadavezaRuzServerWorker::listening, this, &DadavezaRuzServer::onListening);
    connect(m_worker, &DadavezaRuzServerWorker::listenFailed, this, [this](const QString &error) {
        m_hasListener = false;
        fail(kFailedToStart + error);
    });
    connect(m_worker, &DadavezaRuzServerWorker::listenerFailed, this, [this](const QString &error) {
        m_hasListener = false;
        fail(kServerFailed + error);
    });
    connect(m_worker, &DadavezaRuzServerWorker::keyboardLost, this,
            &DadavezaRuzServer::onKeyboardLost);
    connect(m_worker, &DadavezaRuzServerWorker::lastCommandChanged, this, [this] {
        const QString command = m_worker->takeLastCommand();
        if (command != m_lastCommand) {
            m_lastCommand = command;
            Q_EMIT lastCommandChanged(m_lastCommand);
        }
    });
    connect(m_worker, &DadavezaRuzServerWorker::pendingApprovalsChanged, this,
            &DadavezaRuzServer::onPendingApprovals);
    connect(m_worker, &DadavezaRuzServerWorker::logged, this, &DadavezaRuzServer::addToLog);
    connect(m_worker, &DadavezaRuzServerWorker::buttonToggled, this,
            &DadavezaRuzServer::storeToggled);
    connect(m_worker, &DadavezaRuzServerWorker::webPadListening, this, [this](quint16 webPort) {
        if (!m_hasListener || !m_options.webPadEnabled)
            return; // stopped or switched off meanwhile
        m_webPadRunning = true;
        m_webPadPort = webPort;
        m_webPadStatus = kWebPadOnPort + QString::number(webPort);
        addToLog(u"Phone pad served at http://%1:%2/"_s.arg(m_readyAddress.value_or(u"localhost"_s))
                     .arg(webPort));
        Q_EMIT webPadChanged();
    });
    connect(m_worker, &DadavezaRuzServerWorker::webPadListenFailed, this,
            [this](const QString &error) {
                m_webPadStarted = false;
                m_webPadRunning = false;
                m_webPadStatus = kWebPadFailed + error;
                addToLog(u"Phone pad: "_s + m_webPadStatus);
                Q_EMIT webPadChanged();
            });
    connect(m_worker, &DadavezaRuzServerWorker::phonesChanged, this, [this](int phones) {
        if (std::exchange(m_phoneCount, phones) != phones)
            Q_EMIT webPadChanged();
    });
    connect(m_trusted, &TrustedControllers::addressesChanged, m_worker,
            &DadavezaRuzServerWorker::setTrusted);
    connect(this, &DadavezaRuzServer::refusedControllersChanged, m_worker,
            &DadavezaRuzServerWorker::setRefused);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, trusted = m_trusted->addresses(),
                                         secret = m_options.webPadSecret] {
        worker->setTrusted(trusted);
        worker->setWebPadSecret(secret);
    });
}

DadavezaRuzServer::~DadavezaRuzServer()
{
    stop();
    // The worker is deleted in its own thread, while that still runs.
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker] { delete worker; }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
}

void DadavezaRuzServer::start()
{
    if (m_hasListener)
        return;
    m_hasListener = true;
    m_advertised = false;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, address = m_platform.listenAddress,
                                         port = m_port] { worker->listen(address, port); });
}

void DadavezaRuzServer::stop()
{
    m_hasListener = false;
    if (m_publisher)
        m_publisher->unpublish();
    setAdvertisementProblem({});
    // Synchronously, so that no key is posted once stop() has returned.
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker] { worker->stop(); }, Qt::BlockingQueuedConnection);
    onPendingApprovals();
    stopWebPad(m_options.webPadEnabled ? kWebPadStopped : kWebPadOff);
    setRunning(false, kStopped);
}

void DadavezaRuzServer::setWebPadEnabled(bool enabled)
{
    if (enabled == m_options.webPadEnabled)
        return;
    m_options.webPadEnabled = enabled;
    if (enabled) {
        m_webPadStatus = kWebPadStopped;
        startWebPad();
    } else {
        QMetaObject::invokeMethod(
            m_worker, [worker = m_worker] { worker->stopWebPad(); }, Qt::BlockingQueuedConnection);
        stopWebPad(kWebPadOff);
    }
    Q_EMIT webPadChanged();
}

void DadavezaRuzServer::startWebPad()
{
    if (!m_options.webPadEnabled || !m_isRunning || m_webPadStarted)
        return;
    m_webPadStarted = true;
    if (m_padStore && !m_pagesFeed) {
        m_pagesFeed = new WebPadPagesFeed(*m_padStore, this);
        connect(m_pagesFeed, &WebPadPagesFeed::snapshotChanged, this,
                &DadavezaRuzServer::setWebPadSnapshot);
        m_pagesFeed->start();
        setWebPadSnapshot(m_pagesFeed->snapshot());
    }
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, address = m_platform.listenAddress, port = m_options.webPadPort,
         names = m_options.ownHostNames] { worker->listenWebPad(address, port, names); });
}

void DadavezaRuzServer::stopWebPad(const QString &status)
{
    const bool changed = m_webPadRunning || m_webPadStatus != status || m_phoneCount != 0;
    m_webPadStarted = false;
    m_webPadRunning = false;
    m_webPadPort = m_options.webPadPort;
    m_webPadStatus = status;
    m_phoneCount = 0;
    if (changed)
        Q_EMIT webPadChanged();
}

std::optional<QString> DadavezaRuzServer::webPadUrl() const
{
    if (!m_webPadRunning || !m_readyAddress)
        return std::nullopt;
    return webPadLink(*m_readyAddress, m_webPadPort, m_options.webPadSecret, m_port);
}

QString DadavezaRuzServer::webPadLink(const QString &address, quint16 webPort,
                                      const QString &secret, quint16 port)
{
    // The secret is in the fragment, which a browser never sends in a request.
    const QString host = address.contains(u':') ? u'[' + address + u']' : address;
    return u"http://%1:%2/#k=%3&p=%4"_s.arg(host).arg(webPort).arg(secret).arg(port);
}

void DadavezaRuzServer::newPairingLink()
{
    m_options.webPadSecret =
        m_options.newWebPadSecret ? m_options.newWebPadSecret() : WebPadSecret::generate();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, secret = m_options.webPadSecret] {
        worker->setWebPadSecret(secret);
    });
    addToLog(kNewLinkMade);
    Q_EMIT webPadChanged();
}

void DadavezaRuzServer::followPadPages(ModelStore &store)
{
    m_padStore = &store;
    startWebPad();
}

void DadavezaRuzServer::storeToggled(qint64 button, bool on)
{
    // The commit reaches the phones through the pages feed, as an edit does.
    if (m_padStore) {
        if (const auto stored = ShortcutPad(*m_padStore).setToggledOn(button, on); !stored)
            qCWarning(lcServer).noquote()
                << "Could not keep the state of a two-state button:" << stored.error().description;
    }
    // After the commit: pages read from now on have the state, or were read before it and
    // reach the worker before this does.
    QMetaObject::invokeMethod(m_worker,
                              [worker = m_worker, button] { worker->webPadToggleStored(button); });
}

void DadavezaRuzServer::setWebPadSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, snapshot = std::move(snapshot)] {
        worker->setWebPadSnapshot(snapshot);
    });
}

void DadavezaRuzServer::approve(const QString &address)
{
    QStringList refused = m_refused;
    if (refused.removeAll(address) > 0)
        setRefused(refused);
    m_trusted->add(address);
}

void DadavezaRuzServer::decline(const QString &address)
{
    if (address.isEmpty() || m_refused.contains(address))
        return;
    m_trusted->remove(address);
    setRefused(m_refused + QStringList{address});
}

void DadavezaRuzServer::forgetRefusal(const QString &address)
{
    QStringList refused = m_refused;
    if (refused.removeAll(address) > 0)
        setRefused(refused);
}

std::optional<QString> DadavezaRuzServer::allowAddress(const QString &text)
{
    if (std::optional<QString> problem = ControllerAccess::allowProblem(text))
        return problem;
    approve(ControllerAccess::addressText(QHostAddress(text.trimmed())));
    return std::nullopt;
}

void DadavezaRuzServer::setRefused(const QStringList &addresses)
{
    if (addresses == m_refused)
        return;
    m_refused = addresses;
    Q_EMIT refusedControllersChanged(m_refused);
}

void DadavezaRuzServer::onPendingApprovals()
{
    const DadavezaRuzServerWorker::PendingApprovals pending = m_worker->takePendingApprovals();
    // Answers the worker has not applied yet stay answered here.
    QStringList addresses;
    for (const QString &address : pending.addresses) {
        if (!m_trusted->contains(address) && !m_refused.contains(address))
            addresses.append(address);
    }
    if (addresses == m_pendingApprovals && pending.dropped == m_droppedApprovals)
        return;
    m_pendingApprovals = addresses;
    m_droppedApprovals = pending.dropped;
    Q_EMIT pendingApprovalsChanged(m_pendingApprovals);
}

void DadavezaRuzServer::onListening(quint16 port, const QString &keyboardProblem)
{
    if (!m_hasListener)
        return; // stopped while the listener was being set up
    if (m_port != port) {
        m_port = port;
        Q_EMIT portChanged(m_port);
    }
    const std::optional<QString> address =
        m_platform.localAddress ? m_platform.localAddress() : std::nullopt;
    m_readyAddress = address;
    QString status = address ? QString(kRunningTarget + *address + u':' + QString::number(m_port))
                             : QString(kRunningOnPort + QString::number(m_port));
    if (!keyboardProblem.isEmpty())
        status += u" (" + kKeyboardLost + keyboardProblem + u')';
    setRunning(true, status);
    startWebPad();

    if (!m_publisher && m_platform.makePublisher) {
        m_publisher = m_platform.makePublisher();
        connect(m_publisher.get(), &ServicePublisher::stateChanged, this,
                &DadavezaRuzServer::onPublisherState);
    }
    if (m_publisher) {
        m_publisher->publish(QString::fromLatin1(kDadavezaRuzInstanceName),
                             QString::fromLatin1(kDadavezaRuzServiceType), m_port);
        onPublisherState(); // a publisher may fail at once
    }
}

void DadavezaRuzServer::onPublisherState()
{
    if (!m_hasListener || !m_publisher)
        return;
    switch (m_publisher->state()) {
    case ServicePublisher::State::Failed:
        m_advertised = false;
        setAdvertisementProblem(kNotAdvertised.arg(m_publisher->errorText()));
        break;
    case ServicePublisher::State::Established:
        setAdvertisementProblem({});
        if (!std::exchange(m_advertised, true))
            addToLog(kAdvertised.arg(QLatin1StringView(kDadavezaRuzInstanceName)));
        break;
    case ServicePublisher::State::Idle:
    case ServicePublisher::State::Registering:
        break;
    }
}

void DadavezaRuzServer::onKeyboardLost(const QString &reason)
{
    if (!m_hasListener)
        return;
    stop();
    fail(kServerFailed + kKeyboardLost + reason);
}

void DadavezaRuzServer::fail(const QString &status)
{
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->stopWebPad(); });
    stopWebPad(m_options.webPadEnabled ? kWebPadStopped : kWebPadOff);
    if (m_publisher)
        m_publisher->unpublish();
    setAdvertisementProblem({});
    setRunning(false, status);
    Q_EMIT failed(m_statusText);
}

void DadavezaRuzServer::setAdvertisementProblem(const QString &problem)
{
    if (problem == m_advertisementProblem)
        return;
    m_advertisementProblem = problem;
    if (!problem.isEmpty())
        addToLog(problem);
    Q_EMIT advertisementProblemChanged(m_advertisementProblem);
}

void DadavezaRuzServer::addToLog(const QString &line)
{
    qCDebug(lcServer).noquote() << line;
    m_log.append(QTime::currentTime().toString(u"HH:mm:ss"_s) + u"  "_s + line);
    if (m_log.size() > kMaxLogLines)
        m_log.remove(0, m_log.size() - kMaxLogLines);
    Q_EMIT logged(line);
}

void DadavezaRuzServer::setRunning(bool running, const QString &status)
{
    if (m_isRunning != running) {
        m_isRunning = running;
        Q_EMIT isRunningChanged(m_isRunning);
    }
    if (m_statusText != status) {
        qCDebug(lcServer).noquote() << "Status:" << status;
        m_statusText = status;
        Q_EMIT statusTextChanged(m_statusText);
    }
}

} // namespace hb
