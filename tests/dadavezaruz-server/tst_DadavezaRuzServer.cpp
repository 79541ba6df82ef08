#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerWorker.h"
#include "dadavezaruz-server/RecordingKeyboard.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz/ServerStatusMessage.h"
#include "platform/netif/AddressScope.h"

#include <QMutex>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QByteArray frame(const QByteArray &combo, const QByteArray &target)
{
    return R"({"keyCombo":")" + combo + R"(","appTarget":")" + target + "\"}\n";
}

// Every status line says that this server types key sequences.
const QByteArray kReady = R"({"status":"ready","accepts":["keySequence"]})";
const QByteArray kWaiting = R"({"status":"waitingForApproval","accepts":["keySequence"]})";
const QByteArray kRefused = R"({"status":"refused","accepts":["keySequence"]})";

QByteArray sequence(const QByteArrayList &combos, int delayMs, const QByteArray &target)
{
    return R"({"keySequence":[")" + combos.join(R"(",")") + R"("],"delayMs":)" +
           QByteArray::number(delayMs) + R"(,"appTarget":")" + target + "\"}\n";
}

// 127.0.0.N by N: 1 this machine, 2-99 the local network, 100-109 a carrier or VPN network,
// 200 and up the internet; 50 is one of this machine's own addresses on the local network.
ControllerAccess::Kind kindOf(const QHostAddress &address)
{
    using enum AddressScope::Kind; // ControllerAccess::Kind names the same enum
    const quint32 n = address.toIPv4Address() & 0xFF;
    return n == 1 ? Loopback : n < 100 ? LocalNetwork : n < 110 ? SharedAddressSpace : Elsewhere;
}

} // namespace

class TestDadavezaRuzServer : public QObject {
    Q_OBJECT

    QMutex m_mutex; // guards m_events, m_poster and m_held, which the worker thread writes
    QStringList m_events;
    Recorder *m_poster = nullptr;
    QList<std::function<void()>> m_held; // pauses inside sequences, ended by resume()
    QStringList m_trustStore;
    std::unique_ptr<DadavezaRuzServer> m_server;

    void record(const QString &event)
    {
        QMutexLocker lock(&m_mutex);
        m_events.append(event);
    }
    QStringList seen()
    {
        QMutexLocker lock(&m_mutex);
        return m_events;
    }
    bool send(QTcpSocket &to, const QByteArray &b)
    {
        to.write(b);
        return to.waitForBytesWritten();
    }

    void makeServer(const QString &keyboardProblem = {},
                    Activation activation = Activation::Activated,
                    const DadavezaRuzServerOptions &options = {})
    {
        m_server.reset();
        const Record record = [this](const QString &event) { this->record(event); };
        DadavezaRuzServerPlatform platform;
        platform.makePoster = [=, this] {
            auto poster = std::make_unique<Recorder>(record, keyboardProblem);
            QMutexLocker lock(&m_mutex);
            m_poster = poster.get();
            return poster;
        };
        platform.makeActivator = [=] {
            return std::make_unique<Recorder>(record, QString(), activation);
        };
        platform.pause = [record](std::chrono::milliseconds time) {
            record(u"pause %1"_s.arg(time.count()));
        };
        // A pause inside a sequence lasts until the test ends it: no test waits on the clock.
        platform.later = [this, record](QObject *, std::chrono::milliseconds time,
                                        std::function<void()> then) {
            record(u"wait %1"_s.arg(time.count()));
            QMutexLocker lock(&m_mutex);
            m_held.append(std::move(then));
        };
        platform.listenAddress = QHostAddress::LocalHost;
        platform.classifyPeer = &kindOf;
        platform.isOwnAddress = [](const QHostAddress &ip) {
            return ip == QHostAddress(u"127.0.0.50"_s);
        };
        auto *trusted = new TrustedControllers([this] { return m_trustStore; },
                                               [this](const auto &list) { m_trustStore = list; });
        m_server = std::make_unique<DadavezaRuzServer>(std::move(platform), trusted, 0, options);
        m_events.clear();
        m_held.clear();
    }

