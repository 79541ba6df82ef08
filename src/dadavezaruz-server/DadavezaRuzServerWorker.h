#pragma once

#include "dadavezaruz-server/DadavezaRuzServerOptions.h"
#include "dadavezaruz-server/DadavezaRuzServerPlatform.h"
#include "dadavezaruz-server/TypingQueue.h"
#include "dadavezaruz/KeyCombo.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <memory>

class QTcpServer;
class QTcpSocket;

namespace hb {

class AppActivator;
class KeyEventPoster;
class MonitorCalibrationLineDelimitedConnection;
class WebPadServer;
struct ShortcutMessage;
struct WebPadSnapshot;

// The server's network side. It lives on the server's worker thread: it owns the listener and
// every controller connection, decides which controllers are served, decodes their lines and
// posts the keys, one line at a time in arrival order. It reports to the main thread only
// through its signals.
//
// Each controller is told where it stands (a status line, see ServerStatusMessage): served,
// waiting for the user's approval (its presses are dropped meanwhile, never queued), or refused
// (the connection is closed). A connection that starts like an HTTP request is closed before
// anything it sent is read further: a web page in a browser can send bytes to this port.
//
// A press may be a key sequence: it is checked whole, then typed a combination at a time with its
// pauses on a timer, so the thread keeps serving meanwhile. Presses that arrive while one is typed
// wait their turn (TypingQueue). A served controller whose press was not typed is told why, on a
// status line, unless it has left much of what it was sent unread.
class DadavezaRuzServerWorker : public QObject {
    Q_OBJECT

public:
    // Controllers on the local network that wait for the user's answer, oldest first.
    struct PendingApprovals {
        QStringList addresses;
        int dropped = 0; // requests given up since the start because too many were waiting
    };

    static constexpr qsizetype kMaxPendingApprovals = 8;
    static constexpr qsizetype kMaxWaitingPerAddress = 4;
    static constexpr qsizetype kMaxConnections = 256;
    // A controller with more than this waiting to be written is sent no reasons any more.
    static constexpr qint64 kMaxUnsentReplyBytes = 64 * 1024;
    // What this server types besides single combinations, said on every status line.
    static QStringList accepts();

    DadavezaRuzServerWorker(DadavezaRuzServerPlatform platform, DadavezaRuzServerOptions options);
    ~DadavezaRuzServerWorker() override;

    // Thread-safe: the newest decoded message as "keyCombo → appTarget". Reading it lets the next
    // message be announced again, so a flood of presses costs the main thread one event.
    QString takeLastCommand();
    // Thread-safe, announced the same way.
    PendingApprovals takePendingApprovals();

    // Any thread; for tests and benchmarks.
    qsizetype connectionCount() const { return m_connectionCount.load(); }
    // Phones served by the web pad; any thread.
    int phoneCount() const { return m_phoneCount.load(); }

public Q_SLOTS:
    void listen(const QHostAddress &address, quint16 port);
    // Closes the listener and every connection; nothing is reported afterwards.
    void stop();
    // Allowed and refused addresses; controllers already connected follow at once.
    void setTrusted(const QStringList &addresses);
    void setRefused(const QStringList &addresses);

    // The phone pad: its own listener beside the pads' one, stopped by stop() as well.
    void listenWebPad(const QHostAddress &address, quint16 port, const QStringList &ownNames);
    void stopWebPad();
    void setWebPadSecret(const QString &secret);
    // Pages read from the store. A two-state button turned here whose state the store has not
    // taken yet keeps the state it was turned to.
    void setWebPadSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot);
    // The state buttonToggled() reported for `button` is in the store now.
    void webPadToggleStored(qint64 button);

Q_SIGNALS:
    // `keyboardProblem` is empty when key presses can be posted.
    void listening(quint16 port, const QString &keyboardProblem);
    void listenFailed(const QString &error);
    void listenerFailed(const QString &error);
    void webPadListening(quint16 port);
    void phonesChanged(int phones);
    void webPadListenFailed(const QString &error);
    void lastCommandChanged();
    void pendingApprovalsChanged();
    // A line for the user: a refused controller, a press that was not typed, ...
    void logged(const QString &line);
    // Keystrokes could be posted until now, and cannot any more.
    void keyboardLost(const QString &reason);
    // A phone's press of a two-state button was typed: the button now shows and sends `on`.
    void buttonToggled(qint64 button, bool on);

private:
    using Connection = MonitorCalibrationLineDelimitedConnection;
    enum class Access { Served, Waiting, Closing };
    struct Controller {
        QString address;
        Access access = Access::Closing;
        bool needsTrust = true; // not on this machine: served only while allowed
        bool sawFirstLine = false;
        QTcpSocket *socket = nullptr; // owned by the connection
    };
    // A key combination as read once: what to press, or why nothing is.
    struct ParsedCombo {
        std::optional<KeyPress> press;
        QString problem;
    };

