#include "app/CatalogueModel.h"
#include "app/ContentView.h"
#include "app/NavigationViewWrapper.h"

#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// Screens that count how often they were built.
struct Counter {
    int built = 0;
};

ScreenFactory countingScreen(Counter &counter, const QString &name)
{
    return [&counter, name] {
        ++counter.built;
        auto screen = std::make_unique<QLabel>(name);
        screen->setObjectName(name);
        return screen;
    };
}

} // namespace

class TestContentView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void startsWithPlaceholderAndNoScreen();
    void sidebarHasItsTitleAndWidths();
    void clickingARowBuildsItsScreenAfresh();
    void rowsWithoutScreensDoNothing();
    void keyboardMovesBetweenTools();

private:
    void click(ToolId tool);
    QModelIndex indexOf(ToolId tool) const;

    Counter m_feet;
    Counter m_checklist;
    std::unique_ptr<ContentView> m_view;
};

void TestContentView::init()
{
    m_feet = {};
    m_checklist = {};
    ScreenFactories screens;
    screens[ToolId::FeetFrames] = countingScreen(m_feet, u"feet"_s);
    screens[ToolId::ProjectPrepChecklist] = countingScreen(m_checklist, u"checklist"_s);
    screens[ToolId::TextToFountain] = nullptr; // an empty factory is no screen
    m_view = std::make_unique<ContentView>(std::move(screens));
    m_view->resize(900, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestContentView::cleanup()
{
    m_view.reset();
}

QModelIndex TestContentView::indexOf(ToolId tool) const
{
    return static_cast<CatalogueModel *>(m_view->catalogueList()->model())->indexOf(tool);
}

void TestContentView::click(ToolId tool)
{
    QListView *list = m_view->catalogueList();
    const QRect rect = list->visualRect(indexOf(tool));
    QVERIFY(rect.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void TestContentView::startsWithPlaceholderAndNoScreen()
{
    // Showing the window gives the list focus; that alone must not open a tool.
    m_view->catalogueList()->setFocus();
    QApplication::processEvents();
    QCOMPARE(m_view->currentScreen(), nullptr);
    auto *placeholder = m_view->findChild<QLabel *>(u"detailPlaceholder"_s);
    QVERIFY(placeholder);
    QCOMPARE(placeholder->text(), u"Select an item"_s);
    QVERIFY(placeholder->isVisible());
}

void TestContentView::sidebarHasItsTitleAndWidths()
{
    auto *title = m_view->findChild<QLabel *>(u"sidebarTitle"_s);
    QVERIFY(title);
    QCOMPARE(title->text(), u"Tools"_s);
    QWidget *sidebar = m_view->navigation()->splitter()->widget(0);
    QCOMPARE(sidebar->minimumWidth(), 180);
    QCOMPARE(m_view->navigation()->splitter()->sizes().first(), 200);
}

void TestContentView::clickingARowBuildsItsScreenAfresh()
{
    click(ToolId::FeetFrames);
    QPointer<QWidget> first = m_view->currentScreen();
    QVERIFY(first);
    QCOMPARE(first->objectName(), u"feet"_s);
    QVERIFY(first->isVisible());
    QCOMPARE(m_feet.built, 1);

    click(ToolId::FeetFrames); // the same row again keeps the screen
    QCOMPARE(m_view->currentScreen(), first.data());
    QCOMPARE(m_feet.built, 1);

    click(ToolId::ProjectPrepChecklist);
    QVERIFY(!first); // the screen left behind is gone with its state
    QCOMPARE(m_view->currentScreen()->objectName(), u"checklist"_s);

    QSignalSpy changed(m_view.get(), &ContentView::screenChanged);
    QVERIFY(m_view->choose(ToolId::FeetFrames));
    QCOMPARE(m_feet.built, 2);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(m_view->currentScreen()->objectName(), u"feet"_s);
}

void TestContentView::rowsWithoutScreensDoNothing()
{
    for (ToolId tool : {ToolId::DadavezaRuzServer, ToolId::TextToFountain, ToolId::MogrtToFusion}) {
        click(tool);
        QCOMPARE(m_view->currentScreen(), nullptr);
        QVERIFY(!m_view->choose(tool));
    }
    QVERIFY(m_view->catalogueList()->selectionModel()->selectedIndexes().isEmpty());
}

void TestContentView::keyboardMovesBetweenTools()
{
    QListView *list = m_view->catalogueList();
    click(ToolId::FeetFrames);
    // Down skips the rows that cannot be chosen and lands on the next tool with a screen.
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(m_view->currentScreen()->objectName(), u"checklist"_s);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(m_view->currentScreen()->objectName(), u"feet"_s);
}

QTEST_MAIN(TestContentView)
#include "tst_ContentView.moc"