    // Ends the oldest pause under way, on the worker thread as a timer would.
    bool resume()
    {
        if (!QTest::qWaitFor(
                [this] {
                    QMutexLocker lock(&m_mutex);
                    return !m_held.isEmpty();
                },
                5000))
            return false;
        std::function<void()> then;
        {
            QMutexLocker lock(&m_mutex);
            then = m_held.takeFirst();
        }
        return QMetaObject::invokeMethod(m_server->worker(), then, Qt::BlockingQueuedConnection);
    }

    // The reasons of the next `count` status lines, each of which must be a ready line that
    // says what the server accepts.
    static QStringList notTypedLines(QTcpSocket &socket, qsizetype count)
    {
        QStringList reasons;
        while (reasons.size() < count) {
            const QByteArray line = statusLine(socket);
            const auto message = ServerStatusMessage::decode(line);
            if (!message || message->status != ServerStatusMessage::Status::Ready ||
                message->accepts != DadavezaRuzServerWorker::accepts())
                return reasons << QString::fromUtf8(line);
            reasons.append(message->notTyped);
        }
        return reasons;
    }

    bool startServer()
    {
        m_server->start();
        return QTest::qWaitFor([this] { return m_server->isRunning(); }, 5000);
    }

    std::unique_ptr<QTcpSocket> connectController(int from = 1)
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->bind(QHostAddress(u"127.0.0.%1"_s.arg(from)));
        socket->connectToHost(QHostAddress::LocalHost, m_server->port());
        return socket->waitForConnected(5000) ? std::move(socket) : nullptr;
    }

    // The next status line the server sent, or what the socket's state says instead.
    static QByteArray statusLine(QTcpSocket &socket)
    {
        if (!QTest::qWaitFor(
                [&] {
                    return socket.canReadLine() ||
                           socket.state() == QAbstractSocket::UnconnectedState;
                },
                5000))
            return "(nothing)";
        return socket.canReadLine() ? socket.readLine().trimmed() : QByteArray("(closed)");
    }

    static bool closedByServer(QTcpSocket &socket)
    {
        return socket.state() == QAbstractSocket::UnconnectedState ||
               socket.waitForDisconnected(5000);
    }

