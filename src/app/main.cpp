#include "app/DarkAppearance.h"
#include "app/HuebenchApp.h"
#include "app/HuebenchCommandLine.h"
#include "browser/YouTubeSearchView.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("Huebench"));
    QApplication::setApplicationName(QStringLiteral("Huebench"));
    QApplication::setDesktopFileName(QStringLiteral(HB_APP_ID));
    QApplication::setApplicationVersion(QStringLiteral(HB_VERSION));
    if (const auto answered = hb::HuebenchCommandLine::answerEarly(
            argc, argv, QApplication::applicationVersion(), stdout, stderr))
        return *answered;
    hb::YouTubeSearchView::prepareApplication();
    QApplication application(argc, argv);
    hb::applyDarkAppearance(application);

    auto huebench = hb::HuebenchApp::create();
    if (!huebench) {
        const QString line = hb::HuebenchApp::fatalStorePrefix() + huebench.error().description;
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        return 1;
    }
    (*huebench)->show();
    return application.exec();
}
