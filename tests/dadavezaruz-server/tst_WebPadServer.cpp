#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/RecordingKeyboard.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz-server/WebPadPagesFeed.h"
#include "dadavezaruz-server/WebPadSnapshot.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/netif/AddressScope.h"
#include "platform/store/ModelStore.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebSocket>

#include <atomic>

using namespace hb;
using namespace Qt::StringLiterals;
using Kind = ControllerAccess::Kind;

namespace {

const QString kSecret = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQ"_s; // 43 characters

QByteArray pngBytes()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A plain button on page 1.
ShortcutButton plainButton(qint64 id, const QString &label, const QString &symbol,
                           const QString &color, const QString &keyCombo, const QString &target,
                           int row, int col, std::optional<QByteArray> image = {})
{
    ShortcutButton button;
    button.id = id;
    button.page = 1;
    button.label = label;
    button.sfSymbol = symbol;
    button.colorHex = color;
    button.keyCombo = keyCombo;
    button.appTarget = target;
    button.row = row;
    button.col = col;
    button.customImageData = std::move(image);
    return button;
}

// One page: a button that types, one without keys, one with a picture.
std::shared_ptr<const WebPadSnapshot> snapshotWith(const QString &cutLabel)
{
    WebPadSnapshot snapshot;
    const ShortcutButton cut =
        plainButton(11, cutLabel, u"scissors"_s, u"#FC4444"_s, u"cmd+b"_s, u"global"_s, 0, 0);
    const ShortcutButton idle =
        plainButton(12, u"Idle"_s, u"bolt.fill"_s, u"#6B5CE7"_s, {}, u"global"_s, 0, 1);
    const ShortcutButton picture = plainButton(13, u"Still"_s, u"bolt.fill"_s, u"#6B5CE7"_s, u"f"_s,
                                               u"resolve"_s, 1, 0, pngBytes());
    snapshot.addPage(ShortcutPage{1, u"Edit"_s, 0}, {cut, idle, picture});
    snapshot.finish();
    return std::make_shared<const WebPadSnapshot>(std::move(snapshot));
}

// A phone's socket with everything the server said to it.
struct Phone {
    QWebSocket socket;
    QList<QJsonObject> received;
    bool closed = false;

    explicit Phone(const QString &origin) : socket(origin)
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, &socket,
                         [this](const QString &text) {
                             received.append(QJsonDocument::fromJson(text.toUtf8()).object());
                         });
        QObject::connect(&socket, &QWebSocket::disconnected, &socket, [this] { closed = true; });
        QObject::connect(&socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error),
                         &socket, [this] { closed = true; });
    }
    void send(const QJsonObject &message)
    {
        socket.sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson()));
    }
    // The next message of `type`, waiting for it; an empty object when none came.
    QJsonObject next(const QString &type, qsizetype *from)
    {
        QJsonObject found;
        (void)QTest::qWaitFor(
            [&] {
                for (; *from < received.size(); ++*from) {
                    if (received[*from][u"type"_s] == type) {
                        found = received[(*from)++];
                        return true;
                    }
                }
                return closed;
            },
            5000);
        return found;
    }
};

} // namespace

class TestWebPadServer : public QObject {
    Q_OBJECT

    QMutex m_mutex;
    QStringList m_events;
    std::atomic<Kind> m_kind{Kind::Loopback};
    QStringList m_trustStore;
    std::unique_ptr<DadavezaRuzServer> m_server;

    QStringList keys()
    {
        QMutexLocker lock(&m_mutex);
        return m_events.filter(u"key "_s);
    }