private Q_SLOTS:
    void init()
    {
        m_trustStore.clear();
        makeServer();
        QVERIFY(startServer());
    }

    void busyPortFailsAndCanBeRetried()
    {
        auto first = std::move(m_server);
        const quint16 busy = first->port();
        makeServer();
        QMetaObject::invokeMethod(m_server->worker(), [this, busy] {
            m_server->worker()->listen(QHostAddress::LocalHost, busy);
        });
        QTRY_VERIFY(m_server->statusText().contains(QRegularExpression(u"^Failed to start: .+"_s)));
        QVERIFY(!m_server->isRunning());
        first.reset();
        QVERIFY(startServer()); // the failed listener was not kept, so a start tries again
    }

    void framesBecomeKeyPresses_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("lastCommand");
        QTest::addColumn<QByteArrayList>("writes");

        const QByteArray good = frame("cmd+shift+c", "resolve"), crlf = good.chopped(1) + "\r\n";
        const QStringList goodEvents{u"activate resolve"_s, u"pause 80"_s, u"key 8 120000"_s};
        const QString goodCommand = u"cmd+shift+c \u2192 resolve"_s;
        QTest::newRow("two frames in one write")
            << goodEvents + QStringList{u"key 49 0"_s} << u"space \u2192 global"_s
            << QByteArrayList{good + frame("space", "global")};
        QTest::newRow("one frame over three writes, CRLF")
            << goodEvents << goodCommand
            << QByteArrayList{crlf.first(10), crlf.sliced(10, 20), crlf.sliced(30)};
        QTest::newRow("bad lines, then a good one")
            << goodEvents << goodCommand
            << QByteArrayList{"\n{nope\n",
                              R"({"keyCombo":"c"})"
                              "\n",
                              R"({"keyCombo":"c","appTarget":7})"
                              "\n" +
                                  good};
        QTest::newRow("a first line of junk is not a web request")
            << goodEvents << goodCommand << QByteArrayList{"hello pad\n" + good};
        QTest::newRow("over-long line after a good one")
            << goodEvents + goodEvents << goodCommand
            << QByteArrayList{good, QByteArray(70000, 'x'), "\n" + good};
        QTest::newRow("target in upper case, no key")
            << QStringList{u"activate obs"_s, u"pause 80"_s} << u"++ \u2192 OBS"_s
            << QByteArrayList{frame("++", "OBS")};
        QTest::newRow("unknown names are not typed, nothing is activated")
            << QStringList{u"key 0 0"_s} << u"a \u2192 frontmost"_s
            << QByteArrayList{frame("ctrl+shft+blah", "resolve") + frame("f13", "obs") +
                              frame("a", "frontmost")};
    }

    void framesBecomeKeyPresses()
    {
        QFETCH(QStringList, events);
        QFETCH(QString, lastCommand);
        QFETCH(QByteArrayList, writes);

        auto controller = connectController();
        QVERIFY(controller);
        QCOMPARE(statusLine(*controller), kReady);
        for (const QByteArray &bytes : writes) {
            QVERIFY(send(*controller, bytes));
            QTest::qWait(10); // so that the server reads each write by itself
        }
        QTRY_COMPARE(seen(), events);
        QTRY_COMPARE(m_server->lastCommand(), lastCommand);
    }

    // A sequence is checked whole, then typed in order, a pause between two combinations, and
    // presses that arrive meanwhile wait their turn. "|" in `events` is where a pause is ended.
    void sequencesAreTypedInOrder_data()
    {
        QTest::addColumn<QByteArrayList>("writes");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QStringList>("notTyped"); // part of each reason, in order
        QTest::addColumn<QString>("lastCommand");

        QTest::newRow("three combinations, two pauses")
            << QByteArrayList{sequence({"a", "s", "d"}, 100, "resolve")}
            << QStringList{u"activate resolve"_s, u"pause 80"_s, u"key 0 0"_s,
                           u"wait 100"_s,         u"|"_s,        u"key 1 0"_s,
                           u"wait 100"_s,         u"|"_s,        u"key 2 0"_s}
            << QStringList() << u"a, s, d \u2192 resolve"_s;
        QTest::newRow("no pause: typed at once")
            << QByteArrayList{sequence({"a", "cmd+s"}, 0, "global")}
            << QStringList{u"key 0 0"_s, u"key 1 100000"_s} << QStringList()
            << u"a, cmd+s \u2192 global"_s;
        QTest::newRow("one bad combination: nothing typed, nothing activated")
            << QByteArrayList{sequence({"a", "shft+s", "d"}, 0, "resolve")} << QStringList()
            << QStringList{u"“shft+s” \u2014 Unknown modifier “shft”"_s}
            << u"a, shft+s, d \u2192 resolve"_s;
        QTest::newRow("presses wait behind a sequence, then go in order")
            << QByteArrayList{sequence({"a", "s"}, 50, "resolve") + frame("d", "global") +
                              sequence({"f", "h"}, 0, "obs")}
            << QStringList{u"activate resolve"_s,
                           u"pause 80"_s,
                           u"key 0 0"_s,
                           u"wait 50"_s,
                           u"|"_s,
                           u"key 1 0"_s,
                           u"key 2 0"_s,
                           u"activate obs"_s,
                           u"pause 80"_s,
                           u"key 3 0"_s,
                           u"key 4 0"_s}
            << QStringList() << u"f, h \u2192 obs"_s;
        QTest::newRow("a bad press behind a sequence is answered at once")
            << QByteArrayList{sequence({"a", "s"}, 50, "global") + frame("nope", "global")}
            << QStringList{u"key 0 0"_s, u"wait 50"_s, u"|"_s, u"key 1 0"_s}
            << QStringList{u"“nope” \u2014 Unknown key “nope”"_s} << u"nope \u2192 global"_s;
        QTest::newRow("frames that are not understood are answered")
            << QByteArrayList{R"({"keyCombo":"a","keySequence":["s"],"appTarget":"x"})"
                              "\n"
                              R"({"keySequence":["a","s","d","f","g","h","j","k","l"],)"
                              R"("appTarget":"x"})"
                              "\n"
                              R"({"keyCombo":"a"})"
                              "\nnot a frame\n"}
            << QStringList()
            << QStringList{u"both a key combination and a key sequence"_s, u"more than 8"_s,
                           u"no application"_s}
            << QString();
    }

    void sequencesAreTypedInOrder()
    {
        QFETCH(QByteArrayList, writes);
        QFETCH(QStringList, events);
        QFETCH(QStringList, notTyped);

        auto controller = connectController();
        QVERIFY(controller);
        QCOMPARE(statusLine(*controller), kReady);
        for (const QByteArray &bytes : std::as_const(writes))
            QVERIFY(send(*controller, bytes));
        QStringList expected;
        for (const QString &event : std::as_const(events)) {
            if (event != u"|"_s) {
                expected.append(event);
                continue;
            }
            QTRY_COMPARE(seen(), expected); // and nothing more while the pause lasts
            QVERIFY(resume());
        }
        QFETCH(QString, lastCommand);
        if (!lastCommand.isEmpty())
            QTRY_COMPARE(m_server->lastCommand(), lastCommand);
        // A last press, typed only once everything before it was: nothing else came.
        QVERIFY(send(*controller, frame("j", "global")));
        expected.append(u"key 38 0"_s);
        QTRY_COMPARE(seen(), expected);
        const QStringList reasons = notTypedLines(*controller, notTyped.size());
        QCOMPARE(reasons.size(), notTyped.size());
        for (qsizetype i = 0; i < reasons.size(); ++i)
            QVERIFY2(reasons[i].contains(notTyped[i]), qPrintable(reasons[i]));
        QCOMPARE(controller->bytesAvailable(), 0); // no answer to what was typed
    }

    // At most 64 combinations wait; a press beyond that is refused whole, and answered. Stopping
    // the server drops what still waits.
    void theQueueIsBoundedAndDroppedOnStop()
    {
        auto controller = connectController();
        QVERIFY(controller);
        QCOMPARE(statusLine(*controller), kReady);
        const QByteArray eight = sequence({"a", "a", "a", "a", "a", "a", "a", "a"}, 2000, "global");
        QByteArray writes;
        for (int i = 0; i < 8; ++i) // the first is typed at once: 7 + 7 * 8 = 63 wait
            writes += eight;
        writes += frame("s", "global"); // the 64th
        writes += frame("d", "global"); // one too many
        QVERIFY(send(*controller, writes));
        QCOMPARE(notTypedLines(*controller, 1), QStringList{u"still typing earlier presses"_s});
        QCOMPARE(seen(), (QStringList{u"key 0 0"_s, u"wait 2000"_s}));
        QTRY_VERIFY(m_server->log().join(u'\n').contains(u"still typing earlier presses"_s));

        m_server->stop();
        QVERIFY(resume()); // the pause ends after the stop: nothing more is typed
        QCOMPARE(seen(), (QStringList{u"key 0 0"_s, u"wait 2000"_s}));
    }

    // A keyboard lost during a pause: the rest of the sequence, and what waits behind it, is not
    // typed; once it is back, presses are typed at once again.
    void aKeyboardLostMidSequenceTypesNoMore()
    {
        auto controller = connectController();
        QVERIFY(controller);
        QCOMPARE(statusLine(*controller), kReady);
        QVERIFY(send(*controller, sequence({"a", "s", "d"}, 10, "global") + frame("f", "global")));
        QTRY_COMPARE(seen(), (QStringList{u"key 0 0"_s, u"wait 10"_s}));
        const auto setProblem = [this](const QString &problem) {
            QMetaObject::invokeMethod(
                m_server->worker(),
                [this, problem] {
                    QMutexLocker lock(&m_mutex);
                    m_poster->problem = problem;
                },
                Qt::BlockingQueuedConnection);
        };
        setProblem(u"the X display went away"_s);
        QVERIFY(resume());
        QCOMPARE(seen(), (QStringList{u"key 0 0"_s, u"wait 10"_s}));
        setProblem({});
        QVERIFY(send(*controller, frame("j", "global")));
        QTRY_COMPARE(seen(), (QStringList{u"key 0 0"_s, u"wait 10"_s, u"key 38 0"_s}));
    }

    // Without a keyboard nothing of a sequence is typed, and the controller hears why.
    void sequencesNeedTheKeyboard()
    {
        makeServer(u"DISPLAY is not set"_s);
        QVERIFY(startServer());
        auto controller = connectController();
        QVERIFY(controller);
        QCOMPARE(statusLine(*controller), kReady);
        QVERIFY(send(*controller, sequence({"a", "s"}, 10, "resolve")));
        QCOMPARE(notTypedLines(*controller, 1),
                 QStringList{u"keystrokes cannot be posted: DISPLAY is not set"_s});
        QCOMPARE(seen(), QStringList()); // not even the window brought forward
    }

    // A controller that sends and never reads does not make the server hold its answers: once
    // much is waiting to be written, reasons are no longer sent (each would otherwise arrive).
    void answersToAPeerThatDoesNotReadAreDropped()
    {
        // A small receive window, so that little waits in this side's buffers.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        const int window = 4096;
        QCOMPARE(::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &window, sizeof window), 0);
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(m_server->port());
        server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr *>(&server), sizeof server), 0);
        QTcpSocket controller;
        QVERIFY(controller.setSocketDescriptor(fd));
        QCOMPARE(statusLine(controller), kReady);

        // About 10 MB of answers, far more than the system holds for a connection.
        constexpr qsizetype kFrames = 100'000;
        const QByteArray bad = R"({"appTarget":"x"})"
                               "\n";
        QVERIFY(send(controller, bad.repeated(kFrames) + frame("j", "global")));
        QTRY_COMPARE_WITH_TIMEOUT(seen(), QStringList{u"key 38 0"_s}, 60000); // all were read

        // Read now; a last bad press is answered once the backlog is gone.
        qsizetype answered = 0;
        bool ended = false;
        const QByteArray last = frame("endmark", "global");
        QVERIFY(QTest::qWaitFor(
            [&] {
                while (controller.canReadLine()) {
                    const QByteArray line = controller.readLine();
                    if (line.contains("endmark"))
                        ended = true;
                    else if (line.contains("no key combination"))
                        ++answered;
                }
                if (!ended && controller.bytesToWrite() == 0)
                    controller.write(last);
                return ended;
            },
            60000));
        QVERIFY2(answered < kFrames, qPrintable(QString::number(answered)));
        QVERIFY(answered > 0);
    }

    void unknownNamesAreLogged()
    {
        auto controller = connectController();
        QVERIFY(controller && send(*controller, frame("ctrl+shft+blah", "resolve")));
        QTRY_COMPARE(m_server->log().size(), 1);
        QVERIFY2(m_server->log().constFirst().endsWith(
                     u"Not typed: “ctrl+shft+blah” — Unknown names “shft” and “blah”"_s),
                 qPrintable(m_server->log().constFirst()));
    }

    // A web page can make the browser send these; its body must never be typed.
    void webRequestsAreClosedUnread_data()
    {
        QTest::addColumn<QByteArray>("request");
        const QByteArray body = frame("h", "global");
        QTest::newRow("POST with a pad line as its body")
            << "POST / HTTP/1.1\r\nHost: 127.0.0.1:58432\r\nContent-Type: text/plain\r\n\r\n\n" +
                   body;
        QTest::newRow("WebSocket upgrade")
            << "GET /x HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n" + body;
        QTest::newRow("request line split over writes") << "PO"
                                                           "ST / HTTP/1.0\r\n\r\n" +
                                                               body;
        QTest::newRow("target too long for a line")
            << "GET /" + QByteArray(70000, 'a') + " HTTP/1.1\r\n\r\n" + body;
    }

    void webRequestsAreClosedUnread()
    {
        QFETCH(QByteArray, request);
        auto browser = connectController();
        QVERIFY(browser);
        QVERIFY(send(*browser, request.first(2)));
        QTest::qWait(10);
        QVERIFY(send(*browser, request.sliced(2)));
        QVERIFY(closedByServer(*browser));
        QTRY_COMPARE(m_server->log().size(), 1);
        QVERIFY(m_server->log().constFirst().endsWith(
            u"Refused a web request from 127.0.0.1: web pages may not send shortcuts"_s));
        QTest::qWait(50);
        QCOMPARE(seen(), QStringList());
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
        QVERIFY(closedByServer(*second));
    }

    void alreadyActiveTargetsNeedNoPause()
    {
        makeServer({}, Activation::AlreadyActive);
        QVERIFY(startServer());
        auto controller = connectController();
        QVERIFY(controller && send(*controller, frame("l", "resolve")));
        QTRY_COMPARE(seen(), (QStringList{u"activate resolve"_s, u"key 37 0"_s}));
    }

    // Who is served, asked about or refused, by the kind of address, what was allowed by address
    // and whether there is anybody to ask.
    void controllersByAddress_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("allowed"); // by address before it connects
        QTest::addColumn<bool>("nobodyToAsk");
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QString>("log"); // how the log ends, empty for nothing

        QTest::newRow("this machine") << 1 << QString() << false << kReady << QString();
        QTest::newRow("own address on the network")
            << 50 << QString() << false << kReady << QString();
        QTest::newRow("local network") << 2 << QString() << false << kWaiting << QString();
        QTest::newRow("local network, nobody to ask")
            << 2 << QString() << true << kRefused
            << u"Refused the controller at 127.0.0.2: it is not allowed. allow 127.0.0.2"_s;
        QTest::newRow("carrier or VPN network")
            << 100 << QString() << false << kRefused
            << u"addresses in 100.64.0.0/10 (carrier and VPN networks) are served only when "
               u"allowed by address"_s;
        // 127.0.0.100 stands for a VPN address here.
        QTest::newRow("VPN address allowed")
            << 100 << u" 127.0.0.100 "_s << false << kReady << QString();
        QTest::newRow("internet")
            << 200 << QString() << false << QByteArray("(closed)")
            << u"Refused a connection from 127.0.0.200: controllers outside the local network "
               u"are never served"_s;
    }

    void controllersByAddress()
    {
        QFETCH(int, from);
        QFETCH(QString, allowed);
        QFETCH(bool, nobodyToAsk);
        QFETCH(QString, log);
        if (nobodyToAsk) {
            DadavezaRuzServerOptions headless;
            headless.asksForApproval = false;
            headless.allowHint = [](const QString &address) -> QString {
                return u"allow "_s + address;
            };
            makeServer({}, Activation::Activated, headless);
            QVERIFY(startServer());
        }
        // Addresses never served cannot be allowed either.
        QVERIFY(m_server->allowAddress(u"203.0.113.9"_s));
        QVERIFY(m_server->allowAddress(u"studio"_s));
        if (!allowed.isEmpty())
            QCOMPARE(m_server->allowAddress(allowed), std::nullopt);
        auto controller = connectController(from);
        QVERIFY(controller);
        QTEST(statusLine(*controller), "status");
        QVERIFY(send(*controller, frame("j", "global")) ||
                controller->state() != QAbstractSocket::ConnectedState);
        QTest::qWait(50);
        QFETCH(QByteArray, status);
        QCOMPARE(seen(), status == kReady ? QStringList{u"key 38 0"_s} : QStringList());
        QCOMPARE(m_server->pendingApprovals().isEmpty(), status != kWaiting);
        if (log.isEmpty())
            QCOMPARE(m_server->log(), QStringList());
        else
            QTRY_VERIFY(!m_server->log().isEmpty() && m_server->log().constLast().endsWith(log));
    }

    void theUsersAnswerReachesWaitingControllers()
    {
        auto neighbour = connectController(2);
        QVERIFY(neighbour);
        QCOMPARE(statusLine(*neighbour), kWaiting);
        QTRY_COMPARE(m_server->pendingApprovals(), QStringList{u"127.0.0.2"_s});
        QVERIFY(send(*neighbour, frame("k", "global")));
        QTest::qWait(50);
        QVERIFY(seen().isEmpty());

        m_server->approve(u"127.0.0.2"_s);
        QCOMPARE(statusLine(*neighbour), kReady);
        QCOMPARE(m_trustStore, QStringList{u"127.0.0.2"_s});
        QCOMPARE(m_server->pendingApprovals(), QStringList());
        QVERIFY(send(*neighbour, frame("j", "global")));
        QTRY_COMPARE(seen(), QStringList{u"key 38 0"_s}); // the earlier "k" was dropped, not queued

        m_server->trustedControllers().remove(u"127.0.0.2"_s); // no longer allowed: cut off
        QVERIFY(closedByServer(*neighbour));
    }

    void aRefusalHoldsUntilTakenBack()
    {
        auto neighbour = connectController(3);
        QCOMPARE(statusLine(*neighbour), kWaiting);
        QTRY_COMPARE(m_server->pendingApprovals().size(), 1);
        m_server->decline(u"127.0.0.3"_s);
        QCOMPARE(statusLine(*neighbour), kRefused);
        QVERIFY(closedByServer(*neighbour));
        QCOMPARE(m_server->refusedControllers(), QStringList{u"127.0.0.3"_s});

        auto again = connectController(3); // not asked again
        QCOMPARE(statusLine(*again), kRefused);
        QTest::qWait(50);
        QCOMPARE(m_server->pendingApprovals(), QStringList());

        m_server->forgetRefusal(u"127.0.0.3"_s);
        auto third = connectController(3);
        QCOMPARE(statusLine(*third), kWaiting);
        QTRY_COMPARE(m_server->pendingApprovals(), QStringList{u"127.0.0.3"_s});
    }

    void aFloodOfControllersIsBounded()
    {
        std::vector<std::unique_ptr<QTcpSocket>> controllers;
        for (int from = 2; from < 14; ++from) {
            controllers.push_back(connectController(from));
            QCOMPARE(statusLine(*controllers.back()), kWaiting);
        }
        QStringList newest;
        for (int from = 6; from < 14; ++from)
            newest.append(u"127.0.0.%1"_s.arg(from));
        QTRY_COMPARE(m_server->pendingApprovals(), newest);
        QCOMPARE(m_server->droppedApprovals(), 4);
        for (int i = 0; i < 4; ++i)
            QVERIFY(closedByServer(*controllers[size_t(i)]));
        QCOMPARE(m_server->worker()->connectionCount(), 8);

        // More connections from one address do not pile up either.
        std::vector<std::unique_ptr<QTcpSocket>> same;
        same.reserve(6);
        for (int i = 0; i < 6; ++i)
            same.push_back(connectController(13));
        QTRY_COMPARE(m_server->worker()->connectionCount(),
                     7 + DadavezaRuzServerWorker::kMaxWaitingPerAddress);
    }

    void losingTheKeyboardStopsTheServer()
    {
        QSignalSpy failed(m_server.get(), &DadavezaRuzServer::failed);
        QMetaObject::invokeMethod(m_server->worker(), [this] {
            QMutexLocker lock(&m_mutex);
            m_poster->lost(u"the X display :9 went away"_s);
        });
        QTRY_COMPARE(failed.size(), 1);
        QVERIFY(!m_server->isRunning());
        QCOMPARE(m_server->statusText(),
                 u"Server failed: keystrokes cannot be posted: the X display :9 went away"_s);
    }

    void aServerThatMustTypeDoesNotStartWithoutAKeyboard()
    {
        DadavezaRuzServerOptions options;
        options.requiresKeyboard = true;
        makeServer(u"DISPLAY is not set"_s, Activation::Activated, options);
        QSignalSpy failed(m_server.get(), &DadavezaRuzServer::failed);
        m_server->start();
        QTRY_COMPARE(failed.size(), 1);
        QCOMPARE(m_server->statusText(),
                 u"Failed to start: keystrokes cannot be posted: DISPLAY is not set"_s);
    }
};

QTEST_GUILESS_MAIN(TestDadavezaRuzServer)
#include "tst_DadavezaRuzServer.moc"
