#include "dadavezaruz-server/DadavezaRuzServer.h"

#include "common/Settings.h"
#include "dadavezaruz-server/DadavezaRuzServerWorker.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz/DadavezaRuzProtocol.h"
#include "platform/dnssd/ServicePublisher.h"

#include <QCoreApplication>
#include <QThread>

namespace hb {
namespace {

const QString kStopped = QStringLiteral("Stopped");
const QString kFailedToStart = QStringLiteral("Failed to start: ");
const QString kRunningTarget = QStringLiteral("Server running \u2014 iPhone target: ");
const QString kRunningOnPort = QStringLiteral("Server running on port ");
const QString kServerFailed = QStringLiteral("Server failed: ");

} // namespace

DadavezaRuzServer &DadavezaRuzServer::shared()
{
    static QPointer<DadavezaRuzServer> instance;
    if (!instance) {
        const Settings settings;
        auto *trusted = new TrustedControllers(
            [] { return ServerSettings::trustedControllers(Settings()); },
            [](const QStringList &addresses) {
                Settings store;
                ServerSettings::setTrustedControllers(store, addresses);
            });
        instance = new DadavezaRuzServer(systemServerPlatform(ServerSettings::commandKey(settings)),
                                         trusted, kDadavezaRuzPort, QCoreApplication::instance());
    }
    return *instance;
}

DadavezaRuzServer::DadavezaRuzServer(DadavezaRuzServerPlatform platform,
                                     TrustedControllers *trusted, quint16 port, QObject *parent)
    : QObject(parent), m_platform(std::move(platform)), m_trusted(trusted),
      m_thread(new QThread(this)), m_worker(new DadavezaRuzServerWorker(m_platform)),
      m_statusText(kStopped), m_port(port)
{
    m_trusted->setParent(this);
    m_thread->setObjectName(QStringLiteral("DadavezaRuzServer"));
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);

    connect(m_worker, &DadavezaRuzServerWorker::listening, this, &DadavezaRuzServer::onListening);
    connect(m_worker, &DadavezaRuzServerWorker::listenFailed, this, [this](const QString &error) {
        m_hasListener = false;
        setRunning(false, kFailedToStart + error);
        Q_EMIT failed(m_statusText);
    });
    connect(m_worker, &DadavezaRuzServerWorker::listenerFailed, this, [this](const QString &error) {
        m_hasListener = false;
        if (m_publisher)
            m_publisher->unpublish();
        setRunning(false, kServerFailed + error);
        Q_EMIT failed(m_statusText);
    });
    connect(m_worker, &DadavezaRuzServerWorker::lastCommandChanged, this, [this] {
        const QString command = m_worker->takeLastCommand();
        if (command != m_lastCommand) {
            m_lastCommand = command;
            Q_EMIT lastCommandChanged(m_lastCommand);
        }
    });
    connect(m_worker, &DadavezaRuzServerWorker::approvalNeeded, this,
            &DadavezaRuzServer::onApprovalNeeded);
    connect(m_trusted, &TrustedControllers::addressesChanged, m_worker,
            &DadavezaRuzServerWorker::setTrusted);
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, trusted = m_trusted->addresses()] {
        worker->setTrusted(trusted);
    });
}

DadavezaRuzServer::~DadavezaRuzServer()
{
    stop();
    m_thread->quit();
    m_thread->wait();
}

void DadavezaRuzServer::start()
{
    if (m_hasListener)
        return;
    m_hasListener = true;
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, address = m_platform.listenAddress,
                                         port = m_port] { worker->listen(address, port); });
}

void DadavezaRuzServer::stop()
{
    m_hasListener = false;
    if (m_publisher)
        m_publisher->unpublish();
    // Synchronously, so that no key is posted once stop() has returned.
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { worker->stop(); },
                              Qt::BlockingQueuedConnection);
    setPending({});
    setRunning(false, kStopped);
}

void DadavezaRuzServer::approve(const QString &address)
{
    m_trusted->add(address);
    decline(address); // answered: no longer pending
}

void DadavezaRuzServer::decline(const QString &address)
{
    QStringList rest = m_pendingApprovals;
    rest.removeAll(address);
    setPending(rest);
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
        status += u" (keystrokes cannot be posted: " + keyboardProblem + u')';
    setRunning(true, status);

    if (!m_publisher && m_platform.makePublisher)
        m_publisher = m_platform.makePublisher();
    if (m_publisher) {
        m_publisher->publish(QString::fromLatin1(kDadavezaRuzInstanceName),
                             QString::fromLatin1(kDadavezaRuzServiceType), m_port);
    }
}

void DadavezaRuzServer::onApprovalNeeded(const QString &address)
{
    if (!m_hasListener || m_trusted->contains(address) || m_pendingApprovals.contains(address))
        return;
    setPending(m_pendingApprovals + QStringList{address});
    Q_EMIT approvalRequested(address);
}

void DadavezaRuzServer::setPending(const QStringList &addresses)
{
    if (addresses == m_pendingApprovals)
        return;
    m_pendingApprovals = addresses;
    Q_EMIT pendingApprovalsChanged(m_pendingApprovals);
}

void DadavezaRuzServer::setRunning(bool running, const QString &status)
{
    if (m_isRunning != running) {
        m_isRunning = running;
        Q_EMIT isRunningChanged(m_isRunning);
    }
    if (m_statusText != status) {
        m_statusText = status;
        Q_EMIT statusTextChanged(m_statusText);
    }
}

} // namespace hb
