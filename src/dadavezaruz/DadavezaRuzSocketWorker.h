#pragma once

#include "common/LineSplitter.h"
#include "dadavezaruz/DadavezaRuzLink.h"
#include "dadavezaruz/ServerStatusMessage.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QTcpSocket;
class QTimer;

namespace hb {

// The socket side of a TCP link. It lives on the network thread and is used only there: open()
// and write() are called there, and the callbacks run there (the link forwards them).
//
// A frame counts as sent once the server's machine has acknowledged its bytes, not when they
// were handed to the system: on a dead Wi-Fi link the system would otherwise keep them and
// deliver them, as a stale key press, whenever the link came back. A frame that is not
// acknowledged within kAckDeadlineMsec ends the connection and is thrown away; the connection
// also ends by itself when the server stops answering while nothing is being sent.
//
// What the server sends back is read as status lines; nothing else is kept.
class DadavezaRuzSocketWorker : public QObject {
    Q_OBJECT

public:
    using ReportFunction = std::function<void(DadavezaRuzLink::Report report,
                                              const QString &description, DadavezaRuzPeer peer)>;
    using SentFunction = std::function<void(quint64 sendId, const QString &errorDescription)>;
    using StatusFunction = std::function<void(const ServerStatusMessage &message)>;

    static constexpr int kAckDeadlineMsec = 2000;
    static constexpr int kAckPollMsec = 5;
    // The server sends a few short lines; the socket holds no more than this of them unread.
    static constexpr qint64 kReadBufferSize = 4 * ServerStatusMessage::kMaxLineLength;

    DadavezaRuzSocketWorker(ReportFunction report, SentFunction sent, StatusFunction status);
    ~DadavezaRuzSocketWorker() override;

    // The send error when no connection is open.
    static QString notOpenText();
    // The failure when the server's machine no longer acknowledges what the pad sends.
    static QString stoppedAnsweringText();

    void open(const QString &host, quint16 port);
    void write(quint64 sendId, const QByteArray &frame);

private:
    struct PendingSend {
        quint64 id;
        qint64 endOffset; // the frame is acknowledged once this many bytes were in total
        QDeadlineTimer deadline;
    };

    void onStateChanged(QAbstractSocket::SocketState state);
    void onError();
    void onReadyRead();
    void checkAcknowledged();
    qint64 acknowledgedBytes() const;
    void stopAnswering();
    void fail(const QString &description);
    void failPendingSends(const QString &description);

    ReportFunction m_report;
    SentFunction m_sent;
    StatusFunction m_status;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_ackPoll = nullptr;
    LineSplitter m_lines{ServerStatusMessage::kMaxLineLength};
    QList<PendingSend> m_pending;
    qint64 m_queued = 0;  // bytes handed to the socket so far
    bool m_ready = false; // a Ready report went out
    bool m_ended = false; // a Failed report went out; nothing follows it
};

} // namespace hb
