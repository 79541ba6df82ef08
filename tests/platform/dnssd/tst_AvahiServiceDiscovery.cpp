#include "platform/dnssd/AvahiServiceDiscovery.h"
#include "platform/dnssd/AvahiServicePublisher.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

const QString kName = u"Huebench"_s;
const QString kType = u"_huebench._tcp"_s;
constexpr quint16 kPort = 47841;
constexpr int kTimeout = 10000;

// Publishes kName and waits until the daemon has it.
bool publish(AvahiServicePublisher &publisher)
{
    publisher.publish(kName, kType, kPort);
    return QTest::qWaitFor(
        [&] { return publisher.state() == ServicePublisher::State::Established; }, kTimeout);
}

const ServiceInstance kPublished{kName, kType, u"local"_s};

QList<ServiceInstance> latest(const QSignalSpy &resultsChanged)
{
    return resultsChanged.isEmpty() ? QList<ServiceInstance>()
                                    : resultsChanged.last().at(0).value<QList<ServiceInstance>>();
}

Error errorOf(const QSignalSpy &spy, int argument = 0)
{
    return spy.isEmpty() ? Error() : spy.first().at(argument).value<Error>();
}

// The instance names, by port, that avahi-browse (a client we did not write) resolves now.
QMap<int, QString> browseWithAvahi()
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

