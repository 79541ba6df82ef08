#include "app/DarkAppearance.h"
#include "app/HuebenchApp.h"
#include "app/HuebenchCommandLine.h"
#include "common/AppLifecycle.h"
#include "common/QuitOnSignals.h"

#include <QApplication>
#include <QSessionManager>

#include <cstdio>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("Huebench"));
    QApplication::setApplicationName(QStringLiteral("Huebench"));
    QApplication::setDesktopFileName(QStringLiteral(HB_APP_ID));
    QApplication::setApplicationVersion(QStringLiteral(HB_VERSION));
    if (const auto answered = hb::HuebenchCommandLine::answerEarly(
            argc, argv, QApplication::applicationVersion(), stdout, stderr))
        return *answered;
    // The tutorial browser's engine is loaded from a plugin only when its screen opens (the
    // graphics context it shares is made then too), but Chromium reads its sandbox setting from
    // the environment: as root it refuses to run sandboxed (rare on a desktop; running
    // unsandboxed is what such a user needs).
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication application(argc, argv);
    hb::applyDarkAppearance(application);

    auto huebench = hb::HuebenchApp::create();
    if (!huebench) {
        const QString line = hb::HuebenchApp::fatalStorePrefix() + huebench.error().description;
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        return 1;
    }
    // Work still waiting to be written is saved when the desktop session ends, on SIGTERM or
    // SIGINT (which then quit as the File menu would), and on every ordinary quit.
    auto saveNow = [] { hb::AppLifecycle::instance().requestSave(); };
    QObject::connect(&application, &QGuiApplication::commitDataRequest, saveNow);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, saveNow);
    hb::QuitOnSignals signals;
    QObject::connect(&signals, &hb::QuitOnSignals::received, &application, [saveNow] {
        saveNow();
        QApplication::quit();
    });
    (*huebench)->show();
    return application.exec();
}
