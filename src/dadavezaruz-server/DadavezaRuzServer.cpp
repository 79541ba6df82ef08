#include "dadavezaruz-server/DadavezaRuzServer.h"

#include "common/Settings.h"
#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/DadavezaRuzServerWorker.h"
#include "dadavezaruz-server/ServerLogging.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "platform/dnssd/ServicePublisher.h"

#include <QCoreApplication>
#include <QHostAddress>
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
    return std::make_unique<DadavezaRuzServer>(
        systemServerPlatform(ServerSettings::commandKey(settings)), trusted, kDadavezaRuzPort,
        options);
}

DadavezaRuzServer::DadavezaRuzServer(DadavezaRuzServerPlatform platform,
                                     TrustedControllers *trusted, quint16 port,
                                     DadavezaRuzServerOptions options, QObject *parent)
    : QObject(parent), m_platform(std::move(platform)), m_options(std::move(options)),
      m_trusted(trusted), m_thread(new QThread(this)),
      m_worker(new DadavezaRuzServerWorker(m_platform, m_options)), m_statusText(kStopped),
      m_port(port)
{
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
    connect(m_trusted, &TrustedControllers::addressesChanged, m_worker,
            &DadavezaRuzServerWorker::setTrusted);
    connect(this, &DadavezaRuzServer::refusedControllersChanged, m_worker,
            &DadavezaRuzServerWorker::setRefused);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, trusted = m_trusted->addresses()] {
        worker->setTrusted(trusted);
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
    setRunning(false, kStopped);
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