    void makeServer(bool webPad = true)
    {
        m_server.reset();
        m_events.clear();
        const Record record = [this](const QString &event) {
            QMutexLocker lock(&m_mutex);
            m_events.append(event);
        };
        DadavezaRuzServerPlatform platform;
        platform.makePoster = [record] { return std::make_unique<Recorder>(record); };
        platform.makeActivator = [record] {
            return std::make_unique<Recorder>(record, QString(), Activation::NotRunning);
        };
        platform.pause = [](std::chrono::milliseconds) {};
        platform.localAddress = [] { return std::optional<QString>(u"127.0.0.1"_s); };
        platform.listenAddress = QHostAddress::LocalHost;
        platform.classifyPeer = [this](const QHostAddress &) { return m_kind.load(); };
        DadavezaRuzServerOptions options;
        options.webPadEnabled = webPad;
        options.webPadPort = 0;
        options.webPadSecret = kSecret;
        options.ownHostNames = {u"editbay"_s, u"editbay.local"_s};
        auto *trusted = new TrustedControllers([this] { return m_trustStore; },
                                               [this](const auto &list) { m_trustStore = list; });
        m_server = std::make_unique<DadavezaRuzServer>(std::move(platform), trusted, 0, options);
        m_server->setWebPadSnapshot(snapshotWith(u"Cut"_s));
    }

    QString origin() const { return u"http://127.0.0.1:%1"_s.arg(m_server->webPadPort()); }

    std::unique_ptr<Phone> connectPhone(const QString &origin, const QString &path = u"/socket"_s)
    {
        auto phone = std::make_unique<Phone>(origin);
        phone->socket.open(QUrl(u"ws://127.0.0.1:%1%2"_s.arg(m_server->webPadPort()).arg(path)));
        (void)QTest::qWaitFor(
            [&] {
                return phone->socket.state() == QAbstractSocket::ConnectedState || phone->closed;
            },
            5000);
        return phone;
    }

    // A phone of this pad's page that sent `secret`; `status` is the state it was told.
    std::unique_ptr<Phone> pairPhone(const QString &secret, QString *status = nullptr,
                                     double pageMs = 1000)
    {
        auto phone = connectPhone(origin());
        phone->send({{u"type"_s, u"hello"_s}, {u"secret"_s, secret}, {u"t"_s, pageMs}});
        qsizetype from = 0;
        const QJsonObject answer = phone->next(u"status"_s, &from);
        if (status)
            *status = answer[u"state"_s].toString();
        return phone;
    }

    static QJsonObject press(Phone &phone, qint64 button, double pageMs = 1000)
    {
        static qint64 id = 0;
        const qsizetype from = phone.received.size();
        phone.send(
            {{u"type"_s, u"press"_s}, {u"id"_s, ++id}, {u"button"_s, button}, {u"t"_s, pageMs}});
        qsizetype at = from;
        return phone.next(u"result"_s, &at);
    }

    // The status code and headers of a raw HTTP request.
    QByteArray httpGet(const QByteArray &request)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_server->webPadPort());
        if (!socket.waitForConnected(5000))
            return "(no connection)";
        socket.write(request);
        QByteArray reply;
        while (!reply.contains("\r\n\r\n") && socket.waitForReadyRead(5000))
            reply += socket.readAll();
        return reply;
    }