    void ensureKeyboard();
    QString keyboardProblem() const;
    void accept();
    void admit(QTcpSocket *socket);
    bool isOwnAddress(const QHostAddress &peer, const QHostAddress &local) const;
    void onLine(Connection *connection, const QByteArray &line);
    void onLineDropped(Connection *connection);
    void closeAsWebRequest(Connection *connection, const QString &address);
    void serve(Connection *connection);
    void wait(Connection *connection);
    void refuse(Connection *connection);
    void close(Connection *connection);
    void drop(Connection *connection);
    void takeOutOfWaiting(Connection *connection, const QString &address);
    using Action = void (DadavezaRuzServerWorker::*)(Connection *);
    // Each connection waiting at an address in `answered` is taken out of waiting and acted on.
    void answerWaiting(const QSet<QString> &answered, Action act);
    // Each served connection from elsewhere whose address is `stopped` is acted on.
    void stopServing(const std::function<bool(const QString &)> &stopped, Action act);
    void announcePending();
    void note(const QString &key, const QString &line);
    QString allowHint(const QString &address) const;

    void handleLine(Connection *connection, const QByteArray &line);
    // Tells a served controller why its press was not typed ("Not typed: …").
    void replyNotTyped(Connection *connection, const QString &line);
    // Announces and posts one press: empty when its keys were posted (or wait their turn), or
    // why they were not.
    QString handleMessage(const ShortcutMessage &message);
    QString postShortcut(const ShortcutMessage &message);
    QString comboRefusal(const QString &keyCombo, const ParsedCombo &combo);
    // Types queued combinations until a pause, or until none is left.
    void typeQueued();
    // A phone's press of a two-state button was typed: the next press sends the other state.
    void flipWebPadButton(qint64 button);
    void showWebPadSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot);
    std::optional<QString> webPadRefusal(const QString &address, ControllerAccess::Kind kind) const;
    ControllerAccess::Kind classify(const QHostAddress &peer, const QHostAddress &local) const;
    ParsedCombo parsed(const QString &keyCombo);
    void activateTarget(const QString &appTarget);

    DadavezaRuzServerPlatform m_platform;
    DadavezaRuzServerOptions m_options;
    std::unique_ptr<KeyEventPoster> m_poster;
    std::unique_ptr<AppActivator> m_activator;
    QTcpServer *m_listener = nullptr;
    QHash<Connection *, Controller> m_controllers;
    std::atomic<qsizetype> m_connectionCount{0};
    QSet<QString> m_trusted;
    QSet<QString> m_refused;

    WebPadServer *m_webPad = nullptr;
    QString m_webPadSecret;
    std::shared_ptr<const WebPadSnapshot> m_webPadSnapshot;
    QHash<qint64, int> m_unstoredToggles; // by button: turned here, not yet in the store
    std::atomic<int> m_phoneCount{0};

    QHash<QString, QList<Connection *>> m_waiting; // by address, oldest first
    QStringList m_pending; // addresses with waiting connections, oldest first
    int m_droppedApprovals = 0;

    // When each kind of line was last noted, so that a flood makes one line, not thousands.
    QHash<QString, qint64> m_noted;
    QElapsedTimer m_clock;

    // Parsed key combinations by their text; a pad sends the same few over and over.
    QHash<QString, ParsedCombo> m_parsedCombos;

    TypingQueue m_typing;
    bool m_typingPaused = false; // a pause inside a sequence is under way
    quint64 m_typingRun = 0;     // ends the pauses under way when stopped

    QMutex m_announceMutex;
    QString m_lastKeyCombo;
    QString m_lastAppTarget;
    bool m_lastCommandAnnounced = false;
    PendingApprovals m_pendingSnapshot;
    bool m_pendingAnnounced = false;
};

} // namespace hb
