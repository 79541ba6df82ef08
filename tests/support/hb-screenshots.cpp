// hb-screenshots FOLDER: the README's and the metainfo's pictures of each screen, taken from
// this build at the default window size with an empty store (the pad's default pages). The
// tutorial browser shows a page served on loopback: nothing leaves this machine.
//   scripts/test-env build/dev/tests/support/hb-screenshots docs
#include "app/DarkAppearance.h"
#include "app/HuebenchApp.h"
#include "app/MainWindow.h"
#include "browser/LoopbackWebServer.h"
#include "calibration/MonitorCalibrationView.h"
#include "common/Settings.h"
#include "platform/store/ModelStore.h"
#include "support/WebEngineTestSetup.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstdio>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

struct Shot {
    std::optional<ToolId> tool;
    QString file;
    void (*prepare)(QWidget *window) = nullptr;
};

// Measure mode after Measure All on a display a little darker than gamma 2.2 in the shadows,
// read by a meter on loopback, with the 18 % window of a light grey on screen.
void measureRun(QWidget *window)
{
    auto *view = window->findChild<MonitorCalibrationView *>();
    view->setMeasureMode(true);
    auto *area = view->findChild<QComboBox *>(u"patchArea"_s);
    area->setCurrentIndex(1);
    Q_EMIT area->activated(1);

    MonitorCalibrationHostNetworking &host = view->networking();
    auto *meter = new QTcpSocket(window); // stays connected for the picture
    if (!QTest::qWaitFor([&host] { return host.listeningPort() != 0; }))
        return;
    meter->connectToHost(QHostAddress::LocalHost, host.listeningPort());
    if (!meter->waitForConnected(5000) ||
        !QTest::qWaitFor([&host] { return host.statusText() == u"Connection: ready"_s; }))
        return;
    if (const auto hello = encodeFrame(
            MonitorCalibrationHelloPayload{MonitorCalibrationRole::Meter, u"Desk Meter"_s, {}}))
        meter->write(*hello);
    QObject::connect(meter, &QTcpSocket::readyRead, meter, [meter] {
        while (meter->canReadLine()) {
            const QByteArray line = meter->readLine().trimmed();
            const auto envelope = decodeEnvelope(line);
            const auto payload =
                envelope ? decodePayload(envelope->type, envelope->payload) : envelope.error();
            if (!payload || !std::holds_alternative<MonitorCalibrationShowPatchPayload>(*payload))
                continue;
            const MonitorCalibrationPatch patch =
                std::get<MonitorCalibrationShowPatchPayload>(*payload).patch;
            const auto light = [](double level) {
                return 0.05 + 119.95 * std::pow(level, 2.2 + 0.25 * (1 - level));
            };
            if (const auto reading = encodeFrame(MonitorCalibrationMeasurementPayload{
                    light(patch.r), light(patch.g), light(patch.b), 0.002, 1.0 / 60, 200}))
                meter->write(*reading);
        }
    });
    QTest::qWait(300); // the first patch is answered
    MonitorCalibrationMeasureRun &run = view->measureRun();
    run.measureAll();
    if (!QTest::qWaitFor([&run] { return !run.isRunning(); }, 20000))
        std::fputs("hb-screenshots: the measure run did not finish\n", stderr);
    run.showPatch(17);
}

const Shot kShots[] = {
    {std::nullopt, u"catalogue.png"_s},
    {ToolId::DadavezaRuz, u"pad.png"_s},
    {ToolId::DadavezaRuzServer, u"server.png"_s},
    {ToolId::MonitorCalibration, u"calibration.png"_s},
    {ToolId::MonitorCalibration, u"calibration-measure.png"_s, measureRun},
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
#ifdef HB_BROWSER_PLUGIN_DIR
    qputenv("HUEBENCH_PLUGIN_PATH", HB_BROWSER_PLUGIN_DIR);
#endif
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
        if (shot.prepare)
            shot.prepare(app.window());
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
