#include "platform/dnssd/AvahiServicePublisher.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

const QString kType = u"_huebench._tcp"_s;
const QString kName = u"HuebenchTest-"_s + QString::number(QCoreApplication::applicationPid());

// The instance names, by port, that avahi-browse (a client we did not write) resolves now.
QMap<int, QString> browse()
{
    QProcess browser;
    browser.start(u"avahi-browse"_s, {u"-rtp"_s, kType});
    browser.waitForFinished(5000);
    QMap<int, QString> seen;
    for (const QByteArray &line : browser.readAllStandardOutput().split('\n')) {
        // =;iface;proto;name;type;domain;host;address;port;txt for each resolved service, the
        // name escaped (" #2" as "\032\0352"; the test names themselves need no escaping)
        const QList<QByteArray> f = line.split(';');
        if (f.value(0) == "=" && f.size() >= 10)
            seen.insert(f[8].toInt(), QString::fromUtf8(f[3]));
    }
    return seen;
}

} // namespace

// Advertising on loopback and withdrawal are proven through the server by tst_ServerEndToEnd.
class TestAvahiServicePublisher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void collidingNamesStayDistinctAcrossARepublish()
    {
        if (!qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
            QSKIP("Needs the confined Avahi daemon of scripts/test-env (HB_TEST_AVAHI)");
        AvahiServicePublisher first, second;
        first.publish(kName, kType, 47821);
        QTRY_COMPARE_WITH_TIMEOUT(first.state(), ServicePublisher::State::Established, 10000);
        second.publish(kName, kType, 47822); // taken: published under Avahi's alternative
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), ServicePublisher::State::Established, 10000);
        first.publish(kName, kType, 47823); // replaces its own entry, so must not collide with it
        QTRY_COMPARE_WITH_TIMEOUT(first.state(), ServicePublisher::State::Established, 10000);

        QMap<int, QString> seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen = browse()).contains(47822) && seen.contains(47823), 10000);
        QCOMPARE(seen.value(47823), kName);
        const QString renamed = seen.value(47822);
        QVERIFY2(renamed != kName && renamed.startsWith(kName), qPrintable(renamed));
    }

    void reportsMissingDaemon()
    {
        if (qEnvironmentVariableIsSet("HB_TEST_DNSSD_CHILD")) { // in the child started below
            AvahiServicePublisher publisher;
            publisher.publish(u"HuebenchTest"_s, kType, 47831);
            QTRY_COMPARE(publisher.state(), ServicePublisher::State::Failed);
            QCOMPARE(publisher.errorText(), u"The DNS-SD daemon is not running"_s);
            return;
        }
        // libdbus reads the bus address once per process, so each case runs in a child process:
        // first with no system bus at all, then on a private bus nobody serves Avahi on.
        QTemporaryDir dir;
        for (const bool withBus : {false, true}) {
            QString address = u"unix:path="_s + dir.filePath(u"absent"_s);
            QProcess bus; // killed on destruction too
            if (withBus) {
                bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s,
                                             u"--address=unix:path="_s + dir.filePath(u"bus"_s)});
                QVERIFY2(bus.waitForReadyRead(5000), "dbus-daemon did not start");
                address = QString::fromUtf8(bus.readLine().trimmed());
            }
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"HB_TEST_DNSSD_CHILD"_s, u"1"_s);
            environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, address);
            QProcess child;
            child.setProcessEnvironment(environment);
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(QCoreApplication::applicationFilePath(), {u"reportsMissingDaemon"_s});
            QVERIFY(child.waitForFinished(30000));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     qPrintable(address + u": "_s + QString::fromUtf8(child.readAll())));
            bus.terminate();
            bus.waitForFinished();
        }
    }
};

QTEST_GUILESS_MAIN(TestAvahiServicePublisher)
#include "tst_AvahiServicePublisher.moc"
