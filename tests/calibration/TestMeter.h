#pragma once

#include "calibration/MonitorCalibrationHostNetworking.h"
#include "calibration/MonitorCalibrationMessage.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>

namespace hb::test {

// A light meter on loopback: connects to the host, sends lines, and collects the patches the
// host sends it.
class TestMeter {
public:
    bool connectTo(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(5000);
    }

    void sendLine(const QByteArray &line)
    {
        m_socket.write(line + '\n');
        m_socket.flush();
    }

    void send(const MonitorCalibrationPayload &payload)
    {
        const auto frame = encodeFrame(payload);
        QVERIFY(frame);
        m_socket.write(*frame);
        m_socket.flush();
    }

    // The patches received so far, in order; lines that are not a showPatch fail the test.
    QList<MonitorCalibrationPatch> patches()
    {
        m_received += m_socket.readAll();
        qsizetype feed;
        while ((feed = m_received.indexOf('\n')) >= 0) {
            const QByteArray line = m_received.left(feed);
            m_received.remove(0, feed + 1);
            const auto envelope = decodeEnvelope(line);
            const auto payload =
                envelope ? decodePayload(envelope->type, envelope->payload) : envelope.error();
            if (!payload || !std::holds_alternative<MonitorCalibrationShowPatchPayload>(*payload)) {
                m_garbage = true;
                continue;
            }
            m_patches.append(std::get<MonitorCalibrationShowPatchPayload>(*payload).patch);
        }
        return m_patches;
    }
    bool receivedGarbage() const { return m_garbage; }

    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
    QList<MonitorCalibrationPatch> m_patches;
    bool m_garbage = false;
};

// A host on a free loopback port that reports `address` as the one meters connect to.
inline MonitorCalibrationHostNetworking::Options
loopbackOptions(std::optional<QString> address = {})
{
    MonitorCalibrationHostNetworking::Options options;
    options.port = 0;
    options.listenAddress = QHostAddress::LocalHost;
    options.localAddress = [address = std::move(address)] { return address; };
    return options;
}

inline MonitorCalibrationMeasurementPayload reading(double meanR)
{
    return {meanR, 0.5, 1, 0.0021, 1.0 / 60, 400};
}

inline MonitorCalibrationHelloPayload hello(const QString &deviceName)
{
    return {MonitorCalibrationRole::Meter, deviceName, QStringLiteral("1.0")};
}

} // namespace hb::test
