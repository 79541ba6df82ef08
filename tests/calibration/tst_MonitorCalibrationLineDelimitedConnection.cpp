#include "calibration/MonitorCalibrationLineDelimitedConnection.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace hb;
using State = MonitorCalibrationLineDelimitedConnection::State;
using Kind = State::Kind;

// A real loopback stream: the test writes on the client side and watches what the connection
// wrapped round the accepted side reports.
class TestLineDelimitedConnection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_lines.clear();
        m_states.clear();
        QVERIFY(m_server.listen(QHostAddress::LocalHost, 0));
        m_client.connectToHost(QHostAddress::LocalHost, m_server.serverPort());
        QVERIFY(m_server.waitForNewConnection(5000));
        m_connection = std::make_unique<MonitorCalibrationLineDelimitedConnection>(
            m_server.nextPendingConnection());
        m_connection->onLine = [this](const QByteArray &line) { m_lines.append(line); };
        m_connection->onStateUpdate = [this](const State &state) { m_states.append(state); };
        m_connection->start();
        QVERIFY(m_client.waitForConnected(5000));
    }

    void cleanup()
    {
        m_connection.reset();
        m_client.abort();
        m_server.close();
    }

    void deliversLinesThenTheClose()
    {
        QCOMPARE(m_states, (QList<State>{State{Kind::Ready, std::nullopt}}));
        // The lines of the last chunk come before the close; a line without its feed is dropped.
        m_client.write("one\r\ntwo\nthree\nhalf");
        m_client.disconnectFromHost();
        QTRY_COMPARE(m_states.size(), 2);
        QCOMPARE(m_lines, (QByteArrayList{"one\r", "two", "three"}));
        QCOMPARE(m_states.last(), (State{Kind::Cancelled, std::nullopt}));
    }

    void cancelReportsAtOnceAndStopsReading()
    {
        m_connection->cancel();
        QCOMPARE(m_states.last().kind, Kind::Cancelled);
        m_connection->cancel();
        QCOMPARE(m_states.size(), 2); // reported once
        m_client.write("late\n");
        QTest::qWait(50);
        QVERIFY(m_lines.isEmpty());
        QTRY_COMPARE(m_client.state(), QAbstractSocket::UnconnectedState);
    }

private:
    QTcpServer m_server;
    QTcpSocket m_client;
    std::unique_ptr<MonitorCalibrationLineDelimitedConnection> m_connection;
    QByteArrayList m_lines;
    QList<State> m_states;
};

QTEST_GUILESS_MAIN(TestLineDelimitedConnection)
#include "tst_MonitorCalibrationLineDelimitedConnection.moc"
