// The two kinds of line a pad and a server exchange: a press, and the server's word back.

#include "dadavezaruz/ServerStatusMessage.h"
#include "dadavezaruz/ShortcutMessage.h"

#include <QTest>

using namespace Qt::StringLiterals;
using hb::ServerStatusMessage;
using hb::ShortcutMessage;
using Status = ServerStatusMessage::Status;

namespace hb {
// Readable QCOMPARE failures; found through argument-dependent lookup.
char *toString(const ShortcutMessage &message)
{
    return QTest::toString(message.encode());
}
char *toString(const ServerStatusMessage &message)
{
    return QTest::toString(message.encode());
}
} // namespace hb

class TestShortcutMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void encode_data()
    {
        QTest::addColumn<QString>("keyCombo");
        QTest::addColumn<QString>("appTarget");
        QTest::addColumn<QByteArray>("frame");

        QTest::newRow("typical") << u"cmd+shift+c"_s << u"resolve"_s
                                 << "{\"keyCombo\":\"cmd+shift+c\",\"appTarget\":\"resolve\"}\n"_ba;
        QTest::newRow("solidus") << u"cmd+/"_s << u"global"_s
                                 << "{\"keyCombo\":\"cmd+\\/\",\"appTarget\":\"global\"}\n"_ba;
        QTest::newRow("quote and backslash")
            << u"shift+\"+\\"_s << u"obs"_s
            << "{\"keyCombo\":\"shift+\\\"+\\\\\",\"appTarget\":\"obs\"}\n"_ba;
        QTest::newRow("control char")
            << u"a\x01"_s << u"x"_s << "{\"keyCombo\":\"a\\u0001\",\"appTarget\":\"x\"}\n"_ba;
        QTest::newRow("non-ASCII stays UTF-8")
            << u"alt+é"_s << u"😀"_s
            << "{\"keyCombo\":\"alt+\xc3\xa9\",\"appTarget\":\"\xf0\x9f\x98\x80\"}\n"_ba;
        QTest::newRow("lone surrogate") << QString(QChar(0xD83D)) + u"a"_s << u"b"_s
                                        << "{\"keyCombo\":\"\\ud83da\",\"appTarget\":\"b\"}\n"_ba;
        QTest::newRow("U+FEFF") << u"\ufeffa"_s << u"b"_s
                                << "{\"keyCombo\":\"\\ufeffa\",\"appTarget\":\"b\"}\n"_ba;
    }

    void encode()
    {
        QFETCH(QString, keyCombo);
        QFETCH(QString, appTarget);
        QFETCH(QByteArray, frame);
        const ShortcutMessage message{keyCombo, appTarget};
        QCOMPARE(message.encode(), frame);
        QCOMPARE(ShortcutMessage::decode(frame).value_or(ShortcutMessage{}), message);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("keyCombo"); // null: the line is rejected

        const auto row = [](const char *name, const QByteArray &line, const QString &combo = {}) {
            QTest::newRow(name) << line << combo;
        };
        row("reversed key order", R"({"appTarget":"x","keyCombo":"cmd+z"})"_ba, u"cmd+z"_s);
        row("CRLF", "{\"keyCombo\":\"c\",\"appTarget\":\"x\"}\r\n"_ba, u"c"_s);
        row("extra key", R"({"id":7,"keyCombo":"f5","appTarget":"x"})"_ba, u"f5"_s);
        row("blanks round the object", " {\"keyCombo\":\"c\",\"appTarget\":\"x\"} \t"_ba, u"c"_s);
        row("key repeated, last wins", R"({"keyCombo":"a","appTarget":"x","keyCombo":"b"})"_ba,
            u"b"_s);

        row("empty line", ""_ba);
        row("bad JSON", R"({"keyCombo":"c","appTarget":)"_ba);
        row("only keyCombo", R"({"keyCombo":"c"})"_ba);
        row("number appTarget", R"({"keyCombo":"c","appTarget":1})"_ba);
        row("top-level array", R"([{"keyCombo":"c","appTarget":"x"}])"_ba);
        row("text after the object", R"({"keyCombo":"c","appTarget":"x"}})"_ba);
    }

    void decode()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, keyCombo);
        const std::optional<ShortcutMessage> message = ShortcutMessage::decode(line);
        QCOMPARE(message.has_value(), !keyCombo.isNull());
        if (message)
            QCOMPARE(*message, (ShortcutMessage{keyCombo, u"x"_s}));
    }

    // A sequence names all its combinations under "keySequence", never under "keyCombo", so that a
    // server that reads only keyCombo types none of it.
    void sequenceEncode_data()
    {
        QTest::addColumn<QStringList>("combos");
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("delayRead"); // as decoded

        QTest::newRow("two") << QStringList{u"up"_s, u"cmd+shift+v"_s} << 100
                             << R"({"keySequence":["up","cmd+shift+v"],"delayMs":100,)"
                                R"("appTarget":"x"})"
                                "\n"_ba
                             << 100;
        QTest::newRow("escaped like a single") << QStringList{u"cmd+/"_s, u"\"\u0001"_s} << 0
                                               << "{\"keySequence\":[\"cmd+\\/\",\"\\\"\\u0001\"],"
                                                  "\"delayMs\":0,\"appTarget\":\"x\"}\n"_ba
                                               << 0;
        QTest::newRow("delay held to the longest")
            << QStringList{u"a"_s, u"b"_s} << 99999
            << R"({"keySequence":["a","b"],"delayMs":2000,"appTarget":"x"})"
               "\n"_ba
            << 2000;
    }

    void sequenceEncode()
    {
        QFETCH(QStringList, combos);
        QFETCH(int, delayMs);
        QFETCH(QByteArray, frame);
        QFETCH(int, delayRead);
        const ShortcutMessage message{combos.first(), u"x"_s, combos.mid(1), delayMs};
        QCOMPARE(message.encode(), frame);
        QVERIFY(!frame.contains("\"keyCombo\""));
        ShortcutMessage expected = message;
        expected.delayMs = delayRead;
        QCOMPARE(ShortcutMessage::decode(frame).value_or(ShortcutMessage{}), expected);
        QCOMPARE(ShortcutMessage::decode(frame)->keyCombos(), combos);
    }

    void sequenceDecode_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("combos"); // empty: refused
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<QString>("refusal"); // part of the reason; null: no reason given

        const auto row = [](const char *name, const QByteArray &line, const QStringList &combos,
                            int delay = 0, const QString &refusal = {}) {
            QTest::newRow(name) << line << combos << delay << refusal;
        };
        const QStringList eight{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"f"_s, u"g"_s, u"h"_s};
        row("one combination reads as a single", R"({"keySequence":["f5"],"appTarget":"x"})",
            {u"f5"_s});
        row("no delay reads as none", R"({"appTarget":"x","keySequence":["a","b"]})",
            {u"a"_s, u"b"_s});
        row("eight, longest delay, written 2e3",
            R"({"keySequence":["a","b","c","d","e","f","g","h"],"delayMs":2e3,"appTarget":"x"})",
            eight, 2000);
        row("other keys ignored", R"({"v":2,"keySequence":["a","b"],"delayMs":5,"appTarget":"x"})",
            {u"a"_s, u"b"_s}, 5);

        row("nine", R"({"keySequence":["a","b","c","d","e","f","g","h","i"],"appTarget":"x"})", {},
            0, u"more than 8"_s);
        row("empty", R"({"keySequence":[],"appTarget":"x"})", {}, 0, u"empty"_s);
        row("both keys", R"({"keyCombo":"a","keySequence":["b","c"],"appTarget":"x"})", {}, 0,
            u"both"_s);
        row("not a list", R"({"keySequence":"a,b","appTarget":"x"})", {}, 0, u"not a list"_s);
        row("a number in it", R"({"keySequence":["a",5],"appTarget":"x"})", {}, 0,
            u"other than text"_s);
        row("delay too long", R"({"keySequence":["a","b"],"delayMs":2001,"appTarget":"x"})", {}, 0,
            u"2000"_s);
        row("delay not whole", R"({"keySequence":["a","b"],"delayMs":1.5,"appTarget":"x"})", {}, 0,
            u"whole number"_s);
        row("no target", R"({"keySequence":["a","b"]})", {}, 0, u"application"_s);
        row("single without keys", R"({"appTarget":"x"})", {}, 0, u"no key combination"_s);
        row("not an object: no reason", R"(["keySequence"])", {});
        row("not JSON: no reason", "keySequence: a, b", {});
    }

    void sequenceDecode()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, combos);
        QFETCH(QString, refusal);
        QString why;
        const std::optional<ShortcutMessage> message = ShortcutMessage::decode(line, &why);
        QCOMPARE(message.has_value(), !combos.isEmpty());
        if (message) {
            QCOMPARE(message->keyCombos(), combos);
            QTEST(message->delayMs, "delayMs");
            QCOMPARE(message->appTarget, u"x"_s);
            QVERIFY(why.isEmpty());
        } else if (refusal.isNull()) {
            QCOMPARE(why, QString());
        } else {
            QVERIFY2(why.contains(refusal), qPrintable(why));
        }
    }

    void statusEncode_data()
    {
        QTest::addColumn<Status>("status");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("ready") << Status::Ready << "{\"status\":\"ready\"}\n"_ba;
        QTest::newRow("waiting") << Status::WaitingForApproval
                                 << "{\"status\":\"waitingForApproval\"}\n"_ba;
        QTest::newRow("refused") << Status::Refused << "{\"status\":\"refused\"}\n"_ba;
    }

    void statusEncode()
    {
        QFETCH(Status, status);
        QFETCH(QByteArray, line);
        QCOMPARE(ServerStatusMessage{status}.encode(), line);
        QCOMPARE(ServerStatusMessage::decode(QByteArrayView(line).chopped(1)),
                 ServerStatusMessage{status});
    }

    // What a newer server adds to its lines: read by this controller, ignored by older ones.
    void statusWithMore_data()
    {
        QTest::addColumn<ServerStatusMessage>("message");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("accepts") << ServerStatusMessage{Status::Ready, {u"keySequence"_s}, {}}
                                 << R"({"status":"ready","accepts":["keySequence"]})"
                                    "\n"_ba;
        QTest::newRow("not typed, quoted text")
            << ServerStatusMessage{Status::Ready, {u"keySequence"_s}, u"“f\"9” — no key"_s}
            << "{\"status\":\"ready\",\"accepts\":[\"keySequence\"],\"notTyped\":\"\xe2\x80\x9c"
               "f\\\"9\xe2\x80\x9d \xe2\x80\x94 no key\"}\n"_ba;
        QTest::newRow("not typed, nothing accepted")
            << ServerStatusMessage{Status::Ready, {}, u"busy"_s}
            << R"({"status":"ready","notTyped":"busy"})"
               "\n"_ba;
    }

    void statusWithMore()
    {
        QFETCH(ServerStatusMessage, message);
        QFETCH(QByteArray, line);
        QCOMPARE(message.encode(), line);
        QCOMPARE(ServerStatusMessage::decode(QByteArrayView(line).chopped(1)), message);
        QVERIFY(line.size() <= ServerStatusMessage::kMaxLineLength);
    }

    // However long the reason, the line stays short enough to be read, and cut text says so.
    void longReasonsAreCut_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("ASCII") << QString(5000, u'k');
        QTest::newRow("control characters, six bytes each") << QString(5000, QChar(1));
        QTest::newRow("a pair across the cut") << u"😀"_s.repeated(2500);
    }

    void longReasonsAreCut()
    {
        QFETCH(QString, reason);
        const QByteArray line =
            ServerStatusMessage{Status::Ready, {u"keySequence"_s}, reason}.encode();
        QVERIFY2(line.size() <= ServerStatusMessage::kMaxLineLength, line.constData());
        const auto read = ServerStatusMessage::decode(QByteArrayView(line).chopped(1));
        QVERIFY(read);
        QVERIFY(read->notTyped.endsWith(QChar(0x2026)));
        QVERIFY(reason.startsWith(read->notTyped.chopped(1)));
        QVERIFY(!read->notTyped.chopped(1).back().isHighSurrogate());
    }

    // An older controller reads only "status"; so does this one for keys it does not know, and
    // values of the wrong kind are dropped, not taken for the line.
    void statusUnknownParts_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("accepts");
        QTest::addColumn<QString>("notTyped");
        QTest::newRow("later keys") << R"({"status":"ready","accepts":["keySequence","macro"],)"
                                       R"("queue":{"waiting":3}})"_ba
                                    << QStringList{u"keySequence"_s, u"macro"_s} << QString();
        QTest::newRow("accepts not a list")
            << R"({"status":"ready","accepts":"keySequence"})"_ba << QStringList() << QString();
        QTest::newRow("non-text kinds skipped")
            << R"({"status":"ready","accepts":[1,"keySequence",null]})"_ba
            << QStringList{u"keySequence"_s} << QString();
    }

    void statusUnknownParts()
    {
        QFETCH(QByteArray, line);
        const std::optional<ServerStatusMessage> message = ServerStatusMessage::decode(line);
        QVERIFY(message);
        QCOMPARE(message->status, Status::Ready);
        QTEST(message->accepts, "accepts");
        QTEST(message->notTyped, "notTyped");
    }

    void statusDecode_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("status"); // -1: not a status line

        const auto padded = [](qsizetype length) -> QByteArray {
            QByteArray text = R"({"status":"refused"})"_ba;
            return text + QByteArray(length - text.size(), ' ');
        };
        const qsizetype max = ServerStatusMessage::kMaxLineLength;
        QTest::newRow("carriage return") << "{\"status\":\"ready\"}\r"_ba << int(Status::Ready);
        QTest::newRow("spaced out") << R"( { "status" : "refused" } )"_ba << int(Status::Refused);
        QTest::newRow("more keys") << R"({"since":3,"status":"waitingForApproval","x":[1]})"_ba
                                   << int(Status::WaitingForApproval);
        QTest::newRow("escaped") << R"({"status":"re\u0066used"})"_ba << int(Status::Refused);
        QTest::newRow("longest line") << padded(max) << int(Status::Refused);
        QTest::newRow("one byte too long") << padded(max + 1) << -1;
        QTest::newRow("unknown status") << R"({"status":"asleep"})"_ba << -1;
        QTest::newRow("case matters") << R"({"status":"Ready"})"_ba << -1;
        QTest::newRow("not a string") << R"({"status":1})"_ba << -1;
        QTest::newRow("no status") << R"({"state":"ready"})"_ba << -1;
        QTest::newRow("array") << R"(["ready"])"_ba << -1;
        QTest::newRow("bare string") << R"("ready")"_ba << -1;
        QTest::newRow("two objects") << R"({"status":"ready"}{"status":"ready"})"_ba << -1;
        QTest::newRow("cut short") << R"({"status":"ready")"_ba << -1;
        QTest::newRow("empty") << QByteArray() << -1;
    }

    void statusDecode()
    {
        QFETCH(QByteArray, line);
        const std::optional<ServerStatusMessage> message = ServerStatusMessage::decode(line);
        QTEST(message ? int(message->status) : -1, "status");
    }
};

QTEST_GUILESS_MAIN(TestShortcutMessage)
#include "tst_ShortcutMessage.moc"
