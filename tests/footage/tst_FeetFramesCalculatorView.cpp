#include "common/FormSection.h"
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
    void firstDisplay();
    void typingAndSubmitting();
    void settingsNormalise();
    void modesShowTheirFields_data();
    void modesShowTheirFields();
    void germanNumbers();
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

void TestFeetFramesCalculatorView::firstDisplay()
{
    QCOMPARE(m_view->windowTitle(), u"Feet & Frames"_s);
    QStringList titles;
    for (const FormSection *section : m_view->findChildren<FormSection *>())
        titles << section->title();
    QCOMPARE(titles, QStringList({{}, u"Input"_s, u"Output"_s}));
    QCOMPARE(find<QComboBox>(u"formatPicker"_s)->count(), 6);
    QCOMPARE(find<QComboBox>(u"formatPicker"_s)->currentText(), u"35mm (4-perf)"_s);
    auto *fps = find<QSpinBox>(u"fpsStepper"_s);
    QCOMPARE(QList<int>({fps->value(), fps->minimum(), fps->maximum()}), QList<int>({24, 1, 120}));
    QCOMPARE(find<QComboBox>(u"inputPicker"_s)->currentText(), u"Feet+Frames"_s);
    QCOMPARE(find(u"feetField"_s)->text(), u"0"_s);
    QCOMPARE(find(u"feetField"_s)->width(), 140);
    QCOMPARE(outputs(), u"0 | 0+0 | 00:00:00:00 | 0.00"_s);
    QVERIFY(find<QLabel>(u"timecodeValue"_s)->textInteractionFlags() & Qt::TextSelectableByMouse);

    QCOMPARE(find<QWidget>(u"column"_s)->width(), 720); // in a window 1000 wide
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

void TestFeetFramesCalculatorView::settingsNormalise()
{
    auto *format = find<QComboBox>(u"formatPicker"_s);
    format->setCurrentText(u"16mm"_s);
    type(u"framesField"_s, u"30"_s, true);
    QCOMPARE(find(u"framesField"_s)->text(), u"30"_s);
    format->setCurrentText(u"35mm (4-perf)"_s);
    QCOMPARE(find(u"framesField"_s)->text(), u"15"_s);

    find<QComboBox>(u"inputPicker"_s)->setCurrentText(u"Timecode"_s);
    auto *fps = find<QSpinBox>(u"fpsStepper"_s);
    fps->setValue(30);
    type(u"timecodeFramesField"_s, u"29"_s, true);
    QCOMPARE(find(u"timecodeFramesField"_s)->text(), u"29"_s);
    fps->setValue(24);
    QCOMPARE(find(u"timecodeFramesField"_s)->text(), u"23"_s);
    QCOMPARE(find<QLabel>(u"totalFramesValue"_s)->text(), u"23"_s);
}

void TestFeetFramesCalculatorView::modesShowTheirFields_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("typed"); // into the last field
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("submitted");
    QTest::newRow("digits past the limit are refused")
        << u"Total Frames"_s << u"totalFrames"_s << u"1000000000000000000"_s << u"100000000000"_s
        << u"100000000000"_s;
    QTest::newRow("timecode") << u"Timecode"_s << u"hours minutes seconds timecodeFrames"_s
                              << u"30"_s << u"23"_s << u"23"_s;
    QTest::newRow("3e9 m is past the limit")
        << u"Meters"_s << u"meters"_s << u"3e99"_s << u"157"_s << u"3"_s;
}

void TestFeetFramesCalculatorView::modesShowTheirFields()
{
    QFETCH(QString, mode);
    QFETCH(QString, fields);
    QFETCH(QString, typed);
    find<QComboBox>(u"inputPicker"_s)->setCurrentText(mode);
    QStringList shown;
    for (const QLineEdit *field :
         m_view->findChildren<QLineEdit *>(QRegularExpression(u"Field$"_s))) {
        if (field->isVisibleTo(m_view.get()))
            shown << field->objectName().chopped(5);
    }
    QCOMPARE(shown.join(u' '), fields);
    const QString last = shown.last() + u"Field";
    type(last, typed);
    QTEST(find<QLabel>(u"totalFramesValue"_s)->text(), "total");
    QTest::keyClick(find(last), Qt::Key_Return);
    QTEST(find(last)->text(), "submitted");
}

void TestFeetFramesCalculatorView::germanNumbers()
{
    m_view.reset();
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    init();
    type(u"feetField"_s, u"1.234"_s);
    QCOMPARE(find<QLabel>(u"totalFramesValue"_s)->text(), u"19744"_s);
    type(u"feetField"_s, u"1234"_s, true);
    QCOMPARE(find(u"feetField"_s)->text(), u"1.234"_s);
    find<QComboBox>(u"inputPicker"_s)->setCurrentText(u"Meters"_s);
    type(u"metersField"_s, u"3,2"_s);
    QCOMPARE(outputs(), u"168 | 10+8 | 00:00:07:00 | 3.20"_s); // fixed formats
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
