#include "LoopbackWebServer.h"
#include "app/ContentView.h"
#include "app/HelpViewer.h"
#include "app/HuebenchApp.h"
#include "app/MainWindow.h"
#include "common/Settings.h"
#include "platform/store/ModelStore.h"
#include "support/WebEngineTestSetup.h"

#include <QApplication>
#include <QListView>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace hb;
using namespace Qt::StringLiterals;

// The window on a real X display with a window manager, where the web view's texture makes Qt
// compose the whole window through OpenGL: leaving the browser must bring raster composition
// back without the user losing the window's place, state, focus or its other windows.
class TestWindowComposition : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_site = std::make_unique<LoopbackWebServer>(QHostAddress::LocalHost);
        QVERIFY(m_site->isListening());
        m_site->setPage(u"/"_s, u"<!doctype html><title>tutorials</title><h1>Tutorials</h1>"_s);
    }

    void cleanup()
    {
        m_site.reset();
        m_dir.reset();
    }

    void leavingTheBrowserComposesWithRasterAgain_data()
    {
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<bool>("helpOpen");
        QTest::addColumn<int>("visits");
        QTest::newRow("normal window") << false << false << 1;
        QTest::newRow("maximised window") << true << false << 1;
        QTest::newRow("help window open, browser visited twice") << false << true << 2;
    }

    void leavingTheBrowserComposesWithRasterAgain()
    {
        QFETCH(bool, maximised);
        QFETCH(bool, helpOpen);
        QFETCH(int, visits);
        auto app = openApp();
        QVERIFY(app);
        MainWindow *window = app->mainWindow();
        ContentView *content = app->contentView();
        if (maximised) {
            window->showMaximized();
            QTRY_VERIFY(window->windowHandle()->windowStates().testFlag(Qt::WindowMaximized));
        }
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (helpOpen) {
            window->showHelp();
            QVERIFY(window->helpViewer());
            QVERIFY(QTest::qWaitForWindowExposed(window->helpViewer()));
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
        }
        QVERIFY(content->choose(ToolId::FeetFrames));
        QTest::qWait(100);
        const QRect geometry = window->geometry();
        const Qt::WindowStates states = window->windowState();

        for (int visit = 1; visit <= visits; ++visit) {
            QVERIFY(content->choose(ToolId::YouTubeSearch));
            QTRY_COMPARE_WITH_TIMEOUT(m_site->pageRequests(), visit, 30000);
            // The premise: the web view's texture made Qt compose the window through OpenGL.
            QTRY_COMPARE_WITH_TIMEOUT(window->windowHandle()->surfaceType(),
                                      QSurface::OpenGLSurface, 10000);
            content->catalogueList()->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), content->catalogueList());

            QVERIFY(content->choose(ToolId::FeetFrames));
            QTRY_COMPARE(window->windowHandle()->surfaceType(), QSurface::RasterSurface);
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->geometry(), geometry);
            QTRY_COMPARE(window->windowState(), states);
            QTRY_COMPARE(window->windowHandle()->windowStates(), states);
            QTRY_COMPARE(QApplication::focusWidget(), content->catalogueList());
            QCOMPARE(content->currentTool(), ToolId::FeetFrames);
            if (helpOpen) {
                QVERIFY(window->helpViewer()->isVisible());
                QTRY_COMPARE(window->helpViewer()->windowHandle()->transientParent(),
                             window->windowHandle());
            }
            // The new native window shows the screen, not an empty surface.
            QTRY_VERIFY(colourCount(window) > 16);
        }

        // Going between ordinary screens keeps the native window: the user sees no redraw.
        const WId native = window->winId();
        QVERIFY(content->choose(ToolId::TextToFountain));
        QTest::qWait(100);
        QCOMPARE(window->winId(), native);
        QCOMPARE(window->windowHandle()->surfaceType(), QSurface::RasterSurface);
    }

private:
    std::unique_ptr<HuebenchApp> openApp()
    {
        auto store = ModelStore::open(m_dir->filePath(u"store"_s));
        if (!store)
            return nullptr;
        auto app = std::make_unique<HuebenchApp>(
            std::move(*store), std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s)));
        app->settings().setYoutubeSearchSiteUrl(m_site->origin() + u"/"_s);
        app->show();
        return QTest::qWaitForWindowExposed(app->window()) ? std::move(app) : nullptr;
    }

    // The distinct colours of the window as the X server shows it.
    static qsizetype colourCount(QWidget *window)
    {
        const QImage shot = window->screen()->grabWindow(window->winId()).toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 4) {
            for (int x = 0; x < shot.width(); x += 4)
                colours.insert(shot.pixel(x, y));
        }
        return colours.size();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<LoopbackWebServer> m_site;
};

int main(int argc, char *argv[])
{
    prepareWebEngineForTests();
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    TestWindowComposition test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WindowComposition.moc"
