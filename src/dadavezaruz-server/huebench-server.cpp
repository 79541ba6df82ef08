// huebench-server: the shortcut server without a window, for editing machines that do not keep
// Huebench open. It runs until SIGINT or SIGTERM, or until it cannot serve any more (exit 1).
#include "common/CommandLineOutput.h"
#include "common/QuitOnSignals.h"
#include "common/Settings.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/HeadlessServer.h"
#include "dadavezaruz-server/SystemServerPlatform.h"
#include "dadavezaruz-server/TerminalQrCode.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "platform/netif/LocalAddress.h"
#include "platform/store/ModelStore.h"

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

    Settings settings;
    const QString secret = ServerSettings::webPadSecret(settings);
    if (options.padLink) {
        // The link of a server running with the same ports, for a phone to scan.
        const std::optional<QString> address = localIPv4Address();
        if (!address) {
            std::fputs("huebench-server: this machine has no local network address\n", stderr);
            return 1;
        }
        const QString link =
            DadavezaRuzServer::webPadLink(*address, options.webPort, secret, options.port);
        std::fputs(
            qPrintable(QStringLiteral("Phone pad: ") + link + u'\n' + terminalQrCode(link) + u'\n'),
            stdout);
        return CommandLineOutput::finish(stdout, stderr, program, 0);
    }

    QStringList problems;
    const QStringList allowed = HeadlessServer::allowedAddresses(options, &problems);
    for (const QString &problem : problems)
        std::fprintf(stderr, "huebench-server: %s\n", qPrintable(problem));

    const CommandKey commandKey =
        options.commandKeyGiven ? options.commandKey : ServerSettings::commandKey(settings);
    // NOLINTNEXTLINE(performance-no-automatic-move): each load gets its own copy
    auto *trusted = new TrustedControllers([allowed] { return allowed; }, {});
    // The phones show the pages of the pad on this machine.
    std::unique_ptr<ModelStore> store;
    if (options.web) {
        auto opened = ModelStore::openDefault();
        if (opened)
            store = std::move(*opened);
        else
            std::fprintf(stderr, "huebench-server: the phone pad shows no pages: %s\n",
                         qPrintable(opened.error().description));
    }
    DadavezaRuzServerOptions serverOptions = HeadlessServer::serverOptions(options);
    serverOptions.webPadSecret = secret;
    serverOptions.newWebPadSecret = [] {
        Settings kept;
        return ServerSettings::replaceWebPadSecret(kept);
    };
    HeadlessServer headless(
        options, std::make_unique<DadavezaRuzServer>(systemServerPlatform(commandKey), trusted,
                                                     options.port, std::move(serverOptions)));
    if (store)
        headless.server().followPadPages(*store);
    QuitOnSignals signals;
    QObject::connect(&signals, &QuitOnSignals::received, &application, &QCoreApplication::quit);
    QObject::connect(&headless, &HeadlessServer::failed, &application,
                     [] { QCoreApplication::exit(1); });
    headless.start();
    const int status = QCoreApplication::exec();
    headless.stop();
    return CommandLineOutput::finish(stdout, stderr, program, status);
}
