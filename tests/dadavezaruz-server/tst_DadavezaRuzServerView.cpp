#include "dadavezaruz-server/AddressRowList.h"
#include "dadavezaruz-server/DadavezaRuzControllerList.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerView.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/dnssd/ServicePublisher.h"
#include "platform/netif/AddressScope.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "dadavezaruz/PairingCode.h"

#include <ZXing/ReadBarcode.h>

using namespace hb;
using namespace Qt::StringLiterals;

using enum AddressScope::Kind; // ControllerAccess::Kind names the same enum

namespace {

// A DNS-SD daemon that is not there.
class BrokenPublisher : public ServicePublisher {
public:
    void publish(const QString &, const QString &, quint16) override {}
    void unpublish() override {}
    State state() const override { return State::Failed; }
    QString errorText() const override { return u"The DNS-SD daemon is not running"_s; }
};

} // namespace

class TestDadavezaRuzServerView : public QObject {
    Q_OBJECT

    std::optional<QString> m_address;
    std::unique_ptr<DadavezaRuzServer> m_server;
    std::unique_ptr<DadavezaRuzServerView> m_view;
    QAbstractButton *m_switch = nullptr;

    void makeServer(quint16 port, const DadavezaRuzServerOptions &options = {})
    {
        m_view.reset(); // before the server it watches
        m_address.reset();
        DadavezaRuzServerPlatform platform; // no key poster: the status says so
        platform.localAddress = [this] { return m_address; };
        platform.listenAddress = QHostAddress::LocalHost;
        platform.classifyPeer = [](const QHostAddress &peer) { // 127.0.0.2: a pad on the network
            return peer.isEqual(QHostAddress::LocalHost) ? Loopback : LocalNetwork;
        };
        m_server = std::make_unique<DadavezaRuzServer>(platform, new TrustedControllers({}, {}),
                                                       port, options);
        openView();
    }

