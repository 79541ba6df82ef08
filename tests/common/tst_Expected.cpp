#include "common/Expected.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>

#include <cstring>
#include <string_view>
#include <utility>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// Given as the first argument, makes this program misuse an Expected in the way the second
// argument names; the test runs it as a child and watches it die.
constexpr char kMisuse[] = "--misuse";

int misuse(std::string_view access)
{
    Expected<QString> failed = Error{u"test"_s, 7, u"nothing to read"_s};
    if (access == "value")
        return int(failed.value().size());
    if (access == "star")
        return int((*failed).size());
    if (access == "arrow")
        return int(failed->size());
    if (access == "moved")
        return int(std::move(failed).value().size());
    const Expected<QString> read = u"text"_s;
    if (access == "error")
        return read.error().code;
    return 0;
}

} // namespace

class TestExpected : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void misuseEndsTheProcess_data()
    {
        QTest::addColumn<QString>("access");
        QTest::addColumn<QByteArray>("message");
        const QByteArray valueOfError =
            "hb::Expected::value() called on an error: test 7: nothing to read\n";
        for (const char *access : {"value", "star", "arrow", "moved"})
            QTest::newRow(access) << QString::fromLatin1(access) << valueOfError;
        QTest::newRow("error of a value")
            << u"error"_s << QByteArray("hb::Expected::error() called on a value\n");
    }

    void misuseEndsTheProcess()
    {
        QFETCH(QString, access);
        QFETCH(QByteArray, message);
        QProcess child;
        child.setChildProcessModifier([] {
            const rlimit noCore{0, 0}; // an expected abort leaves no core file behind
            setrlimit(RLIMIT_CORE, &noCore);
        });
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kMisuse), access});
        QVERIFY(child.waitForFinished(10'000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QCOMPARE(child.readAllStandardError(), message);
    }
};

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], kMisuse) == 0)
        return misuse(argv[2]);
    QCoreApplication application(argc, argv);
    TestExpected test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Expected.moc"
