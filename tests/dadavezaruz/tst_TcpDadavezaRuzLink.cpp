// The pad's real TCP link against a stand-in server on loopback: how it reads what the server
// says back (what the connection makes of it is tested with the fake network).

#include "FakeDadavezaRuzNetwork.h"
#include "ScriptedShortcutServer.h"

#include "dadavezaruz/ServerStatusMessage.h"
#include "dadavezaruz/TcpDadavezaRuzTransport.h"

#include <QSignalSpy>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

using Status = ServerStatusMessage::Status;

namespace {

QByteArray line(Status status)
{
    return ServerStatusMessage{status}.encode();
}

} // namespace

class TestTcpDadavezaRuzLink : public QObject {
    Q_OBJECT

    FakeDiscovery m_discovery;

private Q_SLOTS:
    void readsStatusLines_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks"); // written one after another
        QTest::addColumn<QList<Status>>("statuses");   // before the closing "refused"

        const QByteArray waiting = line(Status::WaitingForApproval);
        const QByteArray ready = line(Status::Ready);
        const qsizetype max = ServerStatusMessage::kMaxLineLength;
        QByteArray padded = line(Status::Refused);
        padded.insert(padded.size() - 1, QByteArray(max + 1 - padded.size() + 1, ' '));

        QTest::newRow("lines in one piece") << QList<QByteArray>{waiting + ready}
                                            << QList{Status::WaitingForApproval, Status::Ready};
        QTest::newRow("a line cut in two")
            << QList<QByteArray>{waiting.first(7), waiting.sliced(7) + ready}
            << QList{Status::WaitingForApproval, Status::Ready};
        QTest::newRow("unknown, other and broken lines")
            << QList<QByteArray>{"{\"status\":\"asleep\"}\nhello\n{\"status\":\n[\"ready\"]\n" +
                                 ready}
            << QList{Status::Ready};
        QTest::newRow("a status too long to be one")
            << QList<QByteArray>{padded, ready} << QList{Status::Ready};
        QTest::newRow("an endless line")
            << QList<QByteArray>{QByteArray(256 * 1024, 'x'), QByteArray(64 * 1024, 'y'),
                                 "\n" + waiting}
            << QList{Status::WaitingForApproval};
    }

    void readsStatusLines()
    {
        QFETCH(QList<QByteArray>, chunks);

        ScriptedShortcutServer server;
        QVERIFY(server.listen());
        TcpDadavezaRuzTransport transport(m_discovery);
        std::unique_ptr<DadavezaRuzLink> link = transport.linkTo(u"127.0.0.1"_s, server.port());
        QList<Status> heard;
        connect(link.get(), &DadavezaRuzLink::serverStatusReceived, this,
                [&heard](const ServerStatusMessage &message) { heard.append(message.status); });
        QSignalSpy reports(link.get(), &DadavezaRuzLink::reported);
        link->start();
        QTRY_COMPARE(server.connections(), 1);
        for (const QByteArray &chunk : std::as_const(chunks)) {
            server.say(chunk);
            QTest::qWait(10); // a chance to arrive apart
        }
        server.say(line(Status::Refused)); // the last word, so that nothing is missed
        QTRY_COMPARE(heard.value(heard.size() - 1), Status::Refused);
        heard.removeLast();
        QTEST(heard, "statuses");
        for (const QList<QVariant> &report : std::as_const(reports))
            QVERIFY(report.at(0).value<DadavezaRuzLink::Report>() !=
                    DadavezaRuzLink::Report::Failed);
    }
};

QTEST_GUILESS_MAIN(TestTcpDadavezaRuzLink)
#include "tst_TcpDadavezaRuzLink.moc"
