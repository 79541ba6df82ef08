#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerWorker.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"

#include <QMutex>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// What the server did, in order, recorded on its worker thread.
struct Journal {
    QMutex mutex;
    QStringList events;
    QStringList running{u"resolve"_s, u"obs"_s};
    void add(const QString &event)
    {
        QMutexLocker lock(&mutex);
        events.append(event);
    }
    QStringList take()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(events, {});
    }
};

class RecordingPoster : public KeyEventPoster {
public:
    RecordingPoster(Journal &journal, QString problem) : m_journal(journal), m_problem(problem) {}
    bool isAvailable() const override { return m_problem.isEmpty(); }
    QString unavailableReason() const override { return m_problem; }
    void postKeyPress(quint16 code, quint64 modifiers) override
    {
        m_journal.add(u"key %1 %2"_s.arg(code).arg(modifiers, 0, 16));
    }

private:
    Journal &m_journal;
    QString m_problem;
};

class RecordingActivator : public AppActivator {
public:
    explicit RecordingActivator(Journal &journal) : m_journal(journal) {}
    bool activate(const QString &windowClass) override
    {
        const bool runs = m_journal.running.contains(windowClass);
        if (runs)
            m_journal.add(u"activate "_s + windowClass);
        return runs;
    }

private:
    Journal &m_journal;
};

} // namespace

class TestDadavezaRuzServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void statusFollowsTheListener_data();
    void statusFollowsTheListener();
    void busyPortFailsAndCanBeRetried();
    void framesBecomeKeyPresses_data();
    void framesBecomeKeyPresses();
    void controllersAreServedOneAtATimeInArrivalOrder();
    void stopDropsEveryController();
    void localNetworkControllersNeedApproval();

private:
    std::unique_ptr<DadavezaRuzServer> makeServer(quint16 port = 0, QString keyboardProblem = {});
    std::unique_ptr<QTcpSocket> connectController(const char *from = "127.0.0.1");
    // Everything the server did so far.
    const QStringList &seen()
    {
        m_seen += m_journal.take();
        return m_seen;
    }

    Journal m_journal;
    QStringList m_seen;
    std::optional<QString> m_localAddress;
    QStringList m_trustStore;
    std::unique_ptr<DadavezaRuzServer> m_server;
};

std::unique_ptr<DadavezaRuzServer> TestDadavezaRuzServer::makeServer(quint16 port,
                                                                     QString keyboardProblem)
{
    DadavezaRuzServerPlatform platform;
    platform.makePoster = [this, keyboardProblem] {
        return std::make_unique<RecordingPoster>(m_journal, keyboardProblem);
    };
    platform.makeActivator = [this] { return std::make_unique<RecordingActivator>(m_journal); };
    platform.localAddress = [this] { return m_localAddress; };
    platform.listenAddress = QHostAddress::LocalHost;
    // 127.0.0.2 stands for a machine on the local network, 127.0.0.3 for one elsewhere.
    platform.classifyPeer = [](const QHostAddress &peer) {
        if (peer == QHostAddress(u"127.0.0.2"_s))
            return ControllerAccess::Kind::LocalNetwork;
        if (peer == QHostAddress(u"127.0.0.3"_s))
            return ControllerAccess::Kind::Elsewhere;
        return ControllerAccess::Kind::Loopback;
    };
    auto *trusted = new TrustedControllers([this] { return m_trustStore; },
                                           [this](const QStringList &list) { m_trustStore = list; });
    return std::make_unique<DadavezaRuzServer>(std::move(platform), trusted, port);
}

std::unique_ptr<QTcpSocket> TestDadavezaRuzServer::connectController(const char *from)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(QString::fromLatin1(from)));
    socket->connectToHost(QHostAddress::LocalHost, m_server->port());
    if (!socket->waitForConnected(5000))
        return nullptr;
    return socket;
}