    void openView()
    {
        m_view = std::make_unique<DadavezaRuzServerView>(*m_server, [this] { return m_address; });
        QVERIFY((m_switch = find<QAbstractButton>(u"Run DadavezaRuz Server"_s)));
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    // The label or button that shows exactly `text`, if there is one.
    template <typename T = QLabel> T *find(const QString &text) const
    {
        const QList<T *> all = m_view->findChildren<T *>();
        return all.value(std::ranges::find(all, text, &T::text) - all.begin()); // or nullptr
    }

    QString qrText() const
    {
        QImage qr = m_view->findChild<QLabel *>(u"pairingQrCode"_s)->pixmap().toImage();
        qr.convertTo(QImage::Format_Grayscale8);
        const ZXing::ImageView view(qr.constBits(), qr.width(), qr.height(),
                                    ZXing::ImageFormat::Lum, int(qr.bytesPerLine()));
        return QString::fromStdString(ZXing::ReadBarcode(view).text());
    }

private Q_SLOTS:
    void init() { makeServer(0); }

    // With the phone pad the QR code is its link, which the desktop pad reads as the same server.
    void phonePadLinkIsTheCode()
    {
        DadavezaRuzServerOptions options;
        options.webPadEnabled = true;
        options.webPadPort = 0;
        makeServer(0, options);
        m_address = u"127.0.0.1"_s;
        m_switch->click();
        QTRY_VERIFY(m_server->isWebPadRunning());
        const QString link = qrText();
        QVERIFY2(link.startsWith(u"http://127.0.0.1:%1/#k="_s.arg(m_server->webPadPort())),
                 qPrintable(link));
        QCOMPARE(parsePairingCode(link), (PairingCode{u"127.0.0.1"_s, m_server->port()}));
        QVERIFY(find(u"Served on port %1"_s.arg(m_server->webPadPort())));

        find<QAbstractButton>(u"New Pairing Link"_s)->click();
        QTRY_VERIFY(qrText() != link);
        QVERIFY(qrText().startsWith(link.section(u'#', 0, 0)));

        find<QAbstractButton>(u"Serve the Phone Pad"_s)->click();
        QTRY_COMPARE(qrText(), u"127.0.0.1:%1"_s.arg(m_server->port()));
        QVERIFY(find(u"Off"_s) && find(u"Scan with the pad to pair"_s));
    }

    void switchRunsTheServer()
    {
        QVERIFY(!find(u"Scan with the pad to pair"_s)->isVisible()); // no address, no code

        m_address = u"192.0.2.7"_s; // known only once the machine joins the network
        m_switch->click();
        QTRY_VERIFY(m_server->isRunning() && m_switch->isChecked());
        const QString code = u"192.0.2.7:%1"_s.arg(m_server->port());
        const QString status = u"Server running \u2014 pads connect to: "_s + code +
                               u" (keystrokes cannot be posted: no key poster)"_s;
        for (const QString &text : {QString::number(m_server->port()), *m_address, code, status})
            QVERIFY2(find(text), qPrintable(text));
        QImage qr = m_view->findChild<QLabel *>(u"pairingQrCode"_s)->pixmap().toImage();
        qr.convertTo(QImage::Format_Grayscale8);
        const ZXing::ImageView view(qr.constBits(), qr.width(), qr.height(),
                                    ZXing::ImageFormat::Lum, int(qr.bytesPerLine()));
        QCOMPARE(QString::fromStdString(ZXing::ReadBarcode(view).text()), code);

        QTcpSocket pad;
        pad.connectToHost(QHostAddress::LocalHost, m_server->port());
        pad.write("{\"keyCombo\":\"cmd+s\",\"appTarget\":\"resolve\"}\n");
        QTRY_VERIFY(find(u"Last command: cmd+s \u2192 resolve"_s));

        openView(); // closing the screen leaves the server serving; the next one shows it as it is
        QVERIFY(m_switch->isChecked() && find(u"Scan with the pad to pair"_s)->isVisible());

        QTest::mouseClick(m_switch, Qt::LeftButton);
        QVERIFY(!m_server->isRunning() && !m_switch->isChecked() && find(u"Stopped"_s));
    }

    void failedStartTurnsTheSwitchBackOff()
    {
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost));
        makeServer(squatter.serverPort());
        for (int attempt = 0; attempt < 2; ++attempt) { // the second repeats the first's status
            m_switch->click();
            QVERIFY(m_switch->isChecked()); // starting
            QTRY_VERIFY(!m_switch->isChecked());
            QVERIFY(m_server->statusText().startsWith(u"Failed to start: "_s)); // no stop() since
        }
    }

    // Each answer, from the list; `clicks` are "list/button" pairs on the row of 127.0.0.2.
    void controllersAreAnsweredFromTheList_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("approved");
        QTest::addColumn<QStringList>("refused");
        const QStringList pad{u"127.0.0.2"_s}, none;
        QTest::newRow("allow") << QStringList{u"pendingControllers/Allow"_s} << pad << none;
        QTest::newRow("deny") << QStringList{u"pendingControllers/Deny"_s} << none << pad;
        QTest::newRow("allow, remove")
            << QStringList{u"pendingControllers/Allow"_s, u"approvedControllers/Remove"_s} << none
            << none;
        QTest::newRow("allow, remove, undo")
            << QStringList{u"pendingControllers/Allow"_s, u"approvedControllers/Remove"_s,
                           u"undo"_s}
            << pad << none;
        QTest::newRow("deny, then allow after all")
            << QStringList{u"pendingControllers/Deny"_s, u"refusedControllers/Allow"_s} << pad
            << none;
        QTest::newRow("deny, then ask again")
            << QStringList{u"pendingControllers/Deny"_s, u"refusedControllers/Ask Again"_s} << none
            << none;
    }

    void controllersAreAnsweredFromTheList()
    {
        QFETCH(QStringList, clicks);
        m_switch->click();
        QTRY_VERIFY(m_server->isRunning());
        QTcpSocket pad;
        pad.bind(QHostAddress(u"127.0.0.2"_s));
        pad.connectToHost(QHostAddress::LocalHost, m_server->port());
        for (const QString &click : clicks) {
            if (click == u"undo"_s) { // the notice's Undo
                QTest::mouseClick(m_view->findChild<QAbstractButton *>(u"undoNoticeUndo"_s),
                                  Qt::LeftButton);
                continue;
            }
            const auto button = [&]() -> QAbstractButton * {
                auto *list = m_view->findChild<AddressRowList *>(click.section(u'/', 0, 0));
                QWidget *row = list ? list->row(u"127.0.0.2"_s) : nullptr;
                const auto buttons =
                    row ? row->findChildren<QAbstractButton *>() : QList<QAbstractButton *>();
                const auto found =
                    std::ranges::find(buttons, click.section(u'/', 1), &QAbstractButton::text);
                return found == buttons.end() || !(*found)->isVisibleTo(m_view.get()) ? nullptr
                                                                                      : *found;
            };
            QTRY_VERIFY(button());
            QAbstractButton *clicked = button();
            clicked->setFocus();
            QTest::mouseClick(clicked, Qt::LeftButton);
            QTRY_VERIFY(!button());
            QVERIFY(m_view->findChild<DadavezaRuzControllerList *>()->isAncestorOf(
                QApplication::focusWidget())); // the keyboard stays in the list when its row goes
        }
        QTEST(m_server->trustedControllers().addresses(), "approved");
        QTEST(m_server->refusedControllers(), "refused");
        QCOMPARE(find(u"No approved controllers"_s)->isVisible(),
                 m_server->trustedControllers().addresses().isEmpty());
    }

    // Rows stay the same widgets while others come and go, and what was given up is counted.
    void theListFollowsAFloodRowByRow()
    {
        m_switch->click();
        QTRY_VERIFY(m_server->isRunning());
        auto *pending = m_view->findChild<AddressRowList *>(u"pendingControllers"_s);
        std::vector<std::unique_ptr<QTcpSocket>> pads;
        QPointer<QWidget> first;
        for (int n = 2; n <= 12; ++n) {
            pads.push_back(std::make_unique<QTcpSocket>());
            pads.back()->bind(QHostAddress(u"127.0.0.%1"_s.arg(n)));
            pads.back()->connectToHost(QHostAddress::LocalHost, m_server->port());
            QTRY_VERIFY(pending->row(u"127.0.0.%1"_s.arg(n)));
            if (n == 5)
                first = pending->row(u"127.0.0.5"_s);
        }
        QCOMPARE(pending->addresses().size(), 8);
        QCOMPARE(pending->row(u"127.0.0.5"_s), first.data());
        QVERIFY(find(u"3 more requests were given up: too many controllers were waiting"_s));
    }

    void showsWhatItRefusedAndWhyItIsNotAdvertised()
    {
        m_view.reset();
        DadavezaRuzServerPlatform platform;
        platform.listenAddress = QHostAddress::LocalHost;
        platform.makePublisher = [] { return std::make_unique<BrokenPublisher>(); };
        m_server = std::make_unique<DadavezaRuzServer>(platform, new TrustedControllers({}, {}), 0);
        openView();
        m_switch->click();
        const QString problem = u"Not advertised on the local network: The DNS-SD daemon is not "
                                u"running. Pads can still connect by address or pairing code."_s;
        QTRY_VERIFY(find(problem) && find(problem)->isVisible());

        QTcpSocket browser;
        browser.connectToHost(QHostAddress::LocalHost, m_server->port());
        browser.write("POST / HTTP/1.1\r\n\r\n");
        auto *log = m_view->findChild<QPlainTextEdit *>(u"activityLog"_s);
        QTRY_VERIFY(log->toPlainText().contains(u"Refused a web request from 127.0.0.1"_s));
        QVERIFY(log->toPlainText().contains(problem));
    }
};

QTEST_MAIN(TestDadavezaRuzServerView)
#include "tst_DadavezaRuzServerView.moc"
