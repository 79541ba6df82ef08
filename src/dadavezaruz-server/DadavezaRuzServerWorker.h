#pragma once

#include "dadavezaruz-server/DadavezaRuzServerPlatform.h"
#include "dadavezaruz/KeyCombo.h"

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <atomic>
#include <memory>

class QTcpServer;

namespace hb {

class AppActivator;
class KeyEventPoster;
class MonitorCalibrationLineDelimitedConnection;
struct ShortcutMessage;

// The server's network side. It lives on the server's worker thread: it owns the listener and
// every controller connection, decodes their lines and posts the keys, one line at a time in
// arrival order. It reports to the main thread only through its signals.
class DadavezaRuzServerWorker : public QObject {
    Q_OBJECT

public:
    explicit DadavezaRuzServerWorker(DadavezaRuzServerPlatform platform);
    ~DadavezaRuzServerWorker() override;

    // Thread-safe: the newest decoded message as "keyCombo → appTarget". Reading it lets the next
    // message be announced again, so a flood of presses costs the main thread one event.
    QString takeLastCommand();

    // Any thread; for tests and benchmarks.
    qsizetype connectionCount() const { return m_connectionCount.load(); }

public Q_SLOTS:
    void listen(const QHostAddress &address, quint16 port);
    // Closes the listener and every connection; nothing is reported afterwards.
    void stop();
    void setTrusted(const QStringList &addresses);

Q_SIGNALS:
    // `keyboardProblem` is empty when key presses can be posted.
    void listening(quint16 port, const QString &keyboardProblem);
    void listenFailed(const QString &error);
    void listenerFailed(const QString &error);
    void lastCommandChanged();
    void approvalNeeded(const QString &address);

private:
    void ensureKeyboard();
    void accept();
    void handleLine(const QByteArray &line);
    void postShortcut(const ShortcutMessage &message);
    void activateTarget(const QString &appTarget);
    void drop(MonitorCalibrationLineDelimitedConnection *connection);

    DadavezaRuzServerPlatform m_platform;
    std::unique_ptr<KeyEventPoster> m_poster;
    std::unique_ptr<AppActivator> m_activator;
    QTcpServer *m_listener = nullptr;
    QList<MonitorCalibrationLineDelimitedConnection *> m_connections;
    std::atomic<qsizetype> m_connectionCount{0};
    QSet<QString> m_trusted;

    // Parsed key combinations by their text; a pad sends the same few over and over.
    QHash<QString, std::optional<KeyPress>> m_parsedCombos;

    QMutex m_lastCommandMutex;
    QString m_lastKeyCombo;
    QString m_lastAppTarget;
    bool m_lastCommandAnnounced = false;
};

} // namespace hb
