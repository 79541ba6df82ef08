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
