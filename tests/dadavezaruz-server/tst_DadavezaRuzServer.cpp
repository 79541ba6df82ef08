#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerWorker.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"

#include <QMutex>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

using Record = std::function<void(const QString &)>;

// The keyboard and the window system: records, on the server's worker thread, the key presses
// and activations asked of them. A `problem` makes the keyboard unavailable.
struct Recorder : KeyEventPoster, AppActivator {
    Recorder(Record log, QString reason = {}) : record(log), problem(reason) {}
    bool isAvailable() const override { return problem.isEmpty(); }
    QString unavailableReason() const override { return problem; }
    void postKeyPress(quint16 code, quint64 modifiers) override
    {
        record(u"key %1 %2"_s.arg(code).arg(modifiers, 0, 16));
    }
    Activation activate(const QString &window) override
    {
        record(u"activate "_s + window);
        return Activation::Activated;
    }
    Record record;
    QString problem;
};

QByteArray frame(const QByteArray &combo, const QByteArray &target)
{
    return R"({"keyCombo":")" + combo + R"(","appTarget":")" + target + "\"}\n";
}

} // namespace

class TestDadavezaRuzServer : public QObject {
    Q_OBJECT

    QMutex m_mutex; // guards m_events, which the worker thread appends to
    QStringList m_events;
    QStringList m_trustStore;
    std::unique_ptr<DadavezaRuzServer> m_server;

    void record(const QString &event) { QMutexLocker lock(&m_mutex); m_events.append(event); }
    QStringList seen() { QMutexLocker lock(&m_mutex); return m_events; }
    bool send(QTcpSocket &to, QByteArray b) { to.write(b); return to.waitForBytesWritten(); }

    void makeServer(quint16 port, QString keyboardProblem = {}, std::optional<QString> address = {})
    {
        const Record record = [this](const QString &event) { this->record(event); };
        DadavezaRuzServerPlatform platform;
        platform.makePoster = [=] { return std::make_unique<Recorder>(record, keyboardProblem); };
        platform.makeActivator = [=] { return std::make_unique<Recorder>(record); };
        platform.localAddress = [address] { return address; };
        platform.listenAddress = QHostAddress::LocalHost;
        // 127.0.0.N by its last number: 2 stands for the local network, 3 for elsewhere.
        platform.classifyPeer = [](const QHostAddress &ip) {
            using enum ControllerAccess::Kind;
            return QList{Loopback, Loopback, LocalNetwork, Elsewhere}[ip.toIPv4Address() & 3];
        };
        auto *trusted = new TrustedControllers(
            [this] { return m_trustStore; }, [this](const auto &list) { m_trustStore = list; });
        m_server = std::make_unique<DadavezaRuzServer>(std::move(platform), trusted, port);
    }

