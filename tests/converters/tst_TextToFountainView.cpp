#include "converters/TextToFountainView.h"

#include "common/AppLifecycle.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestTextToFountainView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void savesAndCopies();
    void inputComesBackAfterARestart();

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

// The input is written a moment after typing, at once when the application asks (SIGTERM,
// session end) and when the screen closes; a new screen on the same draft shows it again.
void TestTextToFountainView::inputComesBackAfterARestart()
{
    QTemporaryDir folder;
    const QString draft = folder.filePath(u"drafts/fountain-input.txt"_s);
    const QString typed = u"JOSÉ: Olá.\nTHE END"_s;
    auto view = std::make_unique<TextToFountainView>(draft);
    view->findChild<QPlainTextEdit *>(u"inputText"_s)->setPlainText(typed);
    QTRY_VERIFY(QFile::exists(draft)); // after the pause
    view->findChild<QPlainTextEdit *>(u"inputText"_s)->appendPlainText(u"FADE OUT."_s);
    AppLifecycle::instance().requestSave();
    QCOMPARE(TextToFountainView(draft).inputText(), typed + u"\nFADE OUT."_s);
    view->findChild<QPlainTextEdit *>(u"inputText"_s)->clear();
    view.reset();
    QCOMPARE(TextToFountainView(draft).inputText(), QString());
}

QTEST_MAIN(TestTextToFountainView)
#include "tst_TextToFountainView.moc"
