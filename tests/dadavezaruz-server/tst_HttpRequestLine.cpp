#include "dadavezaruz-server/HttpRequestLine.h"

#include <QTest>

class TestHttpRequestLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recognisesRequestLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("isRequest");

        QTest::newRow("POST") << QByteArray("POST / HTTP/1.1\r") << true;
        QTest::newRow("GET, no CR") << QByteArray("GET /index.html?x=1 HTTP/1.0") << true;
        QTest::newRow("WebSocket upgrade") << QByteArray("GET /chat HTTP/1.1\r") << true;
        QTest::newRow("HTTP/2 preface") << QByteArray("PRI * HTTP/2.0\r") << true;
        QTest::newRow("major version only") << QByteArray("GET / HTTP/2") << true;
        QTest::newRow("odd method token") << QByteArray("M-SEARCH * HTTP/1.1\r") << true;
        QTest::newRow("spaces in target") << QByteArray("GET /a b HTTP/1.1") << true;

        QTest::newRow("a pad's line")
            << QByteArray(R"({"keyCombo":"h","appTarget":"resolve"})") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("CR only") << QByteArray("\r") << false;
        QTest::newRow("no target") << QByteArray("GET  HTTP/1.1") << false;
        QTest::newRow("no method") << QByteArray(" / HTTP/1.1") << false;
        QTest::newRow("no version") << QByteArray("GET / HTTP/") << false;
        QTest::newRow("lower-case protocol") << QByteArray("GET / http/1.1") << false;
        QTest::newRow("JSON mentioning HTTP")
            << QByteArray(R"({"keyCombo":"GET / HTTP/1.1"})") << false;
        QTest::newRow("version only") << QByteArray("HTTP/1.1") << false;
    }

    void recognisesRequestLines()
    {
        QFETCH(QByteArray, line);
        QTEST(hb::isHttpRequestLine(line), "isRequest");
    }
};

QTEST_APPLESS_MAIN(TestHttpRequestLine)
#include "tst_HttpRequestLine.moc"