private Q_SLOTS:
    void init()
    {
        m_kind = Kind::Loopback;
        m_trustStore.clear();
        makeServer();
        m_server->start();
        QTRY_VERIFY_WITH_TIMEOUT(m_server->isWebPadRunning(), 5000);
    }
    void cleanup() { m_server.reset(); }

    void pairedPhoneSeesPagesAndTypes()
    {
        QString status;
        auto phone = pairPhone(kSecret, &status);
        QCOMPARE(status, u"ready"_s);
        qsizetype from = 0;
        const QJsonArray pages = phone->next(u"pages"_s, &from)[u"pages"_s].toArray();
        QCOMPARE(pages.size(), 1);
        const QJsonArray buttons = pages[0][u"buttons"_s].toArray();
        QCOMPARE(buttons[0][u"label"_s], u"Cut"_s);
        QCOMPARE(buttons[1][u"sendsKeys"_s], false);
        const QString image = buttons[2][u"image"_s].toString();
        QCOMPARE(image,
                 u"/images/"_s +
                     QString::fromLatin1(
                         QCryptographicHash::hash(pngBytes(), QCryptographicHash::Sha256).toHex()));
        QTRY_COMPARE(m_server->phoneCount(), 1);

        const QJsonObject result = press(*phone, 11);
        QCOMPARE(result[u"ok"_s], true);
        QCOMPARE(result[u"label"_s], u"Cut"_s);
        QCOMPARE(keys().size(), 1);
        QTRY_COMPARE(m_server->lastCommand(), u"cmd+b \u2192 global"_s);
    }

    void pressesThatAreNotTyped_data()
    {
        QTest::addColumn<qint64>("button");
        QTest::addColumn<double>("pageMs");
        QTest::addColumn<QString>("reason");
        QTest::newRow("removed button") << qint64(99) << 1000.0 << u"no longer on the pad"_s;
        QTest::newRow("button without keys") << qint64(12) << 1000.0 << u"no key combination"_s;
        // Sent (by the page's clock) three seconds before the hello that arrived first.
        QTest::newRow("held up on the way") << qint64(11) << -2000.0 << u"too late"_s;
    }
    void pressesThatAreNotTyped()
    {
        QFETCH(qint64, button);
        QFETCH(double, pageMs);
        QFETCH(QString, reason);
        auto phone = pairPhone(kSecret);
        const QJsonObject result = press(*phone, button, pageMs);
        QCOMPARE(result[u"ok"_s], false);
        QVERIFY2(result[u"reason"_s].toString().contains(reason),
                 qPrintable(result[u"reason"_s].toString()));
        QVERIFY(keys().isEmpty());
    }

    void refusedPhonesTypeNothing_data()
    {
        QTest::addColumn<QString>("secret");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("declined");
        QTest::addColumn<QString>("status");
        QTest::newRow("wrong secret")
            << kSecret.chopped(1) + u'R' << int(Kind::LocalNetwork) << false << u"badSecret"_s;
        QTest::newRow("no secret")
            << QString() << int(Kind::LocalNetwork) << false << u"badSecret"_s;
    }
    void refusedPhonesTypeNothing()
    {
        QFETCH(QString, secret);
        QFETCH(int, kind);
        QFETCH(bool, declined);
        QFETCH(QString, status);
        m_kind = Kind(kind);
        if (declined)
            m_server->decline(u"127.0.0.1"_s);
        QString told;
        auto phone = pairPhone(secret, &told);
        QCOMPARE(told, status);
        press(*phone, 11);
        QTRY_VERIFY(phone->closed);
        QVERIFY(keys().isEmpty());
        QCOMPARE(m_server->phoneCount(), 0);
    }

    // Sockets opened by other pages (or by this page through a name that is not this machine's)
    // are refused before the handshake.
    void foreignSocketsAreClosed_data()
    {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("path");
        QTest::newRow("another site") << u"http://evil.example"_s << u"/socket"_s;
        QTest::newRow("opaque origin") << u"null"_s << u"/socket"_s;
        QTest::newRow("another port") << u"http://127.0.0.1:1"_s << u"/socket"_s;
        QTest::newRow("secure scheme") << u"https://127.0.0.1:%1"_s << u"/socket"_s;
        QTest::newRow("another path") << u"http://127.0.0.1:%1"_s << u"/other"_s;
    }
    void foreignSocketsAreClosed()
    {
        QFETCH(QString, origin);
        QFETCH(QString, path);
        auto phone = connectPhone(
            origin.contains(u"%1"_s) ? origin.arg(m_server->webPadPort()) : origin, path);
        phone->send({{u"type"_s, u"hello"_s}, {u"secret"_s, kSecret}, {u"t"_s, 1}});
        phone->send({{u"type"_s, u"press"_s}, {u"id"_s, 1}, {u"button"_s, 11}, {u"t"_s, 1}});
        QTRY_VERIFY(phone->closed);
        QVERIFY(phone->received.isEmpty());
        QVERIFY(keys().isEmpty());
        QTRY_VERIFY(m_server->log().filter(u"opened by a page that is not the pad's"_s).size() ==
                    1);
    }

    void wrongSecretsBlockTheAddress()
    {
        QString told;
        for (int attempt = 0; attempt < 5; ++attempt)
            pairPhone(QString(43, u'x'), &told);
        QCOMPARE(told, u"badSecret"_s);
        pairPhone(kSecret, &told); // even the right one, for a while
        QCOMPARE(told, u"tooManyAttempts"_s);
    }

    void newPairingLinkDisconnectsPhones()
    {
        auto phone = pairPhone(kSecret);
        m_server->newPairingLink();
        qsizetype from = 0;
        QCOMPARE(phone->next(u"status"_s, &from)[u"state"_s], u"ready"_s);
        QCOMPARE(phone->next(u"status"_s, &from)[u"state"_s], u"linkReplaced"_s);
        QTRY_VERIFY(phone->closed);

        QString told;
        pairPhone(kSecret, &told);
        QCOMPARE(told, u"badSecret"_s);
        const std::optional<QString> url = m_server->webPadUrl();
        QVERIFY(url);
        const QString secret = url->section(u"#k="_s, 1).section(u'&', 0, 0);
        QVERIFY(secret != kSecret);
        pairPhone(secret, &told);
        QCOMPARE(told, u"ready"_s);
    }

    void pageEditsReachPairedPhones()
    {
        auto phone = pairPhone(kSecret);
        qsizetype from = 0;
        phone->next(u"pages"_s, &from);
        m_server->setWebPadSnapshot(snapshotWith(u"Blade"_s));
        const QJsonObject pages = phone->next(u"pages"_s, &from);
        QCOMPARE(pages[u"pages"_s][0][u"buttons"_s][0][u"label"_s], u"Blade"_s);
        QCOMPARE(press(*phone, 11)[u"label"_s], u"Blade"_s);
    }

    void oversizedMessagesCloseTheSocket()
    {
        auto phone = pairPhone(kSecret);
        phone->socket.sendTextMessage(QString(80 * 1024, u'a'));
        QTRY_VERIFY(phone->closed);
        QCOMPARE(phone->socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    }

    void switchingThePhonePadOff()
    {
        auto phone = pairPhone(kSecret);
        m_server->setWebPadEnabled(false);
        QTRY_VERIFY(phone->closed);
        QVERIFY(!m_server->isWebPadRunning());
        QCOMPARE(m_server->webPadStatus(), u"Off"_s);
        QVERIFY(!m_server->webPadUrl());
        m_server->setWebPadEnabled(true);
        QTRY_VERIFY(m_server->isWebPadRunning());
        QVERIFY(m_server->webPadUrl()->startsWith(u"http://127.0.0.1:"_s));
    }

    void httpRequests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("statusLine");
        QTest::addColumn<QByteArray>("type");
        const QByteArray hash =
            QCryptographicHash::hash(pngBytes(), QCryptographicHash::Sha256).toHex();
        const auto get = [](const QByteArray &path,
                            const QByteArray &host = "127.0.0.1") -> QByteArray {
            return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\n\r\n";
        };
        QTest::newRow("page") << get("/") << QByteArray("200") << QByteArray("text/html");
        QTest::newRow("page by host name")
            << get("/", "EditBay.local:58433") << QByteArray("200") << QByteArray("text/html");
        QTest::newRow("script") << get("/pad.js") << QByteArray("200")
                                << QByteArray("text/javascript");
        QTest::newRow("manifest") << get("/manifest.webmanifest") << QByteArray("200")
                                  << QByteArray("application/manifest+json");
        QTest::newRow("icon") << get("/icons/bolt.fill.svg") << QByteArray("200")
                              << QByteArray("image/svg+xml");
        QTest::newRow("unknown icon, the fallback")
            << get("/icons/no.such.icon.svg") << QByteArray("200") << QByteArray("image/svg+xml");
        QTest::newRow("image by hash")
            << get("/images/" + hash) << QByteArray("200") << QByteArray("image/png");
        QTest::newRow("no such image") << get("/images/00") << QByteArray("404") << QByteArray();
        QTest::newRow("no such path") << get("/../etc/passwd") << QByteArray("404") << QByteArray();
        QTest::newRow("another site's name")
            << get("/", "evil.example") << QByteArray("421") << QByteArray();
        QTest::newRow("no host") << QByteArray("GET / HTTP/1.0\r\n\r\n") << QByteArray("421")
                                 << QByteArray();
        QTest::newRow("post") << QByteArray("POST / HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                            "Content-Length: 2\r\n\r\nhi")
                              << QByteArray("405") << QByteArray();
    }
    void httpRequests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, statusLine);
        QFETCH(QByteArray, type);
        const QByteArray reply = httpGet(request);
        QVERIFY2(reply.startsWith(QByteArray("HTTP/1.1 " + statusLine)), reply.constData());
        QVERIFY2(reply.contains(QByteArray("Content-Type: " + type)), reply.constData());
        QVERIFY(reply.contains("X-Frame-Options: DENY"));
        QVERIFY(reply.contains("X-Content-Type-Options: nosniff"));
    }

    void oversizedRequestsAreCut()
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_server->webPadPort());
        QVERIFY(socket.waitForConnected(5000));
        socket.write("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Filler: ");
        const QByteArray filler(16 * 1024, 'a');
        for (int chunk = 0; chunk < 16 && socket.state() == QAbstractSocket::ConnectedState;
             ++chunk) {
            socket.write(filler);
            socket.waitForBytesWritten(1000);
        }
        QVERIFY(socket.state() == QAbstractSocket::UnconnectedState ||
                socket.waitForDisconnected(5000));
    }

    // A phone's button sends what the desktop pad would for the state it shows; a two-state
    // button turns to its other state in the snapshot, pages message included.
    void snapshotFollowsTheButtonsKind_data()
    {
        QTest::addColumn<ShortcutButton>("button");
        QTest::addColumn<QStringList>("keys"); // of the press, as typed; empty: no keys
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("color");
        QTest::addColumn<QStringList>("otherKeys"); // after toggle(); none: no second state
        QTest::addColumn<QString>("otherLabel");

        const ShortcutButton plain =
            plainButton(5, u"Cut"_s, u"scissors"_s, u"#FC4444"_s, u"cmd+b"_s, u"resolve"_s, 0, 0);
        ShortcutButton sequence = plain;
        sequence.thenKeyCombos = {u"up"_s, u" "_s, u"cmd+shift+v"_s};
        sequence.sequenceDelayMs = 250;
        ShortcutButton tooLong = plain;
        tooLong.thenKeyCombos = QStringList(10, u"down"_s);
        ShortcutButton toggle = plain;
        toggle.isToggle = true;
        toggle.onKeyCombo = u"cmd+shift+b"_s;
        toggle.onLabel = u"Cutting"_s;
        toggle.thenKeyCombos = {u"up"_s}; // a two-state button sends one combination
        ShortcutButton on = toggle;
        on.toggledOn = true;
        ShortcutButton onWithoutKeys = on;
        onWithoutKeys.onKeyCombo.clear();

        QTest::newRow("plain") << plain << QStringList{u"cmd+b"_s} << 0 << u"Cut"_s << u"#FC4444"_s
                               << QStringList() << QString();
        QTest::newRow("sequence, blank combination left out")
            << sequence << QStringList{u"cmd+b"_s, u"up"_s, u"cmd+shift+v"_s} << 250 << u"Cut"_s
            << u"#FC4444"_s << QStringList() << QString();
        QTest::newRow("sequence cut to eight")
            << tooLong << QStringList{u"cmd+b"_s} + QStringList(7, u"down"_s) << 100 << u"Cut"_s
            << u"#FC4444"_s << QStringList() << QString();
        QTest::newRow("two states, off")
            << toggle << QStringList{u"cmd+b"_s} << 0 << u"Cut"_s << u"#FC4444"_s
            << QStringList{u"cmd+shift+b"_s} << u"Cutting"_s;
        QTest::newRow("two states, on") << on << QStringList{u"cmd+shift+b"_s} << 0 << u"Cutting"_s
                                        << u"#E5484D"_s << QStringList{u"cmd+b"_s} << u"Cut"_s;
        QTest::newRow("two states, on without keys")
            << onWithoutKeys << QStringList() << 0 << u"Cutting"_s << u"#E5484D"_s
            << QStringList{u"cmd+b"_s} << u"Cut"_s;
    }

    void snapshotFollowsTheButtonsKind()
    {
        QFETCH(ShortcutButton, button);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, otherKeys);
        WebPadSnapshot snapshot;
        snapshot.addPage(ShortcutPage{1, u"Edit"_s, 0}, {button});
        snapshot.finish();
        const auto pressed = [&] {
            const ShortcutMessage message = snapshot.presses.value(button.id).message;
            return message.keyCombo.isEmpty() ? QStringList() : message.keyCombos();
        };
        const auto shown = [&] {
            return QJsonDocument::fromJson(snapshot.pagesMessage)[u"pages"_s][0][u"buttons"_s][0]
                .toObject();
        };
        QCOMPARE(pressed(), keys);
        QTEST(snapshot.presses.value(button.id).message.delayMs, "delayMs");
        QTEST(snapshot.presses.value(button.id).label, "label");
        QTEST(shown()[u"label"_s].toString(), "label");
        QTEST(shown()[u"color"_s].toString(), "color");
        QCOMPARE(shown()[u"sendsKeys"_s].toBool(), !keys.isEmpty());
        QCOMPARE(shown().contains(u"on"_s), button.isToggle);
        QCOMPARE(shown()[u"on"_s].toBool(), button.toggledOn);

        const std::optional<bool> now = snapshot.toggle(button.id);
        QCOMPARE(now.has_value(), button.isToggle);
        if (!now)
            return;
        QCOMPARE(*now, !button.toggledOn);
        QCOMPARE(pressed(), otherKeys);
        QTEST(snapshot.presses.value(button.id).label, "otherLabel");
        QTEST(shown()[u"label"_s].toString(), "otherLabel");
        QCOMPARE(shown()[u"on"_s].toBool(), *now);
        QCOMPARE(shown()[u"sendsKeys"_s].toBool(), !otherKeys.isEmpty());
        QCOMPARE(snapshot.toggle(button.id), !*now); // and back
        QCOMPARE(pressed(), keys);
        QTEST(shown()[u"color"_s].toString(), "color");
    }

    // A phone's press of a two-state button turns it: at once for the next press, and in the
    // store, which the desktop pad and the phones then show.
    void phonePressesTurnTwoStateButtons_data()
    {
        QTest::addColumn<bool>("startsOn");
        QTest::addColumn<QStringList>("keys"); // typed by quick presses, one after the other
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<bool>("endsOn");
        QTest::newRow("off, one press")
            << false << QStringList{u"key 0 0"_s} << QStringList{u"Mute"_s} << true;
        QTest::newRow("on, one press")
            << true << QStringList{u"key 1 0"_s} << QStringList{u"Live"_s} << false;
        QTest::newRow("off, two quick presses") << false << QStringList{u"key 0 0"_s, u"key 1 0"_s}
                                                << QStringList{u"Mute"_s, u"Live"_s} << false;
        QTest::newRow("on, three quick presses")
            << true << QStringList{u"key 1 0"_s, u"key 0 0"_s, u"key 1 0"_s}
            << QStringList{u"Live"_s, u"Mute"_s, u"Live"_s} << false;
    }

    void phonePressesTurnTwoStateButtons()
    {
        QFETCH(bool, startsOn);
        QFETCH(QStringList, labels);
        QTemporaryDir dir;
        auto store = ModelStore::open(dir.path());
        QVERIFY(store);
        const auto stopFirst = qScopeGuard([this] { m_server.reset(); }); // it follows the store
        ShortcutPad pad(**store);
        QVERIFY(pad.seedDefaultPages());
        const qint64 page = pad.pages().value().constFirst().id;
        QList<ShortcutButton> buttons = pad.buttons(page).value();
        QVERIFY(!buttons.isEmpty());
        ShortcutButton button = buttons.first();
        button.isToggle = true;
        button.keyCombo = u"a"_s;
        button.label = u"Mute"_s;
        button.onKeyCombo = u"s"_s;
        button.onLabel = u"Live"_s;
        button.toggledOn = startsOn;
        QVERIFY(pad.updateButton(button) && pad.setToggledOn(button.id, button.toggledOn));
        const auto stored = [&] { return pad.button(button.id).value()->toggledOn; };

        makeServer(); // the store is followed from the start
        m_server->followPadPages(**store);
        m_server->start();
        QTRY_VERIFY_WITH_TIMEOUT(m_server->isWebPadRunning(), 5000);
        auto phone = pairPhone(kSecret);
        const auto lastShown = [&] {
            for (qsizetype i = phone->received.size() - 1; i >= 0; --i) {
                if (phone->received[i][u"type"_s] == u"pages"_s)
                    return phone->received[i][u"pages"_s][0][u"buttons"_s][0].toObject();
            }
            return QJsonObject();
        };
        QTRY_COMPARE(lastShown()[u"id"_s].toInteger(), button.id);
        QCOMPARE(lastShown()[u"on"_s].toBool(), startsOn);

        // Each press sends the state the one before it turned to, stored or not yet.
        for (const QString &label : std::as_const(labels))
            QCOMPARE(press(*phone, button.id)[u"label"_s].toString(), label);
        QTEST(keys(), "keys");
        QFETCH(bool, endsOn);
        QTRY_COMPARE(stored(), endsOn);
        QTRY_COMPARE(lastShown()[u"on"_s].toBool(), endsOn);
        QTRY_COMPARE(lastShown()[u"label"_s].toString(), endsOn ? u"Live"_s : u"Mute"_s);
        QCOMPARE(lastShown()[u"sendsKeys"_s].toBool(), true);
    }

    // The store as the phones see it: read at the start, followed after edits of this process
    // and of another one.
    void feedFollowsTheStore()
    {
        QTemporaryDir dir;
        auto store = ModelStore::open(dir.path());
        QVERIFY(store);
        WebPadPagesFeed feed(**store);
        QSignalSpy changed(&feed, &WebPadPagesFeed::snapshotChanged);
        feed.start();
        QCOMPARE(feed.snapshot()->pages.size(), 3); // the default pages, seeded
        QCOMPARE(changed.size(), 1);

        ShortcutPad pad(**store);
        ShortcutButton first = feed.snapshot()->pages[0].buttons.isEmpty()
                                   ? ShortcutButton{}
                                   : *pad.button(feed.snapshot()->pages[0].buttons[0].id).value();
        first.label = u"Here"_s;
        QVERIFY(pad.updateButton(first));
        QTRY_COMPARE(feed.snapshot()->pages[0].buttons[0].label, u"Here"_s);

        auto other = ModelStore::open(dir.path()); // another connection, as another process has
        QVERIFY(other);
        QVERIFY(ShortcutPad(**other).renamePage(feed.snapshot()->pages[1].id, u"Stream"_s));
        QTRY_COMPARE_WITH_TIMEOUT(feed.snapshot()->pages[1].name, u"Stream"_s, 5000);
        QCOMPARE(feed.snapshot()->presses.value(first.id).label, u"Here"_s);
    }
};

QTEST_GUILESS_MAIN(TestWebPadServer)
#include "tst_WebPadServer.moc"