void TestDadavezaRuzServer::init()
{
    m_journal.take();
    m_seen.clear();
    m_localAddress.reset();
    m_trustStore.clear();
    m_server = makeServer();
    QCOMPARE(m_server->statusText(), u"Stopped"_s);
    m_server->start();
    QTRY_VERIFY(m_server->isRunning());
}

void TestDadavezaRuzServer::cleanup()
{
    m_server.reset();
}

void TestDadavezaRuzServer::statusFollowsTheListener_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("keyboardProblem");
    QTest::addColumn<QString>("status"); // %1 is the port

    QTest::newRow("no local address") << QString() << QString() << u"Server running on port %1"_s;
    QTest::newRow("local address") << u"192.0.2.5"_s << QString()
                                   << u"Server running \u2014 iPhone target: 192.0.2.5:%1"_s;
    QTest::newRow("no keyboard")
        << QString() << u"no X display"_s
        << u"Server running on port %1 (keystrokes cannot be posted: no X display)"_s;
}

void TestDadavezaRuzServer::statusFollowsTheListener()
{
    QFETCH(QString, address);
    QFETCH(QString, keyboardProblem);
    QFETCH(QString, status);

    m_server = makeServer(0, keyboardProblem);
    if (!address.isEmpty())
        m_localAddress = address;
    QSignalSpy running(m_server.get(), &DadavezaRuzServer::isRunningChanged);
    m_server->start();
    m_server->start(); // a second start makes no second listener
    QTRY_COMPARE(running.size(), 1);
    QCOMPARE(m_server->statusText(), status.arg(m_server->port()));
    QTest::qWait(50);
    QCOMPARE(running.size(), 1);

    m_server->stop();
    QVERIFY(!m_server->isRunning());
    QCOMPARE(m_server->statusText(), u"Stopped"_s);
}

void TestDadavezaRuzServer::busyPortFailsAndCanBeRetried()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::LocalHost, 0));
    m_server = makeServer(squatter.serverPort());
    m_server->start();
    QTRY_VERIFY(m_server->statusText().startsWith(u"Failed to start: "_s));
    QVERIFY(m_server->statusText().size() > u"Failed to start: "_s.size());
    QVERIFY(!m_server->isRunning());

    squatter.close();
    m_server->start(); // the failed listener was not kept, so this tries again
    QTRY_VERIFY(m_server->isRunning());
}

void TestDadavezaRuzServer::framesBecomeKeyPresses_data()
{
    QTest::addColumn<QByteArrayList>("writes");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("lastCommand");

    const QByteArray good = R"({"keyCombo":"cmd+shift+c","appTarget":"resolve"})";
    const QStringList goodEvents{u"activate resolve"_s, u"key 8 120000"_s};
    QTest::newRow("two frames in one write")
        << QByteArrayList{good + "\n" + R"({"appTarget":"global","keyCombo":"space"})" "\n"}
        << goodEvents + QStringList{u"key 49 0"_s} << u"space \u2192 global"_s;
    QTest::newRow("one frame over three writes")
        << QByteArrayList{good.first(10), good.sliced(10, 20), good.sliced(30) + "\r\n"}
        << goodEvents << u"cmd+shift+c \u2192 resolve"_s;
    QTest::newRow("bad lines are dropped")
        << QByteArrayList{"\n", "{nope\n", R"({"keyCombo":"c"})" "\n",
                          R"({"keyCombo":"c","appTarget":7})" "\n", good + "\n"}
        << goodEvents << u"cmd+shift+c \u2192 resolve"_s;
    QTest::newRow("over-long line, then a good one")
        << QByteArrayList{QByteArray(70000, 'x'), "\n" + good + "\n"} << goodEvents
        << u"cmd+shift+c \u2192 resolve"_s;
    QTest::newRow("target in upper case, no key")
        << QByteArrayList{R"({"keyCombo":"++","appTarget":"OBS"})" "\n"}
        << QStringList{u"activate obs"_s} << u"++ \u2192 OBS"_s;
    QTest::newRow("target not running, unknown key")
        << QByteArrayList{R"({"keyCombo":"ctrl+f13","appTarget":"frontmost"})" "\n"}
        << QStringList{u"key 0 40000"_s} << u"ctrl+f13 \u2192 frontmost"_s;
}

