// The pad on a link that dies under it, for real: the pad and a stand-in server sit in two
// network namespaces joined by a veth pair, and the test takes one end down. The pad must notice
// within seconds, must not call a press made during the outage sent, and that press must never
// reach the server, not even once the link is back.

#include "FakeDadavezaRuzNetwork.h"
#include "NetworkNamespacePair.h"
#include "ScriptedShortcutServer.h"

#include "common/Settings.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/DadavezaRuzSocketWorker.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "dadavezaruz/TcpDadavezaRuzTransport.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

using State = DadavezaRuzConnection::State;
using Side = NetworkNamespacePair::Side;

namespace {

QByteArray frame(const QString &keyCombo)
{
    return ShortcutMessage{keyCombo, u"resolve"_s}.encode();
}

// Far longer than the pad may take; only a pad that never notices runs into them.
constexpr int kNoticeTimeoutMsec = 10000;
constexpr int kReconnectTimeoutMsec = 30000;

} // namespace

class TestDadavezaRuzDeadLink : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    FakeDiscovery m_discovery;

private Q_SLOTS:
    void deadLinkIsNoticedAndNothingIsTypedLate_data()
    {
        QTest::addColumn<Side>("down"); // the end of the link that goes down
        QTest::addColumn<bool>("pressDuringOutage");
        QTest::addColumn<int>("outageMsec"); // at least; until the pad noticed otherwise

        QTest::newRow("pad's Wi-Fi drops, idle") << Side::Pad << false << 0;
        QTest::newRow("pad's Wi-Fi drops, press") << Side::Pad << true << 0;
        QTest::newRow("far side goes quiet, idle") << Side::Server << false << 0;
        // With the far end gone the pad's system can no longer resolve the server's address: it
        // keeps the frame in its address-resolution queue, out of the pad's reach, until it gives
        // up after three probes a second apart. An outage shorter than that can still deliver the
        // frame, about 3 s after the press; this one lasts longer, as a dropped Wi-Fi does.
        QTest::newRow("far side goes quiet, press") << Side::Server << true << 6000;
    }

    void deadLinkIsNoticedAndNothingIsTypedLate()
    {
        QFETCH(Side, down);
        QFETCH(bool, pressDuringOutage);
        QFETCH(int, outageMsec);
        if (const QString reason = NetworkNamespacePair::unavailableReason(); !reason.isEmpty())
            QSKIP(qPrintable(reason));

        NetworkNamespacePair network;
        QString error;
        QVERIFY2(network.create(&error), qPrintable(error));
        const QString serverAddress = QString::fromLatin1(NetworkNamespacePair::kServerAddress);

        ScriptedShortcutServer server;
        bool listening = false;
        QVERIFY2(network.within(
                     Side::Server, [&] { listening = server.listen(QHostAddress(serverAddress)); },
                     &error),
                 qPrintable(error));
        QVERIFY(listening);
        // The transport's network thread, and so every socket of the pad, lives in the pad's
        // namespace.
        std::unique_ptr<TcpDadavezaRuzTransport> transport;
        QVERIFY2(network.within(
                     Side::Pad,
                     [&] { transport = std::make_unique<TcpDadavezaRuzTransport>(m_discovery); },
                     &error),
                 qPrintable(error));
        Settings settings(m_dir.filePath(u"settings.ini"_s));
        DadavezaRuzConnection connection(settings, *transport, m_discovery);
        connection.setReconnectAutomatically(true);

        connection.connectToHost(serverAddress, server.port());
        QTRY_COMPARE_WITH_TIMEOUT(connection.state().kind, State::Connected, kNoticeTimeoutMsec);
        connection.send({u"space"_s, u"resolve"_s}, u"Play"_s);
        QTRY_COMPARE(connection.lastSentLabel(), u"Play"_s);
        QTRY_COMPARE(server.received(), frame(u"space"_s));

        QVERIFY2(network.setLinkUp(down, false, &error), qPrintable(error));
        const QDeadlineTimer outage(outageMsec);
        if (pressDuringOutage)
            connection.send({u"k"_s, u"resolve"_s}, u"Stop"_s);
        QTRY_COMPARE_WITH_TIMEOUT(connection.state().kind, State::Failed, kNoticeTimeoutMsec);
        QCOMPARE(connection.state().message, DadavezaRuzSocketWorker::stoppedAnsweringText());
        QCOMPARE(connection.lastError(), u"Connection failed: The server stopped answering"_s);
        QCOMPARE(connection.lastSentLabel(), u"Play"_s);

        // Back on the link, the pad reconnects by itself; what it sends now arrives, and nothing
        // from before the outage comes with it.
        QTest::qWait(int(outage.remainingTime()));
        QVERIFY2(network.setLinkUp(down, true, &error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(connection.state().kind, State::Connected, kReconnectTimeoutMsec);
        QTest::qWait(2000); // time for anything still on its way to arrive
        connection.send({u"j"_s, u"resolve"_s}, u"Rewind"_s);
        QTRY_COMPARE(connection.lastSentLabel(), u"Rewind"_s);
        QTRY_COMPARE(server.received(), frame(u"space"_s) + frame(u"j"_s));
        QCOMPARE(server.connections(), 2);
    }
};

QTEST_GUILESS_MAIN(TestDadavezaRuzDeadLink)
#include "tst_DadavezaRuzDeadLink.moc"
