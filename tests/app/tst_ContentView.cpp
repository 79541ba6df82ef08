#include "app/CatalogueModel.h"
#include "app/ContentView.h"

#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestContentView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void choosingARowBuildsItsScreenAfresh();
    void rowsWithoutScreensAreSkipped();

private:
    void click(ToolId tool);
    QString screenName() const { return m_view->currentScreen()->objectName(); }

    int m_built = 0;
    std::unique_ptr<ContentView> m_view;
};

void TestContentView::init()
{
    m_built = 0;
    auto screen = [this](const QString &name) -> ScreenFactory {
        return [this, name] {
            ++m_built;
            auto label = std::make_unique<QLabel>(name);
            label->setObjectName(name);
            return label;
        };
    };
    ScreenFactories screens{{ToolId::FeetFrames, screen(u"feet"_s)},
                            {ToolId::ProjectPrepChecklist, screen(u"checklist"_s)},
                            {ToolId::TextToFountain, nullptr}}; // an empty factory is no screen
    m_view = std::make_unique<ContentView>(std::move(screens));
    m_view->resize(900, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestContentView::click(ToolId tool)
{
    QListView *list = m_view->catalogueList();
    const auto *model = static_cast<CatalogueModel *>(list->model());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(model->indexOf(tool)).center());
}

void TestContentView::choosingARowBuildsItsScreenAfresh()
{
    click(ToolId::FeetFrames);
    QPointer<QWidget> first = m_view->currentScreen();
    QVERIFY(first && first->isVisible());
    QCOMPARE(screenName(), u"feet"_s);

    click(ToolId::FeetFrames); // the chosen row again keeps its screen
    QCOMPARE(m_view->currentScreen(), first.data());
    QCOMPARE(m_built, 1);

    click(ToolId::ProjectPrepChecklist);
    QVERIFY(!first); // the screen left behind is gone, with its state
    QCOMPARE(screenName(), u"checklist"_s);

    QSignalSpy changed(m_view.get(), &ContentView::screenChanged);
    QVERIFY(m_view->choose(ToolId::FeetFrames));
    QCOMPARE(m_built, 3);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(screenName(), u"feet"_s);
}

void TestContentView::rowsWithoutScreensAreSkipped()
{
    click(ToolId::FeetFrames);
    for (ToolId tool : {ToolId::DadavezaRuzServer, ToolId::TextToFountain}) {
        click(tool);
        QVERIFY(!m_view->choose(tool));
        QCOMPARE(screenName(), u"feet"_s);
    }
    QCOMPARE(m_built, 1);
    // Down passes over the rows that cannot be chosen.
    QTest::keyClick(m_view->catalogueList(), Qt::Key_Down);
    QCOMPARE(screenName(), u"checklist"_s);
    QTest::keyClick(m_view->catalogueList(), Qt::Key_Up);
    QCOMPARE(screenName(), u"feet"_s);
}

QTEST_MAIN(TestContentView)
#include "tst_ContentView.moc"