class TestAvahiServiceDiscovery : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (qstrcmp(QTest::currentTestFunction(), "missingDaemon") != 0 &&
            !qEnvironmentVariableIsSet("HB_TEST_AVAHI"))
            QSKIP("Needs the confined Avahi daemon of scripts/test-env (HB_TEST_AVAHI)");
    }

    void browseFollowsPublishAndUnpublish()
    {
        AvahiServiceDiscovery discovery;
        const auto browser = discovery.browse(kType, u"local"_s);
        QSignalSpy ready(browser.get(), &ServiceBrowser::ready);
        QSignalSpy results(browser.get(), &ServiceBrowser::resultsChanged);
        QSignalSpy failed(browser.get(), &ServiceBrowser::failed);
        QTRY_COMPARE_WITH_TIMEOUT(ready.size(), 1, kTimeout);

        auto publisher = std::make_unique<AvahiServicePublisher>();
        QVERIFY(publish(*publisher));
        QTRY_COMPARE_WITH_TIMEOUT(latest(results), QList{kPublished}, kTimeout);
        const qsizetype changes = results.size();
        publisher.reset();
        QTRY_VERIFY_WITH_TIMEOUT(results.size() > changes && latest(results).isEmpty(), kTimeout);
        QCOMPARE(ready.size(), 1);
        QVERIFY(failed.isEmpty());
    }

    // Advertising on loopback and withdrawal are proven through the server by tst_ServerEndToEnd.
    void collidingNamesStayDistinctAcrossARepublish()
    {
        const QString name =
            u"HuebenchTest-"_s + QString::number(QCoreApplication::applicationPid());
        AvahiServicePublisher first, second;
        first.publish(name, kType, 47821);
        QTRY_COMPARE_WITH_TIMEOUT(first.state(), ServicePublisher::State::Established, kTimeout);
        second.publish(name, kType, 47822); // taken: published under Avahi's alternative
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), ServicePublisher::State::Established, kTimeout);
        first.publish(name, kType, 47823); // replaces its own entry, so must not collide with it
        QTRY_COMPARE_WITH_TIMEOUT(first.state(), ServicePublisher::State::Established, kTimeout);

        QMap<int, QString> seen;
        QTRY_VERIFY_WITH_TIMEOUT((seen = browseWithAvahi()).contains(47822) && seen.contains(47823),
                                 kTimeout);
        QCOMPARE(seen.value(47823), name);
        const QString renamed = seen.value(47822);
        QVERIFY2(renamed != name && renamed.startsWith(name), qPrintable(renamed));
    }

    void resolve_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("answer"); // a ServiceAddress, or the ServiceDiscoveryError
        QTest::newRow("published")
            << kName << QVariant::fromValue(ServiceAddress{u"127.0.0.1"_s, kPort});
        QTest::newRow("absent") << u"Nobody"_s
                                << QVariant::fromValue(ServiceDiscoveryError::NotFound);
    }

    void resolve()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, answer);
        AvahiServicePublisher publisher;
        QVERIFY(publish(publisher));

        AvahiServiceDiscovery discovery;
        const auto lookup = discovery.resolve({name, kType, u"local"_s});
        QSignalSpy resolved(lookup.get(), &ServiceLookup::resolved);
        QSignalSpy failed(lookup.get(), &ServiceLookup::failed);
        QTRY_COMPARE_WITH_TIMEOUT(resolved.size() + failed.size(), 1, 2 * kTimeout);
        if (answer.canConvert<ServiceAddress>()) {
            QCOMPARE(errorOf(failed), Error());
            QCOMPARE(resolved.first().at(0).value<ServiceAddress>(),
                     answer.value<ServiceAddress>());
        } else {
            const Error error = errorOf(failed);
            QVERIFY2(error.is(answer.value<ServiceDiscoveryError>()),
                     qPrintable(error.description));
        }
        QTest::qWait(200); // one answer only
        QCOMPARE(resolved.size() + failed.size(), 1);
    }

    void checkDaemonAnswers()
    {
        AvahiServiceDiscovery discovery;
        const auto check = discovery.checkDaemon();
        QSignalSpy finished(check.get(), &ServiceDaemonCheck::finished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, kTimeout);
        QCOMPARE(finished.first().at(0).toBool(), true);
        QCOMPARE(errorOf(finished, 1), Error());
    }

    void cancelledJobsStaySilent()
    {
        AvahiServicePublisher publisher;
        QVERIFY(publish(publisher));
        AvahiServiceDiscovery discovery;
        const auto browser = discovery.browse(kType, u"local"_s);
        const auto lookup = discovery.resolve(kPublished);
        QSignalSpy browserSignals(browser.get(), &ServiceBrowser::resultsChanged);
        QSignalSpy browserReady(browser.get(), &ServiceBrowser::ready);
        QSignalSpy lookupSignals(lookup.get(), &ServiceLookup::resolved);
        browser->cancel();
        lookup->cancel();

        // Jobs left running show when the cancelled ones would have answered.
        const auto witness = discovery.browse(kType, u"local"_s);
        const auto witnessLookup = discovery.resolve(kPublished);
        QSignalSpy witnessResults(witness.get(), &ServiceBrowser::resultsChanged);
        QSignalSpy witnessResolved(witnessLookup.get(), &ServiceLookup::resolved);
        QTRY_VERIFY_WITH_TIMEOUT(!witnessResults.isEmpty() && !witnessResolved.isEmpty(), kTimeout);
        QTest::qWait(200);
        QVERIFY(browserSignals.isEmpty() && browserReady.isEmpty() && lookupSignals.isEmpty());
    }

    void missingDaemon_data()
    {
        QTest::addColumn<bool>("withBus");
        QTest::newRow("no system bus") << false;
        QTest::newRow("bus without daemon") << true;
    }

    void missingDaemon()
    {
        if (qEnvironmentVariableIsSet("HB_TEST_DNSSD_CHILD")) { // in the child started below
            AvahiServiceDiscovery discovery;
            const auto browser = discovery.browse(kType, u"local"_s);
            const auto lookup = discovery.resolve(kPublished);
            const auto check = discovery.checkDaemon();
            AvahiServicePublisher publisher;
            publisher.publish(kName, kType, kPort);
            QSignalSpy browseFailed(browser.get(), &ServiceBrowser::failed);
            QSignalSpy lookupFailed(lookup.get(), &ServiceLookup::failed);
            QSignalSpy checked(check.get(), &ServiceDaemonCheck::finished);
            QTRY_VERIFY_WITH_TIMEOUT(!browseFailed.isEmpty() && !lookupFailed.isEmpty() &&
                                         !checked.isEmpty() &&
                                         publisher.state() == ServicePublisher::State::Failed,
                                     kTimeout);

            const Error expected = Error::make(ServiceDiscoveryError::DaemonNotRunning,
                                               u"The DNS-SD daemon is not running"_s);
            QCOMPARE(errorOf(browseFailed), expected);
            QCOMPARE(errorOf(lookupFailed), expected);
            QCOMPARE(checked.first().at(0).toBool(), false);
            QCOMPARE(errorOf(checked, 1), expected);
            QCOMPARE(publisher.errorText(), expected.description);
            return;
        }
        // libdbus reads the system bus address once per process, so the jobs run in a child.
        QFETCH(bool, withBus);
        QTemporaryDir dir;
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
        child.start(QCoreApplication::applicationFilePath(),
                    {u"missingDaemon:"_s + QString::fromUtf8(QTest::currentDataTag())});
        QVERIFY(child.waitForFinished(3 * kTimeout));
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(address + u": "_s + QString::fromUtf8(child.readAll())));
        bus.terminate();
        bus.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestAvahiServiceDiscovery)
#include "tst_AvahiServiceDiscovery.moc"
