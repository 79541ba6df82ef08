// The web pad's messages: what the page may send, and what the server writes back, read with
// Qt's own JSON parser as the page's JSON.parse would.

#include "dadavezaruz-server/WebPadMessage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;
using Kind = WebPadRequest::Kind;

namespace {

QJsonObject parsed(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        qWarning("not a JSON object: %s (%s)", json.constData(), qPrintable(error.errorString()));
    return document.object();
}

WebPadRequest hello(const QString &secret, double t)
{
    return WebPadRequest{Kind::Hello, secret, 0, 0, t};
}

WebPadRequest press(qint64 id, qint64 button, double t)
{
    return WebPadRequest{Kind::Press, {}, id, button, t};
}

QByteArray helloWithSecretOf(qsizetype length)
{
    return "{\"type\":\"hello\",\"secret\":\"" + QByteArray(length, 'k') + "\",\"t\":1}";
}

WebPadRequest ping(double t)
{
    return WebPadRequest{Kind::Ping, {}, 0, 0, t};
}

} // namespace

class TestWebPadMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void acceptsRequests_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<WebPadRequest>("request");

        QTest::newRow("hello") << QByteArray(R"({"type":"hello","secret":"abc","t":123.4})")
                               << hello(u"abc"_s, 123.4);
        QTest::newRow("press") << QByteArray(R"({"type":"press","id":7,"button":42,"t":456.7})")
                               << press(7, 42, 456.7);
        QTest::newRow("ping") << QByteArray(R"({"type":"ping","t":789})") << ping(789);
        QTest::newRow("keys in any order, blanks")
            << QByteArray("{ \"t\" : 0 ,\n \"button\":1, \"id\":0, \"type\":\"press\" }\r\n")
            << press(0, 1, 0);
        QTest::newRow("other keys ignored")
            << QByteArray(R"({"type":"ping","t":1,"secret":5,"extra":{"a":[1,2]}})") << ping(1);
        QTest::newRow("escaped secret")
            << QByteArray("{\"type\":\"hello\",\"secret\":\"a\\\"b\\u00e9\\ud83d\\ude00\",\"t\":1}")
            << hello(u"a\"bé😀"_s, 1);
        QTest::newRow("empty secret")
            << QByteArray(R"({"type":"hello","secret":"","t":1})") << hello(QString(), 1);
        QTest::newRow("secret of 128") << helloWithSecretOf(128) << hello(QString(128, u'k'), 1);
        QTest::newRow("whole numbers in other forms")
            << QByteArray(R"({"type":"press","id":3.0,"button":2e1,"t":1})") << press(3, 20, 1);
        QTest::newRow("largest id and button")
            << QByteArray(R"({"type":"press","id":9007199254740992,"button":9007199254740992,)"
                          R"("t":1})")
            << press(qint64(1) << 53, qint64(1) << 53, 1);
        QTest::newRow("negative stamp is read (the clock judges it)")
            << QByteArray(R"({"type":"ping","t":-5})") << ping(-5);
    }

    void acceptsRequests()
    {
        QFETCH(QByteArray, text);
        QFETCH(WebPadRequest, request);
        const std::optional<WebPadRequest> decoded = WebPadMessage::decodeRequest(text);
        QVERIFY(decoded.has_value());
        QCOMPARE(int(decoded->kind), int(request.kind));
        QCOMPARE(decoded->secret, request.secret);
        QCOMPARE(decoded->pressId, request.pressId);
        QCOMPARE(decoded->button, request.button);
        QCOMPARE(decoded->pageMs, request.pageMs);
    }

    void refusesRequests_data()
    {
        QTest::addColumn<QByteArray>("text");

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not JSON") << QByteArray("hello");
        QTest::newRow("array") << QByteArray(R"([{"type":"ping","t":1}])");
        QTest::newRow("string") << QByteArray(R"("ping")");
        QTest::newRow("trailing junk") << QByteArray(R"({"type":"ping","t":1}x)");
        QTest::newRow("two objects") << QByteArray(R"({"type":"ping","t":1}{"type":"ping","t":1})");
        QTest::newRow("no type") << QByteArray(R"({"t":1})");
        QTest::newRow("unknown type") << QByteArray(R"({"type":"pong","t":1})");
        QTest::newRow("type in capitals") << QByteArray(R"({"type":"PING","t":1})");
        QTest::newRow("type not a string") << QByteArray(R"({"type":1,"t":1})");
        QTest::newRow("no stamp") << QByteArray(R"({"type":"ping"})");
        QTest::newRow("stamp as text") << QByteArray(R"({"type":"ping","t":"1"})");
        QTest::newRow("stamp null") << QByteArray(R"({"type":"ping","t":null})");
        QTest::newRow("stamp overflows") << QByteArray(R"({"type":"ping","t":1e999})");
        QTest::newRow("hello without secret") << QByteArray(R"({"type":"hello","t":1})");
        QTest::newRow("secret a number") << QByteArray(R"({"type":"hello","secret":5,"t":1})");
        QTest::newRow("secret null") << QByteArray(R"({"type":"hello","secret":null,"t":1})");
        QTest::newRow("secret of 129") << helloWithSecretOf(129);
        QTest::newRow("press without id") << QByteArray(R"({"type":"press","button":1,"t":1})");
        QTest::newRow("press without button") << QByteArray(R"({"type":"press","id":1,"t":1})");
        QTest::newRow("button 0") << QByteArray(R"({"type":"press","id":1,"button":0,"t":1})");
        QTest::newRow("negative id") << QByteArray(R"({"type":"press","id":-1,"button":1,"t":1})");
        QTest::newRow("fractional button")
            << QByteArray(R"({"type":"press","id":1,"button":1.5,"t":1})");
        QTest::newRow("button as text")
            << QByteArray(R"({"type":"press","id":1,"button":"1","t":1})");
        QTest::newRow("button true")
            << QByteArray(R"({"type":"press","id":1,"button":true,"t":1})");
        QTest::newRow("id beyond 2^53")
            << QByteArray(R"({"type":"press","id":9007199254740993,"button":1,"t":1})");
        QTest::newRow("button beyond 2^53")
            << QByteArray(R"({"type":"press","id":1,"button":9007199254740994,"t":1})");
        QTest::newRow("button far beyond 64 bits")
            << QByteArray(R"({"type":"press","id":1,"button":1e30,"t":1})");
    }

    void refusesRequests()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!WebPadMessage::decodeRequest(text).has_value());
    }

    void sizeLimit_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("at the limit") << WebPadMessage::kMaxRequestBytes << true;
        QTest::newRow("one byte over") << WebPadMessage::kMaxRequestBytes + 1 << false;
    }

    // A ping padded with white space to `size` bytes.
    void sizeLimit()
    {
        QFETCH(qsizetype, size);
        QByteArray text = R"({"type":"ping","t":1})";
        text.append(QByteArray(size - text.size(), ' '));
        QCOMPARE(text.size(), size);
        QTEST(WebPadMessage::decodeRequest(text).has_value(), "accepted");
    }

    void encodesSmallMessages()
    {
        QCOMPARE(WebPadMessage::encodePong(), QByteArray(R"({"type":"pong"})"));
        QCOMPARE(WebPadMessage::encodeStatus(u"ready"_s, QString()),
                 QByteArray(R"({"type":"status","state":"ready","message":""})"));
        QCOMPARE(WebPadMessage::encodeResult(7, true, u"Cut"_s),
                 QByteArray(R"({"type":"result","id":7,"ok":true,"label":"Cut"})"));
        QCOMPARE(WebPadMessage::encodeResult(9007199254740992, false, u"Not typed"_s),
                 QByteArray(R"({"type":"result","id":9007199254740992,"ok":false,)"
                            R"("reason":"Not typed"})"));
    }

    void escapesText_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("plain") << u"Cut"_s;
        QTest::newRow("quote and backslash") << u"say \"hi\" \\ bye"_s;
        QTest::newRow("control characters") << u"a\nb\tc\rd\u0001e\u001ff\u007f"_s;
        QTest::newRow("markup") << u"</script><b>&amp;"_s;
        QTest::newRow("accents and emoji") << u"Schärfe 🎬 色"_s;
        QTest::newRow("line separators") << u"a\u2028b\u2029c"_s;
        QTest::newRow("byte-order mark") << u"\uFEFFstart"_s;
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + u"x"_s;
        QTest::newRow("lone low surrogate") << u"x"_s + QChar(0xDE00);
        QTest::newRow("NUL") << QString(QChar(0)) + u"after"_s;
    }

    // Whatever the text, each encoder writes valid compact JSON that reads back as the same text.
    void escapesText()
    {
        QFETCH(QString, text);

        const QByteArray status = WebPadMessage::encodeStatus(text, text);
        const QByteArray result = WebPadMessage::encodeResult(1, false, text);
        const QByteArray label = WebPadMessage::encodeResult(1, true, text);
        for (const QByteArray &json : {status, result, label}) {
            QVERIFY2(!json.contains('\n') && !json.contains('<'), json.constData());
            QVERIFY2(QString::fromUtf8(json).toUtf8() == json, "valid UTF-8");
        }
        QCOMPARE(parsed(status).value(u"message"_s).toString(), text);
        QCOMPARE(parsed(status).value(u"state"_s).toString(), text);
        QCOMPARE(parsed(result).value(u"reason"_s).toString(), text);
        QVERIFY(!parsed(result).contains(u"label"_s));
        QCOMPARE(parsed(label).value(u"label"_s).toString(), text);
        QVERIFY(!parsed(label).contains(u"reason"_s));

        WebPadButton button{1, text, text, text, 0, 0, text, true};
        const QJsonObject pages = parsed(WebPadMessage::encodePages({{1, text, {button}}}));
        const QJsonObject page = pages.value(u"pages"_s).toArray().at(0).toObject();
        QCOMPARE(page.value(u"name"_s).toString(), text);
        const QJsonObject read = page.value(u"buttons"_s).toArray().at(0).toObject();
        QCOMPARE(read.value(u"label"_s).toString(), text);
        QCOMPARE(read.value(u"symbol"_s).toString(), text);
        QCOMPARE(read.value(u"image"_s).toString(), u"/images/"_s + text);
    }

    void pagesRoundTrip_data()
    {
        QTest::addColumn<QList<WebPadPage>>("pages");

        const WebPadButton cut{42, u"Cut"_s, u"scissors"_s, u"#6B5CE7"_s, 0, 1, QString(), true};
        const WebPadButton image{
            43,
            u"Grade"_s,
            u"bolt.fill"_s,
            u"#FF0000"_s,
            3,
            3,
            u"9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"_s,
            true};
        const WebPadButton dead{
            9007199254740992, u"No keys"_s, u"questionmark"_s, u"#000000"_s, 2, 0,
            QString(),        false};

        QTest::newRow("no pages") << QList<WebPadPage>{};
        QTest::newRow("empty page") << QList<WebPadPage>{{1, u"Empty"_s, {}}};
        QTest::newRow("one button") << QList<WebPadPage>{{1, u"Resolve"_s, {cut}}};
        QTest::newRow("tab order and every field") << QList<WebPadPage>{
            {5, u"Edit"_s, {cut, image, dead}}, {2, u"Color"_s, {image}}, {1, QString(), {}}};
        WebPadButton off{7, u"Mute"_s, u"mic"_s, u"#30A46C"_s, 1, 1, QString(), true, true, false};
        WebPadButton on{8, u"Live"_s, u"dot"_s, u"#E5484D"_s, 1, 2, QString(), false, true, true};
        QTest::newRow("two-state buttons beside a plain one")
            << QList<WebPadPage>{{3, u"Stream"_s, {off, cut, on}}};
    }

    void pagesRoundTrip()
    {
        QFETCH(QList<WebPadPage>, pages);
        const QByteArray json = WebPadMessage::encodePages(pages);
        const QJsonObject message = parsed(json);
        QCOMPARE(message.value(u"type"_s).toString(), u"pages"_s);

        QList<WebPadPage> read;
        for (const QJsonValue pageValue : message.value(u"pages"_s).toArray()) {
            const QJsonObject pageObject = pageValue.toObject();
            WebPadPage page{
                pageObject.value(u"id"_s).toInteger(), pageObject.value(u"name"_s).toString(), {}};
            for (const QJsonValue buttonValue : pageObject.value(u"buttons"_s).toArray()) {
                const QJsonObject b = buttonValue.toObject();
                // Only a two-state button has "on".
                const bool isToggle = b.contains(u"on"_s);
                QCOMPARE(b.size(), isToggle ? 9 : 8);
                QVERIFY(!isToggle || b.value(u"on"_s).isBool());
                const QJsonValue imageValue = b.value(u"image"_s);
                QVERIFY(imageValue.isNull() || imageValue.isString());
                QString hash = imageValue.toString();
                if (!hash.isNull()) {
                    QVERIFY(hash.startsWith(u"/images/"_s));
                    hash.remove(0, 8);
                }
                QVERIFY(b.value(u"sendsKeys"_s).isBool());
                page.buttons.append(WebPadButton{
                    b.value(u"id"_s).toInteger(), b.value(u"label"_s).toString(),
                    b.value(u"symbol"_s).toString(), b.value(u"color"_s).toString(),
                    b.value(u"row"_s).toInt(-1), b.value(u"col"_s).toInt(-1), hash,
                    b.value(u"sendsKeys"_s).toBool(), isToggle, b.value(u"on"_s).toBool()});
            }
            read.append(page);
        }
        QCOMPARE(read, pages);
    }
};

QTEST_GUILESS_MAIN(TestWebPadMessage)
#include "tst_WebPadMessage.moc"
