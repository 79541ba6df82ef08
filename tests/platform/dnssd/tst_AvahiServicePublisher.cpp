#include "platform/dnssd/AvahiServicePublisher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace hb;
using namespace Qt::StringLiterals;
using State = ServicePublisher::State;

namespace {

const QString kType = u"_huebench._tcp"_s;
const char kNeedsDaemon[] = "needs the confined Avahi daemon of scripts/test-env (HB_TEST_AVAHI)";

struct Resolved {
    QString name; // as avahi-browse -p writes it: test names need no escaping, " #2" would
    QString address;
    QString txt;
};
using Listing = QMap<int, Resolved>; // by port; each test publishes on ports of its own

// What avahi-browse, a client we did not write, resolves; again for ~10 s until `done` holds.
Listing browseUntil(const std::function<bool(const Listing &)> &done)
{
    const QDeadlineTimer deadline(10000);
    for (;;) {
        QProcess browser;
        browser.start(u"avahi-browse"_s, {u"-rtp"_s, kType});
        browser.waitForFinished(5000);
        Listing seen;
        for (const QByteArray &line : browser.readAllStandardOutput().split('\n')) {
            // +|-|=;iface;proto;name;type;domain[;host;address;port;txt]
            const QList<QByteArray> f = line.split(';');
            const QString name = QString::fromUtf8(f.value(3));
            if (f.value(0) == "-")
                seen.removeIf([&](const auto &entry) { return entry.value().name == name; });
            else if (f.value(0) == "=" && f.size() >= 10)
                seen.insert(f[8].toInt(), {name, QString::fromUtf8(f[7]), QString::fromUtf8(f[9])});
        }
        if (done(seen) || deadline.hasExpired())
            return seen;
        QTest::qWait(200);
    }
}

const QString kName = u"HuebenchTest-"_s + QString::number(QCoreApplication::applicationPid());

} // namespace

class TestAvahiServicePublisher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void advertisesRepublishesAndWithdraws();
    void collidingNamesAreBothPublished();
    void reportsMissingDaemon_data();
    void reportsMissingDaemon();
};

void TestAvahiServicePublisher::advertisesRepublishesAndWithdraws()
{
    if (!qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
        QSKIP(kNeedsDaemon);
    AvahiServicePublisher publisher;
    // The second publish replaces the first under the same name: it must not collide with it.
    for (const int port : {47811, 47812}) {
        publisher.publish(kName, kType, quint16(port));
        QTRY_COMPARE_WITH_TIMEOUT(publisher.state(), State::Established, 10000);
        const Listing seen = browseUntil([&](const Listing &l) { return l.contains(port); });
        QCOMPARE(seen.value(port).name, kName);
        QCOMPARE(seen.value(port).address, u"127.0.0.1"_s);
        QCOMPARE(seen.value(port).txt, QString());
    }
    publisher.unpublish();
    QCOMPARE(publisher.state(), State::Idle);
    QVERIFY(!browseUntil([](const Listing &l) { return !l.contains(47812); }).contains(47812));
}

void TestAvahiServicePublisher::collidingNamesAreBothPublished()
{
    if (!qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
        QSKIP(kNeedsDaemon);
    AvahiServicePublisher first;
    AvahiServicePublisher second;
    first.publish(kName, kType, 47821);
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), State::Established, 10000);
    second.publish(kName, kType, 47822);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), State::Established, 10000);

    const Listing seen =
        browseUntil([](const Listing &l) { return l.contains(47821) && l.contains(47822); });
    QCOMPARE(seen.value(47821).name, kName);
    const QString renamed = seen.value(47822).name;
    QVERIFY2(renamed != kName && renamed.startsWith(kName), qPrintable(renamed));
}

void TestAvahiServicePublisher::reportsMissingDaemon_data()
{
    QTest::addColumn<bool>("withBus");
    QTest::newRow("no system bus") << false;
    QTest::newRow("bus without daemon") << true;
}

void TestAvahiServicePublisher::reportsMissingDaemon()
{
    QFETCH(bool, withBus);
    if (qEnvironmentVariableIsSet("HB_TEST_DNSSD_CHILD")) { // in the child started below
        AvahiServicePublisher publisher;
        publisher.publish(u"HuebenchTest"_s, kType, 47831);
        QTRY_COMPARE(publisher.state(), State::Failed);
        QCOMPARE(publisher.errorText(), u"The DNS-SD daemon is not running"_s);
        return;
    }
    // libdbus reads the bus address once per process: the check runs in a child process.
    QTemporaryDir dir;
    QString address = u"unix:path="_s + dir.filePath(u"absent"_s);
    QProcess bus; // a private bus nobody serves Avahi on; killed on destruction
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
    child.start(QCoreApplication::applicationFilePath(),
                {u"reportsMissingDaemon:"_s + QString::fromUtf8(QTest::currentDataTag())});
    QVERIFY(child.waitForFinished(30000));
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAll().constData());
    bus.terminate();
    bus.waitForFinished();
}

QTEST_GUILESS_MAIN(TestAvahiServicePublisher)
#include "tst_AvahiServicePublisher.moc"
