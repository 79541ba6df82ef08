#include "footage/FeetFramesCalculatorView.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestFeetFramesCalculatorView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init();
    void cleanup();
    void typingAndSubmitting();
    void closeWhileEditing();

private:
    template <typename T = QLineEdit> T *find(const QString &name) const
    {
        return m_view->findChild<T *>(name);
    }
    QString outputs() const
    {
        return QStringList({find<QLabel>(u"totalFramesValue"_s)->text(),
                            find<QLabel>(u"feetFramesValue"_s)->text(),
                            find<QLabel>(u"timecodeValue"_s)->text(),
                            find<QLabel>(u"metersValue"_s)->text()})
            .join(u" | ");
    }
    // Replaces the field's text by typing, as the user does, and presses Return if asked.
    void type(const QString &field, const QString &text, bool submit = false) const
    {
        find(field)->selectAll();
        QTest::keyClicks(find(field), text);
        if (submit)
            QTest::keyClick(find(field), Qt::Key_Return);
    }

    std::unique_ptr<FeetFramesCalculatorView> m_view;
};

void TestFeetFramesCalculatorView::init()
{
    m_view = std::make_unique<FeetFramesCalculatorView>();
    m_view->resize(1000, 800);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestFeetFramesCalculatorView::cleanup()
{
    m_view.reset();
    QLocale::setDefault(QLocale::c());
}

void TestFeetFramesCalculatorView::typingAndSubmitting()
{
    type(u"feetField"_s, u"10"_s);
    type(u"framesField"_s, u"8"_s);
    QCOMPARE(outputs(), u"168 | 10+8 | 00:00:07:00 | 3.20"_s);
    type(u"framesField"_s, u"20"_s);
    QCOMPARE(outputs(), u"180 | 11+4 | 00:00:07:12 | 3.43"_s);
    QCOMPARE(find(u"framesField"_s)->text(), u"20"_s);
    QTest::keyClick(find(u"framesField"_s), Qt::Key_Return);
    QCOMPARE(find(u"framesField"_s)->text(), u"15"_s);
    QCOMPARE(outputs(), u"175 | 10+15 | 00:00:07:07 | 3.33"_s);

    type(u"feetField"_s, u"-"_s, true); // no number: the value comes back
    QCOMPARE(find(u"feetField"_s)->text(), u"10"_s);
    type(u"feetField"_s, u"-3"_s, true);
    QCOMPARE(find(u"feetField"_s)->text(), u"0"_s);
}

// A field that loses the focus as the window goes must not reach the screen being destroyed.
void TestFeetFramesCalculatorView::closeWhileEditing()
{
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    find(u"feetField"_s)->setFocus();
    type(u"feetField"_s, u"-"_s);
    m_view.reset();
}

QTEST_MAIN(TestFeetFramesCalculatorView)
#include "tst_FeetFramesCalculatorView.moc"
