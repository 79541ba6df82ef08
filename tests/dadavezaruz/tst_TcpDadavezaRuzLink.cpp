// The pad's real TCP link against a stand-in server on loopback: what the server says back, and
// how the connection acts on it.

#include "FakeDadavezaRuzNetwork.h"
#include "ScriptedShortcutServer.h"

#include "common/Settings.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/ServerStatusMessage.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "dadavezaruz/TcpDadavezaRuzTransport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

using State = DadavezaRuzConnection::State;
using Status = ServerStatusMessage::Status;

namespace {

QByteArray line(Status status)
{
    return ServerStatusMessage{status}.encode();
}

QByteArray frame(const QString &keyCombo)
{
    return ShortcutMessage{keyCombo, u"resolve"_s}.encode();
}

} // namespace

class TestTcpDadavezaRuzLink : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Settings> m_settings;
    FakeDiscovery m_discovery;

private Q_SLOTS:
    void init() { m_settings = std::make_unique<Settings>(m_dir.filePath(u"settings.ini"_s)); }

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
        QTest::newRow("carriage return")
            << QList<QByteArray>{"{\"status\":\"ready\"}\r\n"} << QList{Status::Ready};
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
        QFETCH(QList<Status>, statuses);

        ScriptedShortcutServer server;
        QVERIFY(server.listen());
        TcpDadavezaRuzTransport transport(m_discovery);
        std::unique_ptr<DadavezaRuzLink> link = transport.linkTo(u"127.0.0.1"_s, server.port());
        QList<Status> heard;
        connect(link.get(), &DadavezaRuzLink::serverStatusReceived, this,
                [&heard](Status status) { heard.append(status); });
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
        QCOMPARE(heard, statuses);
        for (const QList<QVariant> &report : std::as_const(reports))
            QVERIFY(report.at(0).value<DadavezaRuzLink::Report>() !=
                    DadavezaRuzLink::Report::Failed);
    }

    void pressesFollowTheServersWord_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("received");  // at the server, once it said "ready"
        QTest::addColumn<QString>("sentBefore");   // the pad's "Sent:" label before that
        QTest::addColumn<QString>("statusBefore"); // …and its status line

        const QByteArray both = frame(u"cmd+z"_s) + frame(u"cmd+shift+z"_s);
        QTest::newRow("server that says nothing") << QByteArray() << both << u"Undo"_s << QString();
        QTest::newRow("waiting for approval")
            << line(Status::WaitingForApproval) << frame(u"cmd+shift+z"_s) << QString()
            << DadavezaRuzConnection::waitingForApprovalText();
    }

    void pressesFollowTheServersWord()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, received);
        QFETCH(QString, sentBefore);
        QFETCH(QString, statusBefore);

        ScriptedShortcutServer server(greeting);
        QVERIFY(server.listen());
        TcpDadavezaRuzTransport transport(m_discovery);
        DadavezaRuzConnection connection(*m_settings, transport, m_discovery);
        connection.connectToHost(u"127.0.0.1"_s, server.port());
        QTRY_COMPARE(connection.state().kind, State::Connected);
        QTRY_COMPARE(connection.lastError(), statusBefore);

        connection.send(u"cmd+z"_s, u"resolve"_s, u"Undo"_s);
        if (!sentBefore.isEmpty())
            QTRY_COMPARE(connection.lastSentLabel(), sentBefore);
        QCOMPARE(connection.lastSentLabel(), sentBefore);
        QCOMPARE(connection.lastError(), statusBefore);

        server.say(line(Status::Ready));
        QTRY_COMPARE(connection.serverStatus(), Status::Ready);
        QCOMPARE(connection.lastError(), QString());
        connection.send(u"cmd+shift+z"_s, u"resolve"_s, u"Redo"_s);
        QTRY_COMPARE(connection.lastSentLabel(), u"Redo"_s);
        QTRY_COMPARE(server.received(), received);
    }

    void refusalEndsTheConnectionForGood()
    {
        ScriptedShortcutServer server(line(Status::WaitingForApproval));
        QVERIFY(server.listen());
        TcpDadavezaRuzTransport transport(m_discovery);
        DadavezaRuzConnection connection(*m_settings, transport, m_discovery);
        connection.setReconnectAutomatically(true);
        connection.connectToHost(u"127.0.0.1"_s, server.port());
        QTRY_COMPARE(connection.serverStatus(), Status::WaitingForApproval);

        server.say(line(Status::Refused));
        server.close();
        QTRY_COMPARE(connection.state(), (State{State::Failed, u"Refused by the server"_s}));
        QCOMPARE(connection.lastError(), u"Refused by the server"_s);
        QCOMPARE(connection.reconnectDelay(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTcpDadavezaRuzLink)
#include "tst_TcpDadavezaRuzLink.moc"
