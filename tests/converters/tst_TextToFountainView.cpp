#include "common/ToggleSwitch.h"
#include "converters/TextToFountainView.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestTextToFountainView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void freshScreen();
    void followsInputAndOptions();
    void waitsForPauseOnLongInput();
    void savesAndCopies();

private:
    template <typename T> T *child(const QString &name) { return m_view->findChild<T *>(name); }

    std::unique_ptr<TextToFountainView> m_view;
};

void TestTextToFountainView::init()
{
    m_view = std::make_unique<TextToFountainView>();
    m_view->resize(700, 900);
    m_view->show();
}

void TestTextToFountainView::cleanup()
{
    m_view.reset();
}

void TestTextToFountainView::freshScreen()
{
    QCOMPARE(m_view->windowTitle(), u"Text to Fountain"_s);
    auto *picker = child<QComboBox>(u"modePicker"_s);
    QStringList labels;
    for (int i = 0; i < picker->count(); ++i)
        labels.append(picker->itemText(i));
    QCOMPARE(labels, (QStringList{u"Auto"_s, u"Prose"_s, u"Transcript"_s}));
    QCOMPARE(picker->currentText(), u"Auto"_s);
    QCOMPARE(m_view->mode(), FountainMode::Auto);
    QVERIFY(!child<ToggleSwitch>(u"preserveIndentationSwitch"_s)->isChecked());
    QVERIFY(!child<ToggleSwitch>(u"includeTimecodesSwitch"_s)->isChecked());
    QCOMPARE(child<ToggleSwitch>(u"includeTimecodesSwitch"_s)->text(), u"Include timecodes"_s);
    auto *input = child<QPlainTextEdit>(u"inputText"_s);
    QCOMPARE(input->toPlainText(), QString());
    QVERIFY(!input->isReadOnly());
    QCOMPARE(input->height(), 180);
    QVERIFY(child<QPlainTextEdit>(u"outputText"_s)->isReadOnly());
    QCOMPARE(m_view->outputText(), QString());
    QVERIFY(!child<QLabel>(u"autoModeText"_s)->isVisible());
}

void TestTextToFountainView::followsInputAndOptions()
{
    auto *input = child<QPlainTextEdit>(u"inputText"_s);
    input->setFocus();
    QTest::keyClicks(input, u"[00:00:01] Ann: Hi."_s);
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClicks(input, u"Bob: Yo."_s);
    QCOMPARE(m_view->outputText(), u"ANN\nHi.\n\nBOB\nYo.\n"_s);
    QCOMPARE(child<QPlainTextEdit>(u"outputText"_s)->toPlainText(), m_view->outputText());
    auto *autoMode = child<QLabel>(u"autoModeText"_s);
    QVERIFY(autoMode->isVisible());
    QCOMPARE(autoMode->text(), u"Auto: Transcript"_s);

    child<ToggleSwitch>(u"includeTimecodesSwitch"_s)->click();
    QCOMPARE(m_view->outputText(), u"ANN\n[[00:00:01]]\nHi.\n\nBOB\nYo.\n"_s);

    child<QComboBox>(u"modePicker"_s)->setCurrentIndex(1);
    QCOMPARE(m_view->mode(), FountainMode::Prose);
    QCOMPARE(m_view->outputText(), u"[00:00:01] Ann: Hi. Bob: Yo.\n"_s);
    QVERIFY(!autoMode->isVisible());
}

void TestTextToFountainView::waitsForPauseOnLongInput()
{
    QSignalSpy converted(m_view.get(), &TextToFountainView::outputChanged);
    const QString longText = QString(u"Ann: Hi.\nBob: Yo.\n"_s).repeated(2000);
    child<QPlainTextEdit>(u"inputText"_s)->setPlainText(longText);
    QCOMPARE(converted.count(), 0);
    QVERIFY(converted.wait(2000));
    QVERIFY(m_view->outputText().startsWith(u"ANN\nHi.\n\nBOB\nYo.\n\nANN\n"_s));
}

void TestTextToFountainView::savesAndCopies()
{
    child<QComboBox>(u"modePicker"_s)->setCurrentIndex(2);
    child<QPlainTextEdit>(u"inputText"_s)->setPlainText(u"\uFEFFJosé: Olá.\r\nTHE END"_s);
    const QString expected = u"@JOSÉ\nOlá. THE END\n"_s;
    QCOMPARE(m_view->outputText(), expected);

    QTemporaryDir folder;
    const QString path = folder.filePath(u"Scene.fountain"_s);
    QVERIFY(m_view->saveOutput(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected.toUtf8()); // UTF-8, no byte-order mark
    QCOMPARE(m_view->errorText(), QString());

    QVERIFY(!m_view->saveOutput(folder.filePath(u"missing/Scene.fountain"_s)));
    QVERIFY(m_view->errorText().startsWith(u"Could not save"_s));
    QVERIFY(child<QLabel>(u"errorText"_s)->isVisible());
    QVERIFY(m_view->saveOutput(path)); // a good save clears the message
    QVERIFY(!child<QLabel>(u"errorText"_s)->isVisible());

    QApplication::clipboard()->clear();
    m_view->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
    QTest::keySequence(child<QPlainTextEdit>(u"outputText"_s), QKeySequence(u"Ctrl+Shift+C"_s));
    QCOMPARE(QApplication::clipboard()->text(), expected);
}

QTEST_MAIN(TestTextToFountainView)
#include "tst_TextToFountainView.moc"
