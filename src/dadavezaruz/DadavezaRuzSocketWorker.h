#pragma once

#include "dadavezaruz/DadavezaRuzLink.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTcpSocket;

namespace hb {

// The socket side of a TCP link. It lives on the network thread and is used only there: open()
// and write() are called there, and the callbacks run there (the link forwards them).
class DadavezaRuzSocketWorker : public QObject {
    Q_OBJECT

public:
    using ReportFunction = std::function<void(DadavezaRuzLink::Report report,
                                              const QString &description, DadavezaRuzPeer peer)>;
    using SentFunction = std::function<void(quint64 sendId, const QString &errorDescription)>;

    DadavezaRuzSocketWorker(ReportFunction report, SentFunction sent);
    ~DadavezaRuzSocketWorker() override;

    // The send error when no connection is open.
    static QString notOpenText();

    void open(const QString &host, quint16 port);
    void write(quint64 sendId, const QByteArray &frame);

private:
    struct PendingSend {
        quint64 id;
        qint64 endOffset; // the frame has left once this many bytes were written in total
    };

    void onStateChanged(QAbstractSocket::SocketState state);
    void onError();
    void onBytesWritten(qint64 bytes);
    void failPendingSends(const QString &description);

    ReportFunction m_report;
    SentFunction m_sent;
    QTcpSocket *m_socket = nullptr;
    QList<PendingSend> m_pending;
    qint64 m_queued = 0;  // bytes handed to the socket so far
    qint64 m_written = 0; // bytes the socket reported written so far
    bool m_ended = false; // a Failed report went out; nothing follows it
};

} // namespace hb