    std::unique_ptr<QTcpSocket> connectController(const char *from = "127.0.0.1")
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(QString::fromLatin1(from)));
        socket->connectToHost(QHostAddress::LocalHost, m_server->port());
        return socket->waitForConnected(5000) ? std::move(socket) : nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_trustStore.clear();
        makeServer(0);
        m_events.clear(); // only now, as the server of the test before is gone
        m_server->start();
        QTRY_VERIFY(m_server->isRunning());
    }

    void statusFollowsTheListener_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("keyboardProblem");
        QTest::addColumn<QString>("status"); // %1 is the port

        QTest::newRow("no address") << QString() << QString() << u"Server running on port %1"_s;
    }

    void statusFollowsTheListener()
    {
        QFETCH(QString, address);
        QFETCH(QString, keyboardProblem);
        QFETCH(QString, status);

        makeServer(0, keyboardProblem, address.isEmpty() ? std::nullopt : std::optional(address));
        QSignalSpy ports(m_server.get(), &DadavezaRuzServer::portChanged);
        m_server->start();
        m_server->start(); // no second listener (which would have a port of its own)
        QTRY_COMPARE(m_server->statusText(), status.arg(m_server->port()));
        QTest::qWait(50);
        QCOMPARE(ports.size(), 1);
    }

    void busyPortFailsAndCanBeRetried()
    {
        auto first = std::exchange(m_server, nullptr);
        makeServer(first->port());
        m_server->start();
        QTRY_VERIFY(m_server->statusText().contains(QRegularExpression(u"^Failed to start: .+"_s)));
        QVERIFY(!m_server->isRunning());

        first.reset(); // frees the port; the failed listener was not kept, so a start tries again
        m_server->start();
        QTRY_VERIFY(m_server->isRunning());
    }

    void framesBecomeKeyPresses_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("lastCommand");
        QTest::addColumn<QByteArrayList>("writes");

        const QByteArray good = frame("cmd+shift+c", "resolve"), crlf = good.chopped(1) + "\r\n";
        const QStringList goodEvents{u"activate resolve"_s, u"key 8 120000"_s};
        const QString goodCommand = u"cmd+shift+c \u2192 resolve"_s;
        QTest::newRow("two frames in one write") << goodEvents + QStringList{u"key 49 0"_s}
            << u"space \u2192 global"_s << QByteArrayList{good + frame("space", "global")};
        QTest::newRow("one frame over three writes, CRLF") << goodEvents << goodCommand
            << QByteArrayList{crlf.first(10), crlf.sliced(10, 20), crlf.sliced(30)};
        QTest::newRow("bad lines, then a good one") << goodEvents << goodCommand
            << QByteArrayList{"\n{nope\n", R"({"keyCombo":"c"})" "\n",
                              R"({"keyCombo":"c","appTarget":7})" "\n" + good};
        QTest::newRow("over-long line, then a good one") << goodEvents << goodCommand
            << QByteArrayList{QByteArray(70000, 'x'), "\n" + good};
        QTest::newRow("target in upper case, no key") << QStringList{u"activate obs"_s}
            << u"++ \u2192 OBS"_s << QByteArrayList{frame("++", "OBS")};
        QTest::newRow("nothing to activate, unknown key") << QStringList{u"key 0 40000"_s}
            << u"ctrl+f13 \u2192 frontmost"_s << QByteArrayList{frame("ctrl+f13", "frontmost")};
    }

    void framesBecomeKeyPresses()
    {
        QFETCH(QStringList, events);
        QFETCH(QString, lastCommand);
        QFETCH(QByteArrayList, writes);

        auto controller = connectController();
        QVERIFY(controller);
        for (const QByteArray &bytes : writes) {
            QVERIFY(send(*controller, bytes));
            QTest::qWait(10); // so that the server reads each write by itself
        }
        QTRY_COMPARE(seen(), events);
        QTRY_COMPARE(m_server->lastCommand(), lastCommand);
    }

    // Served one at a time in arrival order; one that leaves is forgotten; stop drops the rest.
    void twoControllersAreServedByTurnsThenDropped()
    {
        auto first = connectController(), second = connectController();
        QVERIFY(first && second);
        QStringList expected;
        for (const char *key : {"a", "s", "d", "f"}) { // keys 0 to 3, sent by turns
            QVERIFY(send(expected.size() % 2 ? *second : *first, frame(key, "global")));
            expected.append(u"key %1 0"_s.arg(expected.size()));
            QTRY_COMPARE(seen(), expected);
        }

        QCOMPARE(m_server->worker()->connectionCount(), 2);
        first->disconnectFromHost();
        QTRY_COMPARE(m_server->worker()->connectionCount(), 1);
        m_server->stop();
        QVERIFY(!m_server->isRunning());
        QCOMPARE(m_server->statusText(), u"Stopped"_s);
        QVERIFY(second->state() == QAbstractSocket::UnconnectedState ||
                second->waitForDisconnected(5000));
    }

    void localNetworkControllersNeedApproval()
    {
        QSignalSpy asked(m_server.get(), &DadavezaRuzServer::approvalRequested);
        auto stranger = connectController("127.0.0.3");
        QVERIFY(!stranger || stranger->waitForDisconnected(5000)); // refused outright

        auto neighbour = connectController("127.0.0.2");
        QVERIFY(neighbour);
        QTRY_COMPARE(asked.size(), 1);
        QCOMPARE(m_server->pendingApprovals(), QStringList{u"127.0.0.2"_s});
        QVERIFY(send(*neighbour, frame("k", "global")));
        QTest::qWait(100);
        QVERIFY(seen().isEmpty());

        m_server->approve(u"127.0.0.2"_s);
        QCOMPARE(m_trustStore, QStringList{u"127.0.0.2"_s});
        QVERIFY(send(*neighbour, frame("j", "global")));
        QTRY_COMPARE(seen(), QStringList{u"key 38 0"_s}); // the earlier "k" was dropped, not queued
    }
};

QTEST_GUILESS_MAIN(TestDadavezaRuzServer)
#include "tst_DadavezaRuzServer.moc"
