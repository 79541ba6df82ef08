#include "FakeDadavezaRuzNetwork.h"

#include "common/Settings.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/ReconnectSchedule.h"
#include "dadavezaruz/TcpDadavezaRuzTransport.h"
#include "platform/dnssd/AvahiServiceDiscovery.h"
#include "platform/dnssd/AvahiServicePublisher.h"
#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"

#include <QMutex>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

using State = DadavezaRuzConnection::State;
using Report = DadavezaRuzLink::Report;
using Status = ServerStatusMessage::Status;

namespace {

// The server's keyboard: records the presses, on the server's thread.
struct KeyRecorder : KeyEventPoster, AppActivator {
    explicit KeyRecorder(std::function<void(QString)> log) : record(std::move(log)) {}
    bool isAvailable() const override { return true; }
    QString unavailableReason() const override { return {}; }
    void postKeyPress(quint16 code, quint64 modifiers) override
    {
        record(u"key %1 %2"_s.arg(code).arg(modifiers, 0, 16));
    }
    Activation activate(const QString &window) override
    {
        record(u"activate "_s + window);
        return Activation::Activated;
    }
    std::function<void(QString)> record;
};

// A server on a free loopback port with a recording keyboard, advertised or not.
struct TestServer {
    explicit TestServer(bool advertise = false)
    {
        const auto record = [this](const QString &event) {
            QMutexLocker lock(&mutex);
            keys.append(event);
        };
        DadavezaRuzServerPlatform platform;
        platform.makePoster = [record] { return std::make_unique<KeyRecorder>(record); };
        platform.makeActivator = [record] { return std::make_unique<KeyRecorder>(record); };
        if (advertise)
            platform.makePublisher = [] { return std::make_unique<AvahiServicePublisher>(); };
        platform.localAddress = [] { return std::optional<QString>(); };
        platform.listenAddress = QHostAddress::LocalHost;
        server = std::make_unique<DadavezaRuzServer>(
            std::move(platform),
            new TrustedControllers([this] { return trustStore; },
                                   [this](const QStringList &list) { trustStore = list; }),
            0);
        server->start();
        QTRY_VERIFY(server->isRunning());
    }
    bool pressed(const QString &key)
    {
        QMutexLocker lock(&mutex);
        return keys.contains(key);
    }

    QMutex mutex;
    QStringList keys;
    QStringList trustStore;
    std::unique_ptr<DadavezaRuzServer> server;
};

} // namespace

