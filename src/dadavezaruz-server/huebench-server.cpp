// huebench-server: the shortcut server without a window, for editing machines that do not keep
// Huebench open. It runs until SIGINT or SIGTERM, or until it cannot serve any more (exit 1).
#include "common/CommandLineOutput.h"
#include "common/QuitOnSignals.h"
#include "common/Settings.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/HeadlessServer.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TrustedControllers.h"

#include <QCoreApplication>

#include <cstdio>

using namespace hb;

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Huebench"));
    QCoreApplication::setApplicationName(QStringLiteral("Huebench"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HB_VERSION));
    QCoreApplication application(argc, argv);
    const QString program = QStringLiteral("huebench-server");

    const auto parsed = HeadlessServerOptions::parse(QCoreApplication::arguments());
    if (const QString *problem = std::get_if<QString>(&parsed)) {
        std::fprintf(stderr, "huebench-server: %s\n\n%s", qPrintable(*problem),
                     qPrintable(HeadlessServerOptions::usage()));
        return 2;
    }
    const HeadlessServerOptions &options = *std::get_if<HeadlessServerOptions>(&parsed);
    if (options.help || options.version) {
        const QString text = options.help
                                 ? HeadlessServerOptions::usage()
                                 : program + u' ' + QCoreApplication::applicationVersion() + u'\n';
        std::fputs(qPrintable(text), stdout);
        return CommandLineOutput::finish(stdout, stderr, program, 0);
    }

    QStringList problems;
    const QStringList allowed = HeadlessServer::allowedAddresses(options, &problems);
    for (const QString &problem : problems)
        std::fprintf(stderr, "huebench-server: %s\n", qPrintable(problem));

    const CommandKey commandKey =
        options.commandKeyGiven ? options.commandKey : ServerSettings::commandKey(Settings());
    // NOLINTNEXTLINE(performance-no-automatic-move): each load gets its own copy
    auto *trusted = new TrustedControllers([allowed] { return allowed; }, {});
    HeadlessServer headless(options, std::make_unique<DadavezaRuzServer>(
                                         systemServerPlatform(commandKey), trusted, options.port,
                                         HeadlessServer::serverOptions(options)));
    QuitOnSignals signals;
    QObject::connect(&signals, &QuitOnSignals::received, &application, &QCoreApplication::quit);
    QObject::connect(&headless, &HeadlessServer::failed, &application,
                     [] { QCoreApplication::exit(1); });
    headless.start();
    const int status = QCoreApplication::exec();
    headless.stop();
    return CommandLineOutput::finish(stdout, stderr, program, status);
}
