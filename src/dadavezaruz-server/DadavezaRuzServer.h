#pragma once

#include "dadavezaruz-server/DadavezaRuzServerPlatform.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

class QThread;

namespace hb {

class DadavezaRuzServerWorker;
class ServicePublisher;
class TrustedControllers;

// The shortcut server: listens for pad controllers, advertises itself by DNS-SD, and turns each
// press into a key press in the target application. Its observed fields belong to the main
// thread; the network work runs on the worker thread "DadavezaRuzServer". Nothing starts or
// stops it but start() and stop(): it keeps serving while the user is on other screens.
class DadavezaRuzServer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(quint16 port READ port NOTIFY portChanged)
    Q_PROPERTY(QString lastCommand READ lastCommand NOTIFY lastCommandChanged)
    Q_PROPERTY(QStringList pendingApprovals READ pendingApprovals NOTIFY pendingApprovalsChanged)

public:
    // The one server of the process, made on first use with the system's key poster, window
    // activation, DNS-SD and the user's settings; it lives as long as the application object.
    static DadavezaRuzServer &shared();

    // `port` 0 lets the system choose (tests); `port` then shows the chosen one once running.
    DadavezaRuzServer(DadavezaRuzServerPlatform platform, TrustedControllers *trusted,
                      quint16 port, QObject *parent = nullptr);
    ~DadavezaRuzServer() override;

    bool isRunning() const { return m_isRunning; }
    QString statusText() const { return m_statusText; }
    quint16 port() const { return m_port; }
    QString lastCommand() const { return m_lastCommand; }
    QStringList pendingApprovals() const { return m_pendingApprovals; }
    // The local address read when the listener became ready, if there was one.
    std::optional<QString> readyAddress() const { return m_readyAddress; }
    TrustedControllers &trustedControllers() const { return *m_trusted; }

    void start();
    void stop();

    // A controller on the local network asked to send shortcuts: allow it from now on, or not.
    void approve(const QString &address);
    void decline(const QString &address);

    // For tests and benchmarks: the worker and its thread.
    DadavezaRuzServerWorker *worker() const { return m_worker; }
    QThread *workerThread() const { return m_thread; }

Q_SIGNALS:
    void isRunningChanged(bool isRunning);
    void statusTextChanged(const QString &statusText);
    void portChanged(quint16 port);
    void lastCommandChanged(const QString &lastCommand);
    void pendingApprovalsChanged(const QStringList &addresses);
    // The listener could not be created, or failed later; emitted even when the text repeats.
    void failed(const QString &statusText);
    // A new controller on the local network waits for the user's approval.
    void approvalRequested(const QString &address);

private:
    void setRunning(bool running, const QString &status);
    void onListening(quint16 port, const QString &keyboardProblem);
    void onApprovalNeeded(const QString &address);
    void setPending(const QStringList &addresses);

    DadavezaRuzServerPlatform m_platform;
    TrustedControllers *m_trusted;
    QThread *m_thread;
    DadavezaRuzServerWorker *m_worker;
    std::unique_ptr<ServicePublisher> m_publisher;
    bool m_hasListener = false;
    bool m_isRunning = false;
    QString m_statusText;
    quint16 m_port;
    QString m_lastCommand;
    QStringList m_pendingApprovals;
    std::optional<QString> m_readyAddress;
};

} // namespace hb
