#include "dadavezaruz/AddPageSheet.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestAddPageSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addNeedsMoreThanSpaces_data();
    void addNeedsMoreThanSpaces();
};

void TestAddPageSheet::addNeedsMoreThanSpaces_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("spaces") << u"   "_s << false;
    QTest::newRow("padded") << u" x "_s << true;
    QTest::newRow("name") << u"Fusion"_s << true;
}

// Return in the name field adds when "Add" is enabled, and the name goes on as typed.
void TestAddPageSheet::addNeedsMoreThanSpaces()
{
    QFETCH(QString, typed);
    QFETCH(bool, enabled);
    AddPageSheet sheet;
    sheet.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    QSignalSpy chosen(&sheet, &AddPageSheet::nameChosen);
    auto *field = sheet.findChild<QLineEdit *>(u"pageName"_s);
    QVERIFY(field);
    QTest::keyClicks(field, typed);
    QCOMPARE(sheet.findChild<QPushButton *>(u"addButton"_s)->isEnabled(), enabled);

    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(chosen.count(), enabled ? 1 : 0);
    QCOMPARE(sheet.isVisible(), !enabled);
    if (enabled) {
        QCOMPARE(chosen[0][0].toString(), typed);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
    }
}

QTEST_MAIN(TestAddPageSheet)
#include "tst_AddPageSheet.moc"
