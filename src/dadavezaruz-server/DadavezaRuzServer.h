#pragma once

#include "dadavezaruz-server/DadavezaRuzServerOptions.h"
#include "dadavezaruz-server/DadavezaRuzServerPlatform.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

class QThread;

namespace hb {

class DadavezaRuzServerWorker;
class ModelStore;
class ServicePublisher;
class TrustedControllers;
class WebPadPagesFeed;
struct WebPadSnapshot;

// The shortcut server: listens for pad controllers, advertises itself by DNS-SD, and turns each
// press into a key press in the target application. Its observed fields belong to the main
// thread; the network work runs on the worker thread "DadavezaRuzServer". Nothing starts or
// stops it but start() and stop(): it keeps serving while the user is on other screens.
//
// Controllers on this machine are served; one on the local network once the user allowed it
// (approve(), or allowAddress()). A refused one (decline()) is not asked about again while the
// process runs, unless forgetRefusal() takes the refusal back.
class DadavezaRuzServer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(quint16 port READ port NOTIFY portChanged)
    Q_PROPERTY(QString lastCommand READ lastCommand NOTIFY lastCommandChanged)
    Q_PROPERTY(QStringList pendingApprovals READ pendingApprovals NOTIFY pendingApprovalsChanged)
    Q_PROPERTY(int droppedApprovals READ droppedApprovals NOTIFY pendingApprovalsChanged)
    Q_PROPERTY(
        QStringList refusedControllers READ refusedControllers NOTIFY refusedControllersChanged)
    Q_PROPERTY(
        QString advertisementProblem READ advertisementProblem NOTIFY advertisementProblemChanged)
    Q_PROPERTY(QStringList log READ log NOTIFY logged)
    Q_PROPERTY(bool webPadEnabled READ webPadEnabled NOTIFY webPadChanged)
    Q_PROPERTY(QString webPadStatus READ webPadStatus NOTIFY webPadChanged)
    Q_PROPERTY(int phoneCount READ phoneCount NOTIFY webPadChanged)

public:
    static constexpr qsizetype kMaxLogLines = 100;

    // The server of this machine: the system's key poster, window activation, DNS-SD and the
    // user's settings, on the pads' port. The application keeps one for as long as it runs.
    static std::unique_ptr<DadavezaRuzServer> createForThisMachine();
    // This machine's host name and its ".local" name, for the phone pad.
    static QStringList ownHostNames();

    // `port` 0 lets the system choose (tests); `port` then shows the chosen one once running.
    DadavezaRuzServer(DadavezaRuzServerPlatform platform, TrustedControllers *trusted, quint16 port,
                      DadavezaRuzServerOptions options = {}, QObject *parent = nullptr);
    ~DadavezaRuzServer() override;

    bool isRunning() const { return m_isRunning; }
    QString statusText() const { return m_statusText; }
    quint16 port() const { return m_port; }
    QString lastCommand() const { return m_lastCommand; }
    // Controllers on the local network waiting for an answer, oldest first (a few at most).
    QStringList pendingApprovals() const { return m_pendingApprovals; }
    // Requests given up because too many were waiting, since the server started.
    int droppedApprovals() const { return m_droppedApprovals; }
    // Refused while this process runs.
    QStringList refusedControllers() const { return m_refused; }
    // Why pads cannot find the server by DNS-SD, empty while it is advertised (or stopped).
    QString advertisementProblem() const { return m_advertisementProblem; }
    // The latest lines for the user, oldest first, each with its time.
    QStringList log() const { return m_log; }
    // The local address read when the listener became ready, if there was one.
    std::optional<QString> readyAddress() const { return m_readyAddress; }
    TrustedControllers &trustedControllers() const { return *m_trusted; }

    // The phone pad. While enabled it runs whenever the server runs.
    bool webPadEnabled() const { return m_options.webPadEnabled; }
    void setWebPadEnabled(bool enabled);
    // Its port: the one it listens on while running, else the one it will ask for.
    quint16 webPadPort() const { return m_webPadPort; }
    bool isWebPadRunning() const { return m_webPadRunning; }
    // "Off", "Starts with the server", "Served on port N", or why it could not start.
    QString webPadStatus() const { return m_webPadStatus; }
    // The link a phone opens (it holds the pairing secret), while the phone pad runs and the
    // server knows its local address.
    std::optional<QString> webPadUrl() const;
    // The phone pad's link: its address and port, the pairing secret and the pads' port.
    static QString webPadLink(const QString &address, quint16 webPort, const QString &secret,
                              quint16 port);
    // Replaces the pairing secret: phones paired with the old link are disconnected.
    void newPairingLink();
    // Phones served now.
    int phoneCount() const { return m_phoneCount; }
    // The pad's pages for the phones, read from `store` (which must outlive the server) once the
    // phone pad first runs, and followed from then on.
    void followPadPages(ModelStore &store);
    // Pages given directly (tests, benchmarks).
    void setWebPadSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot);

    void start();
    void stop();

    // The user's answer for a controller on the local network.
    void approve(const QString &address);
    void decline(const QString &address);
    // Takes a refusal back: the controller is asked about again when it next connects.
    void forgetRefusal(const QString &address);
    // Allows a controller by the address the user typed; the reason when it cannot be allowed.
    std::optional<QString> allowAddress(const QString &text);

    // For tests and benchmarks: the worker and its thread.
    DadavezaRuzServerWorker *worker() const { return m_worker; }
    QThread *workerThread() const { return m_thread; }

Q_SIGNALS:
    void isRunningChanged(bool isRunning);
    void statusTextChanged(const QString &statusText);
    void portChanged(quint16 port);
    void lastCommandChanged(const QString &lastCommand);
    void pendingApprovalsChanged(const QStringList &addresses);
    void refusedControllersChanged(const QStringList &addresses);
    void advertisementProblemChanged(const QString &problem);
    // A new line for the user (without its time).
    void logged(const QString &line);
    // The listener could not be created, failed later, or keystrokes can no longer be posted
    // where they must be; emitted even when the text repeats.
    void failed(const QString &statusText);
    // The phone pad started, stopped, failed, was switched or has a new link, or the number of
    // phones changed.
    void webPadChanged();

private:
    void setRunning(bool running, const QString &status);
    void onListening(quint16 port, const QString &keyboardProblem);
    void onKeyboardLost(const QString &reason);
    void onPendingApprovals();
    void onPublisherState();
    void fail(const QString &status);
    void setRefused(const QStringList &addresses);
    void setAdvertisementProblem(const QString &problem);
    void addToLog(const QString &line);
    void startWebPad();
    void stopWebPad(const QString &status);
    void storeToggled(qint64 button, bool on);

    DadavezaRuzServerPlatform m_platform;
    DadavezaRuzServerOptions m_options;
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
    int m_droppedApprovals = 0;
    QStringList m_refused;
    QString m_advertisementProblem;
    bool m_advertised = false; // told the user since the start
    QStringList m_log;
    std::optional<QString> m_readyAddress;

    quint16 m_webPadPort;
    bool m_webPadStarted = false; // asked the worker to listen
    bool m_webPadRunning = false;
    QString m_webPadStatus;
    int m_phoneCount = 0;
    ModelStore *m_padStore = nullptr;
    WebPadPagesFeed *m_pagesFeed = nullptr;
};

} // namespace hb
