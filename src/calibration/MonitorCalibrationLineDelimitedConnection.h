#pragma once

#include "common/LineSplitter.h"

#include <QAbstractSocket>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

namespace hb {

// One accepted TCP stream cut into lines. It knows nothing of what the lines mean: each
// complete line goes to onLine and every change of the stream to onStateUpdate, and its owner
// writes frames with send().
//
// The object, its socket and both callbacks live on the owner's worker thread; create it
// there, and call start(), send() and cancel() there. A callback may cancel the connection but
// must not delete it (use deleteLater()).
class MonitorCalibrationLineDelimitedConnection : public QObject {
    Q_OBJECT

public:
    // The connection's own view of the stream.
    struct State {
        enum class Kind { Setup, Waiting, Ready, Failed, Cancelled };
        Kind kind = Kind::Setup;
        std::optional<QString> error; // for Waiting and Failed

        // "ready", or "failed (Connection reset by peer)".
        QString description() const;
        friend bool operator==(const State &, const State &) = default;
    };

    // Takes ownership of the accepted socket. A line longer than `maxLineLength` bytes is
    // dropped (and reported to onLineDropped); the stream stays open.
    explicit MonitorCalibrationLineDelimitedConnection(
        QTcpSocket *socket, QObject *parent = nullptr,
        qsizetype maxLineLength = LineSplitter::kDefaultMaxLineLength);
    ~MonitorCalibrationLineDelimitedConnection() override;

    std::function<void(QByteArray)> onLine;
    std::function<void(State)> onStateUpdate;
    std::function<void()> onLineDropped;

    // Reports the stream's state and starts reading. Set the callbacks first.
    void start();
    // Writes the bytes as they are; a failed write is not reported.
    void send(const QByteArray &bytes);
    // Closes the stream and reports Cancelled at once; nothing is reported after that.
    void cancel();
    // Stops reading, sends what was written, then closes the stream; Cancelled is reported once
    // it is closed (or Failed, when that fails).
    void closeWhenSent();

    QHostAddress peerAddress() const;
    bool isFinished() const { return m_finished; }

    static State stateFor(QAbstractSocket::SocketState socketState);

private:
    void report(const State &state);
    void readAvailable();
    void finish(const State &state);

    QTcpSocket *m_socket;
    LineSplitter m_lines;
    bool m_started = false;
    bool m_closing = false;
    bool m_finished = false;
};

} // namespace hb
