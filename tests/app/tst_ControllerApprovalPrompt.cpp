#include "app/ControllerApprovalPrompt.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/TrustedControllers.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTcpSocket>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

// A controller from the local network (here: a second loopback address standing for one) makes
// the app ask; the answer reaches the server, and an answer given elsewhere closes the question.
class TestControllerApprovalPrompt : public QObject {
    Q_OBJECT

    std::unique_ptr<DadavezaRuzServer> m_server;
    std::unique_ptr<QWidget> m_window;
    QList<std::shared_ptr<QTcpSocket>> m_controllers;

    QMessageBox *box() const
    {
        return m_window->findChild<QMessageBox *>(u"controllerApprovalPrompt"_s);
    }

    QAbstractButton *allowButton() const
    {
        const QList<QAbstractButton *> buttons = box()->buttons();
        return *std::ranges::find(buttons, u"Allow"_s, &QAbstractButton::text);
    }

    // A controller at 127.0.0.N, which stands for one on the local network.
    void connectFrom(int n)
    {
        auto socket = std::make_shared<QTcpSocket>();
        socket->bind(QHostAddress(u"127.0.0.%1"_s.arg(n)));
        socket->connectToHost(QHostAddress::LocalHost, m_server->port());
        QVERIFY(socket->waitForConnected(5000));
        m_controllers.append(socket);
    }

private Q_SLOTS:
    void init()
    {
        DadavezaRuzServerPlatform platform;
        platform.listenAddress = QHostAddress::LocalHost;
        platform.classifyPeer = [](const QHostAddress &peer) {
            return peer.isEqual(QHostAddress::LocalHost) ? ControllerAccess::Kind::Loopback
                                                         : ControllerAccess::Kind::LocalNetwork;
        };
        m_server = std::make_unique<DadavezaRuzServer>(std::move(platform),
                                                       new TrustedControllers({}, {}), 0);
        m_window = std::make_unique<QWidget>();
        m_window->show();
        new ControllerApprovalPrompt(*m_server, m_window.get());
        m_server->start();
        QTRY_VERIFY(m_server->isRunning());
    }

    void cleanup()
    {
        m_controllers.clear();
        m_window.reset();
        m_server.reset();
    }

    void asksAndPassesTheAnswerOn()
    {
        connectFrom(2);
        connectFrom(3);
        QTRY_COMPARE(m_server->pendingApprovals().size(), 2);

        QTRY_VERIFY(box() && box()->isVisible());
        QCOMPARE(box()->text(), ControllerApprovalPrompt::question(u"127.0.0.2"_s));
        QVERIFY(!box()->isModal()); // the window, and the server's switch, stay usable
        QTRY_VERIFY(allowButton()->isEnabled());
        allowButton()->click();
        QTRY_COMPARE(m_server->trustedControllers().addresses(), QStringList{u"127.0.0.2"_s});

        QTRY_VERIFY(box() && box()->text() == ControllerApprovalPrompt::question(u"127.0.0.3"_s));
        m_server->decline(u"127.0.0.3"_s); // answered on the server screen instead
        QTRY_VERIFY(!box() || !box()->isVisible());
        QCOMPARE(m_server->trustedControllers().addresses(), QStringList{u"127.0.0.2"_s});
    }

    // Every way of dismissing the question but a click on "Allow" refuses.
    void dismissingRefuses_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("closing the window") << 0;
    }

    void dismissingRefuses()
    {
        QFETCH(int, how);
        connectFrom(4);
        QTRY_VERIFY(box() && box()->isVisible());
        if (how == 0)
            box()->close();
        else
            QTest::keyClick(box(), Qt::Key(how));
        QTRY_COMPARE(m_server->refusedControllers(), QStringList{u"127.0.0.4"_s});
        QCOMPARE(m_server->trustedControllers().addresses(), QStringList());
    }

    // The question moves on to the next controller in the same window, and a click on "Allow"
    // that was meant for the one before does not count for the next.
    void aControllerThatLeavesIsNoLongerAskedAbout()
    {
        connectFrom(5);
        connectFrom(6);
        QTRY_VERIFY(box() && box()->text() == ControllerApprovalPrompt::question(u"127.0.0.5"_s));
        QTRY_VERIFY(allowButton()->isEnabled());
        QMessageBox *asking = box();
        m_controllers.takeFirst()->abort();
        QTRY_COMPARE(box()->text(), ControllerApprovalPrompt::question(u"127.0.0.6"_s));
        QCOMPARE(box(), asking);
        QVERIFY(!allowButton()->isEnabled());

        m_controllers.takeFirst()->abort();
        QTRY_VERIFY(!box() || !box()->isVisible());
        QCOMPARE(m_server->refusedControllers(), QStringList());
        QCOMPARE(m_server->trustedControllers().addresses(), QStringList());
    }
};

QTEST_MAIN(TestControllerApprovalPrompt)
#include "tst_ControllerApprovalPrompt.moc"