class TestDadavezaRuzConnection : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Settings> m_settings;
    FakeTransport m_transport;
    FakeDiscovery m_discovery;
    std::unique_ptr<DadavezaRuzConnection> m_connection;

    DadavezaRuzConnection &makeConnection()
    {
        m_connection =
            std::make_unique<DadavezaRuzConnection>(*m_settings, m_transport, m_discovery);
        return *m_connection;
    }
    FakeLink &connectedLink(const QString &host = u"studio"_s)
    {
        m_connection->connectToHost(host, 58432);
        m_transport.last()->report(Report::Ready);
        return *m_transport.last();
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<Settings>(m_dir.filePath(u"settings.ini"_s));
        m_settings->remove(SettingsKey::dadavezaruzLastHost);
        m_settings->remove(SettingsKey::dadavezaruzLastHostPort);
        m_settings->remove(SettingsKey::dadavezaruzSavedHosts);
        m_transport.links.clear();
        m_discovery = {};
        makeConnection();
    }

    void connectChecksHostAndPort_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("linkTarget"); // empty: no attempt
        QTest::addColumn<QString>("status");

        QTest::newRow("trimmed") << u"  192.168.1.20 \n"_s << 58432 << u"192.168.1.20:58432"_s
                                 << QString();
        QTest::newRow("blank") << u" \t\n"_s << 58432 << QString()
                               << DadavezaRuzConnection::emptyHostText();
        QTest::newRow("port 0") << u"studio"_s << 0 << QString()
                                << DadavezaRuzConnection::invalidPortText();
    }

    void connectChecksHostAndPort()
    {
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, linkTarget);
        m_connection->connectToHost(host, quint16(port));
        QCOMPARE(m_transport.last() ? m_transport.last()->target : QString(), linkTarget);
        QTEST(m_connection->lastError(), "status");
        QCOMPARE(m_connection->state().kind,
                 linkTarget.isEmpty() ? State::Disconnected : State::Connecting);
        QCOMPARE(m_transport.last() && m_transport.last()->started, !linkTarget.isEmpty());
    }

    void failureReports_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("blocked");

        QTest::newRow("refused") << u"Connection refused"_s
                                 << u"Connection failed: Connection refused"_s << false;
        QTest::newRow("policy") << u"POSIX -65570: PolicyDenied"_s
                                << DadavezaRuzConnection::localNetworkDeniedText() << true;
        QTest::newRow("denied") << u"Permission denied"_s
                                << DadavezaRuzConnection::localNetworkDeniedText() << true;
    }

    void failureReports()
    {
        QFETCH(QString, description);
        m_connection->connectToHost(u"studio"_s, 58432);
        m_transport.last()->report(Report::Failed, description);
        QCOMPARE(m_connection->state(), (State{State::Failed, description}));
        QTEST(m_connection->lastError(), "status");
        QTEST(m_connection->isBonjourBlocked(), "blocked");
    }

    void eachTimeoutEndsOnlyItsOwnAttempt()
    {
        m_connection->setConnectTimeout(300);
        m_connection->connectToHost(u"first"_s, 58432);
        QTest::qWait(200);
        m_connection->connectToHost(u"second"_s, 58432);
        QTest::qWait(200); // the first attempt's timer has fired by now
        QCOMPARE(m_connection->state().kind, State::Connecting);
        QTRY_COMPARE(m_connection->state(), (State{State::Failed, u"Connection timed out"_s}));
        QCOMPARE(m_connection->lastError(), u"Connection timed out (5s)"_s);
        QCOMPARE(m_connection->hostAddress(), u"second"_s);
    }

    void sendOnlyWhenConnected()
    {
        m_connection->connectToHost(u"studio"_s, 58432);
        m_connection->send({u"cmd+z"_s, u"resolve"_s}, u"Undo"_s); // still connecting: dropped
        FakeLink &link = *m_transport.last();
        QVERIFY(link.frames.isEmpty());
        link.report(Report::Ready);
        m_connection->send({u"cmd+z"_s, u"resolve"_s}, u"Undo"_s);
        QCOMPARE(link.frames, QList<QByteArray>{R"({"keyCombo":"cmd+z","appTarget":"resolve"})"
                                                "\n"});
        QCOMPARE(m_connection->lastSentLabel(), QString()); // not before the bytes left
        link.completions.takeFirst()(QString());
        QCOMPARE(m_connection->lastSentLabel(), u"Undo"_s);
        m_connection->send({u"k"_s, u"resolve"_s}, u"Stop"_s);
        link.completions.takeFirst()(u"Broken pipe"_s);
        QCOMPARE(m_connection->lastSentLabel(), u"Undo"_s);
        QCOMPARE(m_connection->lastError(), u"Broken pipe"_s);
        // A send of a replaced link that finishes late changes nothing.
        m_connection->send({u"k"_s, u"resolve"_s}, u"Stop"_s);
        m_connection->connectToHost(u"other"_s, 58432);
        link.completions.takeFirst()(QString());
        QCOMPARE(m_connection->lastSentLabel(), u"Undo"_s);
    }

    void pressesFollowTheServersWord_data()
    {
        QTest::addColumn<QList<Status>>("said"); // by the server before the press
        QTest::addColumn<bool>("closes");        // after the press
        QTest::addColumn<int>("frames");         // sent for the press
        QTest::addColumn<QString>("sentLabel");
        QTest::addColumn<QString>("status");
        QTest::addColumn<State>("state");
        QTest::addColumn<int>("reconnectDelay");

        const QString waiting = u"Waiting for approval on the server"_s;
        const QString refused = u"Refused by the server"_s;
        const QString closed = u"The remote host closed the connection"_s;
        const State connected{State::Connected, {}};

        QTest::newRow("server that says nothing")
            << QList<Status>{} << false << 1 << u"Undo"_s << QString() << connected << 0;
        QTest::newRow("waiting for approval") << QList{Status::WaitingForApproval} << false << 0
                                              << QString() << waiting << connected << 0;
        QTest::newRow("approved") << QList{Status::WaitingForApproval, Status::Ready} << false << 1
                                  << u"Undo"_s << QString() << connected << 0;
        QTest::newRow("refused") << QList{Status::WaitingForApproval, Status::Refused} << false << 0
                                 << QString() << refused << connected << 0;
        QTest::newRow("refused, then closed") << QList{Status::Refused} << true << 0 << QString()
                                              << refused << State{State::Failed, refused} << 0;
        QTest::newRow("closed while ready")
            << QList{Status::Ready} << true << 1 << u"Undo"_s << u"Connection failed: "_s + closed
            << State{State::Failed, closed} << 1;
    }

    void pressesFollowTheServersWord()
    {
        QFETCH(QList<Status>, said);
        QFETCH(bool, closes);
        m_connection->setReconnectAutomatically(true);
        FakeLink &link = connectedLink();
        for (Status word : std::as_const(said))
            link.status(word);
        m_connection->send({u"cmd+z"_s, u"resolve"_s}, u"Undo"_s);
        QTEST(int(link.frames.size()), "frames");
        for (const FakeLink::SendCompletion &done : std::as_const(link.completions))
            done(QString());
        if (closes)
            link.report(Report::Failed, u"The remote host closed the connection"_s);
        QTEST(m_connection->lastSentLabel(), "sentLabel");
        QTEST(m_connection->lastError(), "status");
        QTEST(m_connection->state(), "state");
        QTEST(m_connection->reconnectDelay(), "reconnectDelay");
    }

    // A sequence goes only to a server whose last status line said it types them; an older
    // server would drop it without a word.
    void sequencesGoWhereTheyAreAccepted_data()
    {
        QTest::addColumn<QList<ServerStatusMessage>>("said");
        QTest::addColumn<QStringList>("thenKeyCombos");
        QTest::addColumn<QByteArray>("frame"); // empty: nothing is sent
        QTest::addColumn<bool>("refused");     // the status line says why not

        const ServerStatusMessage newer{Status::Ready, {u"keySequence"_s}, {}};
        const ServerStatusMessage older{Status::Ready, {}, {}};
        const QStringList rest{u"cmd+v"_s};
        const QByteArray sequence =
            R"({"keySequence":["cmd+z","cmd+v"],"delayMs":120,"appTarget":"resolve"})"
            "\n";
        const QByteArray single = R"({"keyCombo":"cmd+z","appTarget":"resolve"})"
                                  "\n";

        QTest::newRow("sequence, newer server") << QList{newer} << rest << sequence << false;
        QTest::newRow("sequence, older server") << QList{older} << rest << QByteArray() << true;
        QTest::newRow("sequence, server that says nothing")
            << QList<ServerStatusMessage>{} << rest << QByteArray() << true;
        QTest::newRow("sequence, accepts other kinds only")
            << QList{ServerStatusMessage{Status::Ready, {u"macro"_s}, {}}} << rest << QByteArray()
            << true;
        QTest::newRow("sequence, the last line no longer says so")
            << QList{newer, older} << rest << QByteArray() << true;
        QTest::newRow("sequence, said again after approval")
            << QList{ServerStatusMessage{Status::WaitingForApproval, {u"keySequence"_s}, {}}, newer}
            << rest << sequence << false;
        QTest::newRow("single, older server") << QList{older} << QStringList() << single << false;
        QTest::newRow("single, server that says nothing")
            << QList<ServerStatusMessage>{} << QStringList() << single << false;
    }

    void sequencesGoWhereTheyAreAccepted()
    {
        QFETCH(QList<ServerStatusMessage>, said);
        QFETCH(QStringList, thenKeyCombos);
        QFETCH(QByteArray, frame);
        QFETCH(bool, refused);
        FakeLink &link = connectedLink(u"edit-bay"_s);
        for (const ServerStatusMessage &line : std::as_const(said))
            link.status(line);
        int posted = 0;
        m_connection->send({u"cmd+z"_s, u"resolve"_s, thenKeyCombos, 120}, u"Swap"_s,
                           [&posted] { ++posted; });
        QCOMPARE(link.frames, frame.isEmpty() ? QList<QByteArray>() : QList{frame});
        for (const FakeLink::SendCompletion &done : std::as_const(link.completions))
            done(QString());
        QCOMPARE(posted, frame.isEmpty() ? 0 : 1);
        QCOMPARE(m_connection->lastSentLabel(), frame.isEmpty() ? QString() : u"Swap"_s);
        QCOMPARE(m_connection->lastError(),
                 refused ? u"This server types one key combination per press. Update Huebench on "
                           u"edit-bay to send key sequences."_s
                         : QString());
    }

    // The server's reason for a press it did not type is the status line's, until something
    // else is to be said.
    void notTypedIsShown_data()
    {
        QTest::addColumn<QList<ServerStatusMessage>>("said");
        QTest::addColumn<QString>("status");

        const ServerStatusMessage ready{Status::Ready, {u"keySequence"_s}, {}};
        const ServerStatusMessage notTyped{
            Status::Ready, {u"keySequence"_s}, u"“shft+z” — Unknown name “shft”"_s};
        const QString shown = u"Not typed: “shft+z” — Unknown name “shft”"_s;
        QTest::newRow("a reason") << QList{ready, notTyped} << shown;
        QTest::newRow("stays after a plain ready line") << QList{notTyped, ready} << shown;
        QTest::newRow("replaces the approval wait")
            << QList{ServerStatusMessage{Status::WaitingForApproval, {}, {}}, notTyped} << shown;
        QTest::newRow("replaced by a refusal")
            << QList{notTyped, ServerStatusMessage{Status::Refused, {}, {}}}
            << u"Refused by the server"_s;
        QTest::newRow("the newest reason")
            << QList{notTyped, ServerStatusMessage{Status::Ready, {}, u"busy"_s}}
            << u"Not typed: busy"_s;
    }

    void notTypedIsShown()
    {
        QFETCH(QList<ServerStatusMessage>, said);
        FakeLink &link = connectedLink();
        for (const ServerStatusMessage &line : std::as_const(said))
            link.status(line);
        QTEST(m_connection->lastError(), "status");
    }

    // What a replaced link reports or hears from its server counts for nothing.
    void aReplacedLinkCountsForNothing()
    {
        FakeLink &first = connectedLink(u"first"_s);
        first.status(Status::WaitingForApproval);
        QPointer<FakeLink> old = &first;
        m_connection->connectToHost(u"second"_s, 58432);
        QCOMPARE(m_connection->serverStatus(), std::nullopt);
        QVERIFY(old);
        old->status(Status::Refused);
        old->report(Report::Failed, u"Connection refused"_s);
        old->report(Report::Ready);
        QCOMPARE(m_connection->state().kind, State::Connecting);
        QCOMPARE(m_connection->lastError(), QString());
        QCOMPARE(m_connection->serverStatus(), std::nullopt);
        QCOMPARE(m_connection->savedHosts().size(), 1); // "first" only

        m_transport.last()->report(Report::Ready);
        m_connection->send({u"cmd+z"_s, u"resolve"_s}, u"Undo"_s);
        QCOMPARE(m_transport.last()->frames.size(), 1);
    }

    void autoConnectOnlyWhenEnabled()
    {
        m_connection->rememberHost(u"studio"_s, 6000);
        m_connection->setAutoConnectEnabled(false);
        m_connection->autoConnect();
        QVERIFY(m_transport.links.isEmpty());
        m_connection->setAutoConnectEnabled(true);
        m_connection->autoConnect();
        QCOMPARE(m_transport.last()->target, u"studio:6000"_s);
    }

    void lostConnectionIsRetriedWithBackoff()
    {
        m_connection->setReconnectAutomatically(true);
        m_connection->connectToHost(u"studio"_s, 58432);
        m_transport.last()->report(Report::Failed, u"Connection refused"_s);
        QCOMPARE(m_connection->reconnectDelay(), 0); // never connected: nothing to get back to

        connectedLink();
        m_transport.last()->report(Report::Failed, u"The remote host closed the connection"_s);
        QCOMPARE(m_connection->reconnectDelay(), 1);
        QTRY_COMPARE(m_transport.links.size(), 3);
        QCOMPARE(m_transport.last()->target, u"studio:58432"_s);
        m_transport.last()->report(Report::Failed, u"Connection refused"_s);
        QCOMPARE(m_connection->reconnectDelay(), 2);
        m_connection->disconnectFromHost(); // the user's word ends it
        QCOMPARE(m_connection->reconnectDelay(), 0);
        QTest::qWait(1200);
        QCOMPARE(m_transport.links.size(), 3);
    }

    // The schedule itself, apart from a connection.
    void backOffDoublesUpToItsCap()
    {
        ReconnectSchedule schedule;
        for (const int expected : {1, 2, 4, 8, 16, 30, 30}) {
            schedule.schedule();
            QCOMPARE(schedule.delay(), expected);
        }
        schedule.resetBackoff(); // back after a loss: the countdown under way goes on
        QCOMPARE(schedule.delay(), 30);
        schedule.schedule();
        QCOMPARE(schedule.delay(), 1);
        schedule.schedule();
        schedule.cancel();
        QCOMPARE(schedule.delay(), 0);
        schedule.schedule();
        QCOMPARE(schedule.delay(), 1);
    }

    void countsDownToOneAttempt()
    {
        ReconnectSchedule schedule;
        schedule.setTickInterval(20);
        QList<int> shown;
        connect(&schedule, &ReconnectSchedule::delayChanged, this,
                [&] { shown.append(schedule.delay()); });
        QSignalSpy due(&schedule, &ReconnectSchedule::due);
        schedule.schedule();
        schedule.schedule(); // a second loss before the attempt: the longer wait counts
        QTRY_COMPARE(due.size(), 1);
        QCOMPARE(shown, (QList<int>{1, 2, 1, 0}));
        QTest::qWait(100); // the countdown has stopped
        QCOMPARE(due.size(), 1);
        QCOMPARE(schedule.delay(), 0);
    }

    void againstARealServer()
    {
        TestServer server;
        TcpDadavezaRuzTransport transport(m_discovery);
        DadavezaRuzConnection connection(*m_settings, transport, m_discovery);
        connection.connectToHost(u"127.0.0.1"_s, server.server->port());
        QTRY_COMPARE(connection.state().kind, State::Connected);
        QCOMPARE(m_settings->text(SettingsKey::dadavezaruzLastHost), u"127.0.0.1"_s);
        QCOMPARE(m_settings->integer(SettingsKey::dadavezaruzLastHostPort), server.server->port());
        QCOMPARE(connection.savedHosts().value(0).port, server.server->port());
        connection.send({u"cmd+z"_s, u"resolve"_s}, u"Undo"_s);
        QTRY_COMPARE(connection.lastSentLabel(), u"Undo"_s);
        QTRY_COMPARE(server.server->lastCommand(), u"cmd+z → resolve"_s);
        QTRY_VERIFY(server.pressed(u"key 6 100000"_s));
        // This server types sequences, and says why a press was not typed.
        QTRY_COMPARE(connection.serverAccepts(), QStringList{u"keySequence"_s});
        connection.send({u"a"_s, u"global"_s, {u"space"_s}, 0}, u"Both"_s);
        QTRY_VERIFY(server.pressed(u"key 49 0"_s));
        connection.send({u"shft+z"_s, u"resolve"_s}, u"Typo"_s);
        QTRY_COMPARE(connection.lastError(), u"Not typed: “shft+z” — Unknown modifier “shft”"_s);

        // A port nobody listens on.
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        connection.connectToHost(u"127.0.0.1"_s, port);
        QTRY_COMPARE(connection.lastError(), u"Connection failed: Connection refused"_s);
        QCOMPARE(connection.state().kind, State::Failed);
    }

    void discoversARealServer()
    {
        if (!qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
            QSKIP("Needs the confined Avahi daemon of scripts/test-env (HB_TEST_AVAHI)");
        TestServer server(true);
        AvahiServiceDiscovery discovery;
        TcpDadavezaRuzTransport transport(discovery);
        DadavezaRuzConnection connection(*m_settings, transport, discovery);
        connection.startBrowsing();
        const auto found = [&] {
            const QList<DiscoveredHost> hosts = connection.discoveredHosts();
            return hosts.size() == 1 && hosts[0].resolvedIP == u"127.0.0.1"_s;
        };
        QTRY_VERIFY_WITH_TIMEOUT(found(), 15000);
        QCOMPARE(connection.discoveredHosts()[0].name, u"Huebench"_s);

        connection.connectToDiscovered(connection.discoveredHosts()[0]);
        QTRY_COMPARE_WITH_TIMEOUT(connection.state().kind, State::Connected, 15000);
        QCOMPARE(connection.hostAddress(), u"127.0.0.1"_s);
        QCOMPARE(connection.port(), server.server->port());
        QCOMPARE(connection.savedHosts().value(0).host, u"127.0.0.1"_s);
        connection.send({u"space"_s, u"obs"_s}, u"Play"_s);
        QTRY_VERIFY(server.pressed(u"key 49 0"_s));
    }

    void discoveryShowsThroughTheConnection()
    {
        QSignalSpy found(m_connection.get(), &DadavezaRuzConnection::discoveredHostsChanged);
        QSignalSpy blocked(m_connection.get(), &DadavezaRuzConnection::isBonjourBlockedChanged);
        m_connection->startBrowsing();
        Q_EMIT m_discovery.browsers.last()->resultsChanged(
            {{u"Huebench"_s, u"_huebench._tcp"_s, u"local."_s}});
        QCOMPARE(m_connection->discoveredHosts().size(), 1);
        QCOMPARE(found.size(), 1);
        m_discovery.browsers.last()->fail(ServiceDiscoveryError::Failed, u"NoAuth (-65555)"_s);
        QCOMPARE(m_connection->lastError(), DadavezaRuzConnection::discoveryBlockedText());
        QCOMPARE(blocked.size(), 1);

        m_connection->probeLocalNetwork();
        QVERIFY(m_transport.links.isEmpty()); // no traffic: only the daemon is asked
        Q_EMIT m_discovery.checks.last()->finished(true, {});
        QCOMPARE(m_connection->lastError(), DadavezaRuzConnection::probeGrantedText());
        QVERIFY(!m_connection->isBonjourBlocked());
    }
};

QTEST_GUILESS_MAIN(TestDadavezaRuzConnection)
#include "tst_DadavezaRuzConnection.moc"
