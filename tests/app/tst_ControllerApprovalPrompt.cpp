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

private Q_SLOTS:
    void asksAndPassesTheAnswerOn()
    {
        DadavezaRuzServerPlatform platform;
        platform.listenAddress = QHostAddress::LocalHost;
        platform.classifyPeer = [](const QHostAddress &peer) {
            return peer.isEqual(QHostAddress::LocalHost) ? ControllerAccess::Kind::Loopback
                                                         : ControllerAccess::Kind::LocalNetwork;
        };
        DadavezaRuzServer server(std::move(platform), new TrustedControllers({}, {}), 0);
        QWidget window;
        window.show();
        ControllerApprovalPrompt prompt(server, &window);
        server.start();
        QTRY_VERIFY(server.isRunning());

        QList<std::shared_ptr<QTcpSocket>> controllers;
        for (const char *from : {"127.0.0.2", "127.0.0.3"}) {
            auto socket = std::make_shared<QTcpSocket>();
            socket->bind(QHostAddress(QString::fromLatin1(from)));
            socket->connectToHost(QHostAddress::LocalHost, server.port());
            QVERIFY(socket->waitForConnected(5000));
            controllers.append(socket);
        }
        QTRY_COMPARE(server.pendingApprovals().size(), 2);

        auto box = [&window] { return window.findChild<QMessageBox *>(u"controllerApprovalPrompt"_s); };
        QTRY_VERIFY(box() && box()->isVisible());
        QCOMPARE(box()->text(), ControllerApprovalPrompt::question(u"127.0.0.2"_s));
        box()->buttons().constFirst()->click(); // "Allow"
        QTRY_COMPARE(server.trustedControllers().addresses(), QStringList{u"127.0.0.2"_s});

        QTRY_VERIFY(box() && box()->text() == ControllerApprovalPrompt::question(u"127.0.0.3"_s));
        server.decline(u"127.0.0.3"_s); // answered on the server screen instead
        QTRY_VERIFY(!box() || !box()->isVisible());
        QCOMPARE(server.trustedControllers().addresses(), QStringList{u"127.0.0.2"_s});
    }
};

QTEST_MAIN(TestControllerApprovalPrompt)
#include "tst_ControllerApprovalPrompt.moc"
