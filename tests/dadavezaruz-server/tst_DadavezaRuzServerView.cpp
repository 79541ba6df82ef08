#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerView.h"
#include "dadavezaruz-server/FormSection.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/keyboard/KeyEventPoster.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <ZXing/ReadBarcode.h>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

class SilentPoster : public KeyEventPoster {
public:
    bool isAvailable() const override { return true; }
    QString unavailableReason() const override { return {}; }
    void postKeyPress(quint16, quint64) override {}
};

QString decodeQrCode(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(grey.constBits(), grey.width(), grey.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(grey.bytesPerLine()));
    const ZXing::Result result =
        ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode));
    return result.isValid() ? QString::fromStdString(result.text()) : QString();
}

} // namespace

class TestDadavezaRuzServerView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void showsEverySection();
    void switchRunsTheServer();
    void failedStartTurnsTheSwitchBackOff();
    void controllersAreAnsweredFromTheList_data();
    void controllersAreAnsweredFromTheList();

private:
    void makeServer(quint16 port = 0);
    void openView();
    bool connectPad(QTcpSocket &pad, const QString &from = u"127.0.0.1"_s);
    QString text(const char *name) const
    {
        return m_view->findChild<QLabel *>(QLatin1StringView(name))->text();
    }
    QAbstractButton *runSwitch() const
    {
        return m_view->findChild<QAbstractButton *>(u"runSwitch"_s);
    }
    QPushButton *button(const char *list, const QString &label) const;

    std::optional<QString> m_localAddress;
    QStringList m_trustStore;
    std::unique_ptr<DadavezaRuzServer> m_server;
    std::unique_ptr<DadavezaRuzServerView> m_view;
};

void TestDadavezaRuzServerView::makeServer(quint16 port)
{
    DadavezaRuzServerPlatform platform;
    platform.makePoster = [] { return std::make_unique<SilentPoster>(); };
    platform.localAddress = [this] { return m_localAddress; };
    platform.listenAddress = QHostAddress::LocalHost;
    // 127.0.0.2 stands for a pad on the local network.
    platform.classifyPeer = [](const QHostAddress &peer) {
        return peer == QHostAddress(u"127.0.0.2"_s) ? ControllerAccess::Kind::LocalNetwork
                                                    : ControllerAccess::Kind::Loopback;
    };
    auto *trusted = new TrustedControllers(
        [this] { return m_trustStore; }, [this](const QStringList &list) { m_trustStore = list; });
    m_server = std::make_unique<DadavezaRuzServer>(std::move(platform), trusted, port);
}

