#include "FakeDadavezaRuzNetwork.h"

#include "dadavezaruz/DadavezaRuzDiscovery.h"

#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

class TestDadavezaRuzDiscovery : public QObject {
    Q_OBJECT

    FakeDiscovery m_fake;
    std::unique_ptr<DadavezaRuzDiscovery> m_discovery;
    QString m_status; // the last status line said

private Q_SLOTS:
    void init()
    {
        m_fake = {};
        m_discovery = std::make_unique<DadavezaRuzDiscovery>(m_fake);
        m_status = u"unchanged"_s;
        connect(m_discovery.get(), &DadavezaRuzDiscovery::statusReported, this,
                [this](const QString &text) { m_status = text; });
    }

    void browsingAndBlocking()
    {
        m_discovery->rescan(false);
        QCOMPARE(m_status, QString());
        QCOMPARE(m_fake.browsers.size(), 1);
        m_fake.browsers.last()->fail(ServiceDiscoveryError::Failed, u"busy"_s);
        QCOMPARE(m_status, u"Discovery error: busy"_s);
        m_discovery->startBrowsing(); // the browser is kept
        QCOMPARE(m_fake.browsers.size(), 1);

        m_fake.browsers.last()->fail(ServiceDiscoveryError::Failed, u"NoAuth (-65555)"_s);
        QVERIFY(m_discovery->isBlocked());
        QCOMPARE(m_status, DadavezaRuzDiscovery::blockedText());
        m_discovery->rescan(false);
        QCOMPARE(m_fake.browsers.size(), 1);
        m_discovery->rescan(true);
        QVERIFY(!m_discovery->isBlocked());
        QCOMPARE(m_fake.browsers.size(), 2);

        // A missing daemon blocks discovery too, and says why.
        m_fake.browsers.last()->fail(ServiceDiscoveryError::DaemonNotRunning,
                                     u"The DNS-SD daemon is not running"_s);
        QVERIFY(m_discovery->isBlocked());
        QCOMPARE(m_discovery->blockedReason(), u"The DNS-SD daemon is not running"_s);
    }

    void addressesFindTheirEntryById()
    {
        m_discovery->startBrowsing();
        FakeBrowser &browser = *m_fake.browsers.last();
        const ServiceInstance a{u"Huebench"_s, u"_huebench._tcp"_s, u"local."_s};
        const ServiceInstance b{u"Edit Bay"_s, u"_huebench._tcp"_s, u"local."_s};
        Q_EMIT browser.resultsChanged({a, b});
        QCOMPARE(m_discovery->hosts().size(), 2);
        QCOMPARE(m_fake.lookups.size(), 2);
        QPointer<FakeLookup> lookupOfA = m_fake.lookups[0];
        QPointer<FakeLookup> lookupOfB = m_fake.lookups[1];

        Q_EMIT lookupOfB->resolved({u"127.0.0.2"_s, 1});
        QCOMPARE(m_discovery->hosts()[1].resolvedIP, u"127.0.0.2"_s);
        QCOMPARE(m_discovery->hosts()[0].resolvedIP, std::nullopt);

        // New results replace the list; an answer for an entry no longer listed lands nowhere.
        Q_EMIT browser.resultsChanged({b});
        QCOMPARE(m_discovery->hosts().size(), 1);
        QCOMPARE(m_discovery->hosts()[0].resolvedIP, std::nullopt);
        if (lookupOfA)
            Q_EMIT lookupOfA->resolved({u"127.0.0.9"_s, 1});
        QCOMPARE(m_discovery->hosts()[0].resolvedIP, std::nullopt);
    }

    void probe_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::addColumn<ServiceDiscoveryError>("code");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("blocked");

        QTest::newRow("answers") << true << ServiceDiscoveryError{} << QString()
                                 << DadavezaRuzDiscovery::probeGrantedText() << false;
        QTest::newRow("no daemon") << false << ServiceDiscoveryError::DaemonNotRunning
                                   << u"The DNS-SD daemon is not running"_s
                                   << DadavezaRuzDiscovery::probeFinishedText() << true;
        QTest::newRow("denied") << false << ServiceDiscoveryError::Failed << u"Access denied"_s
                                << DadavezaRuzDiscovery::probeFinishedText() << true;
        QTest::newRow("other") << false << ServiceDiscoveryError::Failed << u"Timeout reached"_s
                               << DadavezaRuzDiscovery::probeFinishedText() << false;
    }

    void probe()
    {
        QFETCH(bool, answers);
        QFETCH(ServiceDiscoveryError, code);
        QFETCH(QString, description);

        m_discovery->probe();
        QCOMPARE(m_fake.checks.size(), 1);
        Q_EMIT m_fake.checks.last()->finished(answers,
                                              answers ? Error{} : Error::make(code, description));
        QTEST(m_status, "status");
        QTEST(m_discovery->isBlocked(), "blocked");
        QCOMPARE(m_fake.browsers.size(), answers ? 1 : 0); // a granted probe browses afresh
    }

    void probeWithoutAnswerEnds()
    {
        m_discovery->probe();
        QTRY_COMPARE(m_status, DadavezaRuzDiscovery::probeFinishedText());
        QVERIFY(!m_discovery->isBlocked());
    }
};

QTEST_GUILESS_MAIN(TestDadavezaRuzDiscovery)
#include "tst_DadavezaRuzDiscovery.moc"
