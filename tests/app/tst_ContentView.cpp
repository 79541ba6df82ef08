#include "app/CatalogueModel.h"
#include "app/ContentView.h"
#include "common/IconLibrary.h"

#include <QImage>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(hb::ToolId)

class TestContentView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
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

    void screensAreKeptUnlessRebuilt()
    {
        m_view->setRebuiltTools({ToolId::ProjectPrepChecklist});
        click(ToolId::FeetFrames);
        QPointer<QWidget> feet = m_view->currentScreen();
        QVERIFY(feet && feet->isVisible());
        QCOMPARE(screenName(), u"feet"_s);
        click(ToolId::FeetFrames); // the chosen row again keeps its screen
        QCOMPARE(m_built, 1);

        click(ToolId::ProjectPrepChecklist);
        QPointer<QWidget> checklist = m_view->currentScreen();
        QVERIFY(feet && !feet->isVisible()); // kept, hidden, with its state
        QCOMPARE(screenName(), u"checklist"_s);

        QSignalSpy changed(m_view.get(), &ContentView::screenChanged);
        QVERIFY(m_view->choose(ToolId::FeetFrames));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(m_view->currentScreen(), feet.data());
        QVERIFY(feet->isVisible());
        QVERIFY(!checklist); // a rebuilt tool's screen goes when another is chosen
        QVERIFY(m_view->choose(ToolId::ProjectPrepChecklist));
        QCOMPARE(m_built, 3);
    }

    void rowsWithoutScreensAreSkipped()
    {
        click(ToolId::FeetFrames);
        for (ToolId tool : {ToolId::DadavezaRuzServer, ToolId::TextToFountain}) {
            click(tool);
            QVERIFY(!m_view->choose(tool));
            QCOMPARE(screenName(), u"feet"_s);
        }
        QCOMPARE(m_built, 1);
    }

    void keysPassOverTitles_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<ToolId>("current");
        QTest::addColumn<QString>("screen"); // empty: none chosen
        // Only feet and checklist have screens here; the list starts with the header, and every
        // section with its title. Taking the focus rings the first row that can be chosen.
        const ToolId feet = ToolId::FeetFrames;
        const ToolId checklist = ToolId::ProjectPrepChecklist;
        QTest::newRow("focus alone") << QList<int>{} << feet << QString();
        QTest::newRow("space chooses") << QList<int>{Qt::Key_Space} << feet << u"feet"_s;
        QTest::newRow("return chooses") << QList<int>{Qt::Key_Return} << feet << u"feet"_s;
        QTest::newRow("down") << QList<int>{Qt::Key_Down} << checklist << u"checklist"_s;
        QTest::newRow("up at the top stays")
            << QList<int>{Qt::Key_Down, Qt::Key_Home, Qt::Key_Up} << feet << u"feet"_s;
        QTest::newRow("down at the end stays")
            << QList<int>{Qt::Key_End, Qt::Key_Down} << checklist << u"checklist"_s;
        QTest::newRow("page up") << QList<int>{Qt::Key_End, Qt::Key_PageUp} << feet << u"feet"_s;
        QTest::newRow("page down") << QList<int>{Qt::Key_PageDown} << checklist << u"checklist"_s;
    }

    void keysPassOverTitles()
    {
        QFETCH(QList<int>, keys);
        QListView *list = m_view->catalogueList();
        m_view->activateWindow();
        list->setFocus(Qt::TabFocusReason);
        QVERIFY(QTest::qWaitFor([list] { return list->hasFocus(); }));
        for (int key : keys) {
            QTest::keyClick(list, Qt::Key(key));
            QCOMPARE(CatalogueModel::kind(list->currentIndex()), CatalogueModel::Kind::Tool);
        }
        QTEST(CatalogueModel::tool(list->currentIndex()), "current");
        QTEST(m_view->currentScreen() ? screenName() : QString(), "screen");
    }

    void clickingATitleKeepsTheCurrentRow()
    {
        click(ToolId::FeetFrames);
        QListView *list = m_view->catalogueList();
        const QModelIndex chosen = list->currentIndex();
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const QModelIndex index = list->model()->index(row, 0);
            if (CatalogueModel::kind(index) == CatalogueModel::Kind::Tool)
                continue;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(index).center());
            QCOMPARE(list->currentIndex(), chosen);
        }
        QCOMPARE(screenName(), u"feet"_s);
    }

    // Pixels of the ring's colour inside the current row, with and without the keyboard in the
    // list.
    void currentRowShowsAFocusRing()
    {
        QListView *list = m_view->catalogueList();
        const auto *model = static_cast<CatalogueModel *>(list->model());
        QVERIFY(m_view->choose(ToolId::FeetFrames));
        const QColor ring =
            list->palette().color(QPalette::Active, QPalette::Highlight).lighter(150);
        const QRect row = list->visualRect(model->indexOf(ToolId::FeetFrames));
        auto ringPixels = [&] {
            const QImage image = list->viewport()->grab().toImage();
            int count = 0;
            for (int y = row.top(); y <= row.bottom(); ++y) {
                for (int x = row.left(); x <= row.right(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    if (std::abs(pixel.red() - ring.red()) +
                            std::abs(pixel.green() - ring.green()) +
                            std::abs(pixel.blue() - ring.blue()) <
                        24)
                        ++count;
                }
            }
            return count;
        };

        m_view->activateWindow();
        list->setFocus(Qt::TabFocusReason);
        QVERIFY(QTest::qWaitFor([list] { return list->hasFocus(); }));
        // The ring runs round the row: at least its two long sides.
        QVERIFY2(ringPixels() > 2 * row.width(), qPrintable(QString::number(ringPixels())));

        auto *elsewhere = new QLabel(u"elsewhere"_s, m_view.get());
        elsewhere->setFocusPolicy(Qt::StrongFocus);
        elsewhere->show();
        elsewhere->setFocus(Qt::TabFocusReason);
        QVERIFY(QTest::qWaitFor([list] { return !list->hasFocus(); }));
        QCOMPARE(ringPixels(), 0);
    }

    void everySymbolHasItsOwnIcon()
    {
        const CatalogueModel model({});
        QSet<QString> files;
        for (int row = 0; row < model.rowCount(); ++row) {
            const QString symbol = model.index(row, 0).data(CatalogueModel::SymbolRole).toString();
            if (symbol.isEmpty())
                continue; // a section title
            QVERIFY2(IconLibrary::isKnown(symbol), qPrintable(symbol));
            files.insert(IconLibrary::iconFile(symbol));
        }
        QCOMPARE(files.size(), 12); // the header and eleven tools, each drawn differently
    }

private:
    void click(ToolId tool)
    {
        QListView *list = m_view->catalogueList();
        const auto *model = static_cast<CatalogueModel *>(list->model());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(model->indexOf(tool)).center());
    }
    QString screenName() const { return m_view->currentScreen()->objectName(); }

    int m_built = 0;
    std::unique_ptr<ContentView> m_view;
};

QTEST_MAIN(TestContentView)
#include "tst_ContentView.moc"
