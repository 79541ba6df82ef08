#include "app/DarkAppearance.h"
#include "app/HuebenchApp.h"
#include "browser/YouTubeSearchView.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication::setOrganizationName(QStringLiteral("Huebench"));
    QApplication::setApplicationName(QStringLiteral("Huebench"));
    QApplication::setDesktopFileName(QStringLiteral("huebench"));
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
