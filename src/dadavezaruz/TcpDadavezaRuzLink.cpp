#include "dadavezaruz/TcpDadavezaRuzLink.h"

#include "dadavezaruz/DadavezaRuzSocketWorker.h"

#include <QCoreApplication>
#include <QPointer>

namespace hb {

namespace {

// Runs `work` on the main thread, unless `link` is gone by then.
template <typename Work> void toMainThread(const QPointer<TcpDadavezaRuzLink> &link, Work work)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [link, work = std::move(work)] {
            if (link)
                work(link.data());
        },
        Qt::QueuedConnection);
}

} // namespace

TcpDadavezaRuzLink::TcpDadavezaRuzLink(QObject *sockets, const QString &host, quint16 port)
    : m_sockets(sockets), m_target{host, port}
{
}

TcpDadavezaRuzLink::TcpDadavezaRuzLink(QObject *sockets, ServiceDiscovery &discovery,
                                       const ServiceInstance &service)
    : m_sockets(sockets), m_discovery(&discovery), m_service(service)
{
}

TcpDadavezaRuzLink::~TcpDadavezaRuzLink()
{
    // Deleted on its own thread, where its socket lives; its callbacks find this link gone.
    if (m_worker)
        m_worker->deleteLater();
}

void TcpDadavezaRuzLink::start()
{
    if (!m_service) {
        open(m_target.host, m_target.port);
        return;
    }
    Q_EMIT reported(Report::Preparing, {});
    m_lookup = m_discovery->resolve(*m_service);
    connect(m_lookup.get(), &ServiceLookup::resolved, this, [this](const ServiceAddress &address) {
        m_lookup.release()->deleteLater();
        open(address.host, address.port);
    });
    connect(m_lookup.get(), &ServiceLookup::failed, this, [this](const Error &error) {
        m_lookup.release()->deleteLater();
        Q_EMIT reported(Report::Failed, error.description);
    });
}

void TcpDadavezaRuzLink::open(const QString &host, quint16 port)
{
    const QPointer<TcpDadavezaRuzLink> self(this);
    m_worker = new DadavezaRuzSocketWorker(
        [self](Report report, const QString &description, const DadavezaRuzPeer &peer) {
            toMainThread(self, [report, description, peer](TcpDadavezaRuzLink *link) {
                link->onReport(report, description, peer);
            });
        },
        [self](quint64 sendId, const QString &errorDescription) {
            toMainThread(self, [sendId, errorDescription](TcpDadavezaRuzLink *link) {
                link->onSent(sendId, errorDescription);
            });
        },
        [self](const ServerStatusMessage &message) {
            toMainThread(self, [message](TcpDadavezaRuzLink *link) {
                Q_EMIT link->serverStatusReceived(message);
            });
        });
    m_worker->moveToThread(m_sockets->thread());
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker.data(), sockets = m_sockets, host, port] {
            worker->setParent(sockets); // on its thread, where both live
            worker->open(host, port);
        },
        Qt::QueuedConnection);
}

void TcpDadavezaRuzLink::send(const QByteArray &frame, SendCompletion done)
{
    const quint64 sendId = ++m_nextSendId;
    m_sends.emplace(sendId, std::move(done));
    if (!m_worker) {
        onSent(sendId, DadavezaRuzSocketWorker::notOpenText());
        return;
    }
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker.data(), sendId, frame] { worker->write(sendId, frame); },
        Qt::QueuedConnection);
}

void TcpDadavezaRuzLink::onReport(Report report, const QString &description,
                                  const DadavezaRuzPeer &peer)
{
    if (report == Report::Ready)
        m_peer = peer;
    Q_EMIT reported(report, description);
}

void TcpDadavezaRuzLink::onSent(quint64 sendId, const QString &errorDescription)
{
    if (SendCompletion done = m_sends.take(sendId))
        done(errorDescription);
}

} // namespace hb
