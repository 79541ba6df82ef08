// hb-screenshots FOLDER: the README's and the metainfo's pictures of each screen, taken from
// this build at the default window size with an empty store (the pad's default pages). The
// tutorial browser shows a page served on loopback: nothing leaves this machine.
//   scripts/test-env build/dev/tests/support/hb-screenshots docs
#include "app/DarkAppearance.h"
#include "app/HuebenchApp.h"
#include "app/MainWindow.h"
#include "browser/LoopbackWebServer.h"
#include "common/Settings.h"
#include "platform/store/ModelStore.h"
#include "support/WebEngineTestSetup.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

struct Shot {
    std::optional<ToolId> tool;
    QString file;
};

const Shot kShots[] = {
    {std::nullopt, u"catalogue.png"_s},
    {ToolId::DadavezaRuz, u"pad.png"_s},
    {ToolId::DadavezaRuzServer, u"server.png"_s},
    {ToolId::MonitorCalibration, u"calibration.png"_s},
    {ToolId::MogrtToFusion, u"mogrt.png"_s},
    {ToolId::DocToSrt, u"doc2srt.png"_s},
    {ToolId::TextToFountain, u"fountain.png"_s},
    {ToolId::FeetFrames, u"footage.png"_s},
    {ToolId::ProjectPrepChecklist, u"prep.png"_s},
    {ToolId::BouncingMonitors, u"bouncing.png"_s},
    {ToolId::ColorInvaders, u"invaders.png"_s},
    {ToolId::YouTubeSearch, u"youtube-search.png"_s},
};

const char kSearchPage[] = R"(<!doctype html><html><head><title>Tutorials</title><style>
body { font-family: sans-serif; margin: 24px; background: #f4f4f6; color: #1d1d22; }
li { background: white; margin: 10px 0; padding: 14px; border-radius: 8px; list-style: none; }
small { color: #55556a; }
</style></head><body><h2>Results in this channel: “colour grading”</h2><ul>
<li>Primary corrections with lift, gamma and gain<br><small>12:40</small></li>
<li>Matching two cameras with the waveform<br><small>18:05</small></li>
<li>Building a node tree for a documentary look<br><small>24:31</small></li>
<li>Delivering for broadcast: legal levels<br><small>09:57</small></li>
</ul></body></html>)";

} // namespace

int main(int argc, char *argv[])
{
    prepareWebEngineForTests();
    QApplication application(argc, argv);
    applyDarkAppearance(application);
    QApplication::setOrganizationName(u"Huebench"_s);
    QApplication::setApplicationName(u"Huebench"_s);
    if (argc != 2) {
        std::fputs("usage: hb-screenshots FOLDER\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir home;
    auto store = ModelStore::open(home.filePath(u"store"_s));
    if (!store || !QDir().mkpath(out.path())) {
        std::fputs("hb-screenshots: no store or no output folder\n", stderr);
        return 1;
    }
    LoopbackWebServer site(QHostAddress(u"127.0.0.1"_s));
    site.setPage(u"/"_s, QString::fromUtf8(kSearchPage));
    auto settings = std::make_unique<Settings>(home.filePath(u"s.ini"_s));
    settings->setYoutubeSearchSiteUrl(site.origin() + u"/"_s);
    HuebenchApp app(std::move(*store), std::move(settings));
    app.window()->resize(MainWindow::kDefaultSize);
    app.show();
    if (!QTest::qWaitForWindowExposed(app.window()))
        return 1;
    for (const Shot &shot : kShots) {
        if (shot.tool)
            app.contentView()->choose(*shot.tool);
        QTest::qWait(1500); // screens that load or animate settle
        const QString path = out.filePath(shot.file);
        if (!app.window()->grab().save(path)) {
            std::fprintf(stderr, "hb-screenshots: could not write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