void TestDadavezaRuzServer::framesBecomeKeyPresses()
{
    QFETCH(QByteArrayList, writes);
    QFETCH(QStringList, events);
    QFETCH(QString, lastCommand);

    m_journal.running = {u"resolve"_s, u"obs"_s};
    auto controller = connectController();
    QVERIFY(controller);
    for (const QByteArray &bytes : writes) {
        controller->write(bytes);
        QVERIFY(controller->waitForBytesWritten(5000));
    }
    QTRY_COMPARE(seen(), events);
    QTRY_COMPARE(m_server->lastCommand(), lastCommand);
}

void TestDadavezaRuzServer::controllersAreServedOneAtATimeInArrivalOrder()
{
    auto first = connectController();
    auto second = connectController();
    QVERIFY(first && second);
    const QList<std::pair<QTcpSocket *, QString>> presses{
        {first.get(), u"a"_s}, {second.get(), u"s"_s}, {first.get(), u"d"_s}, {second.get(), u"f"_s}};
    QStringList expected;
    for (const auto &[controller, key] : presses) {
        controller->write(u"{\"keyCombo\":\"%1\",\"appTarget\":\"global\"}\n"_s.arg(key).toUtf8());
        QVERIFY(controller->waitForBytesWritten(5000));
        expected.append(u"key %1 0"_s.arg(expected.size())); // a, s, d, f are keys 0 to 3
        QTRY_COMPARE(seen(), expected);
    }
}

void TestDadavezaRuzServer::stopDropsEveryController()
{
    auto controller = connectController();
    QVERIFY(controller);
    QTRY_COMPARE(m_server->worker()->connectionCount(), 1);
    m_server->stop();
    QCOMPARE(m_server->statusText(), u"Stopped"_s);
    QVERIFY(controller->state() == QAbstractSocket::UnconnectedState ||
            controller->waitForDisconnected(5000));

    // A controller that leaves by itself is forgotten too.
    m_server->start();
    QTRY_VERIFY(m_server->isRunning());
    auto leaving = connectController();
    QTRY_COMPARE(m_server->worker()->connectionCount(), 1);
    leaving->disconnectFromHost();
    QTRY_COMPARE(m_server->worker()->connectionCount(), 0);
}

void TestDadavezaRuzServer::localNetworkControllersNeedApproval()
{
    const QByteArray press = R"({"keyCombo":"k","appTarget":"global"})" "\n";
    QSignalSpy asked(m_server.get(), &DadavezaRuzServer::approvalRequested);
    auto stranger = connectController("127.0.0.3");
    QVERIFY(!stranger || stranger->waitForDisconnected(5000)); // refused outright

    auto neighbour = connectController("127.0.0.2");
    QVERIFY(neighbour);
    QTRY_COMPARE(asked.size(), 1);
    QCOMPARE(m_server->pendingApprovals(), QStringList{u"127.0.0.2"_s});
    neighbour->write(press);
    QVERIFY(neighbour->waitForBytesWritten(5000));
    QTest::qWait(100);
    QVERIFY(seen().isEmpty()); // dropped, not queued

    m_server->approve(u"127.0.0.2"_s);
    QVERIFY(m_server->pendingApprovals().isEmpty());
    QCOMPARE(m_trustStore, QStringList{u"127.0.0.2"_s});
    neighbour->write(press);
    QTRY_COMPARE(seen(), QStringList{u"key 40 0"_s});
}

QTEST_GUILESS_MAIN(TestDadavezaRuzServer)
#include "tst_DadavezaRuzServer.moc"
