#include "app/HuebenchApp.h"

#include "app/ContentView.h"
#include "app/ControllerApprovalPrompt.h"
#include "app/MainWindow.h"
#include "app/ScreenPluginLoader.h"
#include "app/YouTubeSearchFallbackView.h"
#include "calibration/MonitorCalibrationView.h"
#include "common/ScreenPlugin.h"
#include "common/Settings.h"
#include "converters/DocToSRTView.h"
#include "converters/TextToFountainView.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerView.h"
#include "dadavezaruz/DadavezaRuzView.h"
#include "footage/FeetFramesCalculatorView.h"
#include "games/BouncingMonitorsGameView.h"
#include "games/ColorInvadersGameView.h"
#include "mogrt/MogrtToFusionLibraryView.h"
#include "platform/netif/LocalAddress.h"
#include "platform/store/ModelStore.h"
#include "prep/ProjectPrepChecklistView.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QOpenGLContext>
#include <QStandardPaths>

// Qt's GUI library keeps the context that the web engine shares its graphics with; it exports
// these two for the engine but declares them only in its private headers.
Q_GUI_EXPORT QOpenGLContext *qt_gl_global_share_context();
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);

namespace hb {
namespace {

using namespace Qt::StringLiterals;

// The web engine draws with OpenGL in a context shared with the application's. Setting
// Qt::AA_ShareOpenGLContexts before the application exists would make Qt create that context at
// start-up and load the graphics driver (tens of megabytes) for every run; the context is made
// here instead, the first time the browser screen opens, before the engine starts.
void shareGraphicsWithTheEngine()
{
    if (qt_gl_global_share_context())
        return;
    // As Qt makes it when asked before start-up: set even if it cannot be created.
    auto *context = new QOpenGLContext(qApp);
    context->setFormat(QSurfaceFormat::defaultFormat());
    context->create();
    qt_gl_set_global_share_context(context);
}

// Texts being typed in tools without a store of their own, kept for the next start.
QString draftPath(const QString &name)
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(u"drafts/"_s + name);
}

} // namespace

// Every catalogue row's screen; a row without one would be shown disabled.
ScreenFactories HuebenchApp::screenFactories()
{
    ScreenFactories screens;
    // Every screen is built when its tool is first chosen and kept until the window closes.
    screens[ToolId::DadavezaRuz] = [this] {
        return std::make_unique<DadavezaRuzView>(*m_store, *m_settings);
    };
    screens[ToolId::DadavezaRuzServer] = [this] {
        // The one server of the process: leaving its screen does not stop it.
        if (!m_server) {
            m_server = DadavezaRuzServer::createForThisMachine();
            m_server->followPadPages(*m_store); // the phones show the pad's pages
        }
        DadavezaRuzServer &server = *m_server;
        if (!m_approvalPrompt)
            m_approvalPrompt = new ControllerApprovalPrompt(server, m_window.get());
        return std::make_unique<DadavezaRuzServerView>(server, &localIPv4Address);
    };
    // With its own meter host on port 8765, listening while the screen lives.
    screens[ToolId::MonitorCalibration] = [] { return std::make_unique<MonitorCalibrationView>(); };
    screens[ToolId::MogrtToFusion] = [] { return std::make_unique<MogrtToFusionLibraryView>(); };
    screens[ToolId::TextToFountain] = [] {
        return std::make_unique<TextToFountainView>(draftPath(u"fountain-input.txt"_s));
    };
    screens[ToolId::DocToSrt] = [this] { return std::make_unique<DocToSRTView>(m_settings.get()); };
    screens[ToolId::FeetFrames] = [this] {
        return std::make_unique<FeetFramesCalculatorView>(m_settings.get());
    };
    screens[ToolId::ProjectPrepChecklist] = [this] {
        return std::make_unique<ProjectPrepChecklistView>(*m_store);
    };
    screens[ToolId::BouncingMonitors] = [] { return std::make_unique<BouncingMonitorsGameView>(); };
    screens[ToolId::ColorInvaders] = [this] {
        return std::make_unique<ColorInvadersGameView>(*m_settings);
    };
    // The browser engine is mapped when this screen first opens (its plugin is loaded then);
    // the page goes with the screen when another tool is chosen (it must not play on unseen).
    screens[ToolId::YouTubeSearch] = [this]() -> std::unique_ptr<QWidget> {
        shareGraphicsWithTheEngine();
        if (ScreenPlugin *plugin = m_browserPlugin->load())
            return plugin->createScreen({*m_settings, Settings::notifier(), {}});
        return std::make_unique<YouTubeSearchFallbackView>(*m_settings,
                                                           m_browserPlugin->errorString());
    };
    return screens;
}

QString HuebenchApp::fatalStorePrefix()
{
    return QStringLiteral("Could not create ModelContainer: ");
}

Expected<std::unique_ptr<HuebenchApp>> HuebenchApp::create()
{
    auto store = ModelStore::openDefault();
    if (!store)
        return store.error();
    // The headless server, the command line and a second window write the same file.
    (*store)->followOtherWriters();
    return std::make_unique<HuebenchApp>(std::move(*store));
}

HuebenchApp::HuebenchApp(std::unique_ptr<ModelStore> store, std::unique_ptr<Settings> settings)
    : m_store(std::move(store)),
      m_settings(settings ? std::move(settings) : std::make_unique<Settings>()),
      m_browserPlugin(std::make_unique<ScreenPluginLoader>(
          ToolCatalogue::key(ToolId::YouTubeSearch), QStringLiteral(HB_BROWSER_PLUGIN_FILE),
          ScreenPluginLoader::defaultDirectories()))
{
    m_window = std::make_unique<MainWindow>(screenFactories(), *m_settings);
    m_window->contentView()->setRebuiltTools({ToolId::YouTubeSearch});
    // The installed theme icon when there is one; the built-in copy otherwise.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(HB_APP_ID),
                         QIcon(QStringLiteral(":/about/resources/app-icon/huebench.svg"))));
    m_window->restoreState();
}

HuebenchApp::~HuebenchApp()
{
    // Screens may still hold the store and the server; close them first.
    m_window.reset();
}

void HuebenchApp::show()
{
    m_window->show();
}

QWidget *HuebenchApp::window() const
{
    return m_window.get();
}

ContentView *HuebenchApp::contentView() const
{
    return m_window->contentView();
}

} // namespace hb
