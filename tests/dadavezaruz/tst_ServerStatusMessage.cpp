#include "dadavezaruz/ServerStatusMessage.h"

#include <QTest>

using namespace Qt::StringLiterals;
using hb::ServerStatusMessage;
using Status = ServerStatusMessage::Status;

class TestServerStatusMessage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void encode_data()
    {
        QTest::addColumn<Status>("status");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("ready") << Status::Ready << "{\"status\":\"ready\"}\n"_ba;
        QTest::newRow("waiting") << Status::WaitingForApproval
                                 << "{\"status\":\"waitingForApproval\"}\n"_ba;
        QTest::newRow("refused") << Status::Refused << "{\"status\":\"refused\"}\n"_ba;
    }

    void encode()
    {
        QFETCH(Status, status);
        QFETCH(QByteArray, line);

        QCOMPARE(ServerStatusMessage{status}.encode(), line);
        QCOMPARE(ServerStatusMessage::decode(QByteArrayView(line).chopped(1)),
                 ServerStatusMessage{status});
    }

    void decode_data()
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

    void decode()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, status);

        const std::optional<ServerStatusMessage> message = ServerStatusMessage::decode(line);
        QCOMPARE(message ? int(message->status) : -1, status);
    }
};

QTEST_GUILESS_MAIN(TestServerStatusMessage)
#include "tst_ServerStatusMessage.moc"