void TestDadavezaRuzServerView::openView()
{
    m_view = std::make_unique<DadavezaRuzServerView>(*m_server, [this] { return m_localAddress; });
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

bool TestDadavezaRuzServerView::connectPad(QTcpSocket &pad, const QString &from)
{
    pad.bind(QHostAddress(from));
    pad.connectToHost(QHostAddress::LocalHost, m_server->port());
    return pad.waitForConnected(5000);
}

// The button `label` in the row of 127.0.0.2 in `list`, if there is one.
QPushButton *TestDadavezaRuzServerView::button(const char *list, const QString &label) const
{
    auto *rows = m_view->findChild<QWidget *>(QLatin1StringView(list));
    for (QPushButton *button : rows->findChildren<QPushButton *>()) {
        if (button->text() == label && button->parent()->objectName() == u"127.0.0.2"_s)
            return button;
    }
    return nullptr;
}

void TestDadavezaRuzServerView::init()
{
    m_localAddress.reset();
    m_trustStore.clear();
    makeServer();
}

void TestDadavezaRuzServerView::cleanup()
{
    m_view.reset();
    m_server.reset();
}

void TestDadavezaRuzServerView::showsEverySection()
{
    openView();
    QStringList titles;
    for (const FormSection *section : m_view->findChildren<FormSection *>())
        titles.append(section->title());
    QCOMPARE(titles, (QStringList{u"Server"_s, u"Status"_s, u"Controllers"_s, u"Requirements"_s}));
    QStringList labels;
    for (const QLabel *label : m_view->findChildren<QLabel *>())
        labels.append(label->text());
    QVERIFY(labels.contains(u"Port"_s) && labels.contains(u"Mac IP"_s));

    QCOMPARE(runSwitch()->text(), u"Run DadavezaRuz Server"_s);
    QVERIFY(!runSwitch()->isChecked());
    QCOMPARE(text("port"), u"0"_s);
    QCOMPARE(text("localAddress"), u"\u2014"_s);
    QVERIFY(!m_view->findChild<QWidget *>(u"pairing"_s)->isVisible()); // no address, no code
    QCOMPARE(text("pairingHint"), u"Scan with the pad to pair"_s);
    QCOMPARE(text("status"), u"Stopped"_s);
    QCOMPARE(text("lastCommand"), u"Last command: \u2014"_s);
    QCOMPARE(text("noApprovedControllers"), u"No approved controllers"_s);
    QCOMPARE(text("accessibilityRequirement"),
             u"Accessibility permission is required to send shortcuts to Resolve or OBS. Grant it "
             u"in System Settings \u2192 Privacy & Security \u2192 Accessibility."_s);
    QCOMPARE(text("linuxRequirement"),
             u"On Linux, keystrokes are sent through the X server (XTEST); Wayland sessions need "
             u"an X11 session or XWayland for the target application."_s);
}

void TestDadavezaRuzServerView::switchRunsTheServer()
{
    openView();
    m_localAddress = u"192.0.2.7"_s; // known only once the machine joins the network
    runSwitch()->setFocus();
    QTest::keyClick(runSwitch(), Qt::Key_Space);
    QTRY_VERIFY(m_server->isRunning());
    QVERIFY(runSwitch()->isChecked());
    const QString code = u"192.0.2.7:%1"_s.arg(m_server->port());
    QCOMPARE(text("port"), QString::number(m_server->port()));
    QCOMPARE(text("localAddress"), u"192.0.2.7"_s);
    QCOMPARE(text("status"), u"Server running \u2014 iPhone target: "_s + code);
    QCOMPARE(text("pairingCode"), code);
    QVERIFY(m_view->findChild<QWidget *>(u"pairing"_s)->isVisible());
    QCOMPARE(decodeQrCode(m_view->findChild<QLabel *>(u"pairingQrCode"_s)->pixmap().toImage()),
             code);

    QTcpSocket pad;
    QVERIFY(connectPad(pad));
    pad.write("{\"keyCombo\":\"cmd+s\",\"appTarget\":\"resolve\"}\n");
    QTRY_COMPARE(text("lastCommand"), u"Last command: cmd+s \u2192 resolve"_s);

    QTest::mouseClick(runSwitch(), Qt::LeftButton, {}, QPoint(8, runSwitch()->height() / 2));
    QVERIFY(!m_server->isRunning());
    QVERIFY(!runSwitch()->isChecked());
    QCOMPARE(text("status"), u"Stopped"_s);
}

void TestDadavezaRuzServerView::failedStartTurnsTheSwitchBackOff()
{
    QTcpServer squatter;
    QVERIFY(squatter.listen(QHostAddress::LocalHost, 0));
    makeServer(squatter.serverPort());
    openView();
    // The second failure repeats the first one's status: the switch must not wait for a change.
    for (int attempt = 0; attempt < 2; ++attempt) {
        runSwitch()->click();
        QVERIFY(runSwitch()->isChecked()); // starting
        QTRY_VERIFY(!runSwitch()->isChecked());
        QVERIFY(text("status").startsWith(u"Failed to start: "_s)); // and not stopped since
    }
}

void TestDadavezaRuzServerView::controllersAreAnsweredFromTheList_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("approved");

    QTest::newRow("allow") << u"Allow"_s << QStringList{u"127.0.0.2"_s};
    QTest::newRow("deny") << u"Deny"_s << QStringList{};
}

void TestDadavezaRuzServerView::controllersAreAnsweredFromTheList()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, approved);

    m_server->start();
    QTRY_VERIFY(m_server->isRunning());
    openView(); // on a server that already runs
    QVERIFY(runSwitch()->isChecked());
    QCOMPARE(text("status"), m_server->statusText());

    QTcpSocket pad;
    QVERIFY(connectPad(pad, u"127.0.0.2"_s));
    QTRY_VERIFY(button("pendingControllers", answer));
    QTest::mouseClick(button("pendingControllers", answer), Qt::LeftButton);
    QTRY_VERIFY(!button("pendingControllers", answer));
    QCOMPARE(m_trustStore, approved);
    QCOMPARE(m_view->findChild<QLabel *>(u"noApprovedControllers"_s)->isVisible(),
             approved.isEmpty());

    if (!approved.isEmpty()) {
        QPushButton *remove = button("approvedControllers", u"Remove"_s);
        QVERIFY(remove && remove->isVisible());
        QVERIFY(remove->hasFocus()); // the keyboard stays in the list when its row goes
        QTest::keyClick(remove, Qt::Key_Space);
        QTRY_VERIFY(m_view->findChild<QLabel *>(u"noApprovedControllers"_s)->isVisible());
        QVERIFY(!button("approvedControllers", u"Remove"_s));
        QVERIFY(m_trustStore.isEmpty());
    }

    m_view.reset();
    QTest::qWait(50);
    QVERIFY(m_server->isRunning()); // closing the screen leaves the server serving
    QTcpSocket another;
    QVERIFY(connectPad(another));
}

QTEST_MAIN(TestDadavezaRuzServerView)
#include "tst_DadavezaRuzServerView.moc"
