#include "dadavezaruz-server/HeadlessServerOptions.h"

#include "common/CommandLineOutput.h"
#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/SystemServerPlatform.h"

#include <QCommandLineParser>
#include <QHostAddress>
#include <QStandardPaths>

namespace hb {

using namespace Qt::StringLiterals;

QString HeadlessServerOptions::usage()
{
    return u"Usage: huebench-server [options]\n"
           u"Serves DadavezaRuz pads without the Huebench window: each press becomes a keystroke\n"
           u"in DaVinci Resolve, OBS Studio or the frontmost application (X11).\n"
           u"\n"
           u"  --port N                 listen on TCP port N (default 58432)\n"
           u"  --command-key KEY        post the pad's cmd as control (default) or super\n"
           u"  --allow ADDRESS          serve the controller at ADDRESS on the local network\n"
           u"                           (repeatable; controllers on this machine are always "
           u"served)\n"
           u"  --trust-file FILE        read allowed addresses from FILE, one a line\n"
           u"                           (default %1)\n"
           u"  --quiet                  print no QR code (status lines only, e.g. for the "
           u"journal)\n"
           u"  -h, --help               show this text\n"
           u"  --version                show the program's name and version\n"
           u"\n"
           u"Status lines go to standard output, errors to standard error. It runs until\n"
           u"SIGINT (Ctrl+C) or SIGTERM.\n"
           u"\n"
           u"Exit status:\n"
           u"  0  stopped by SIGINT or SIGTERM (or --help, --version)\n"
           u"  1  the server cannot run or stops running (no usable X display, port in use,\n"
           u"     the display went away), or standard output could not be written\n"
           u"  2  usage error (an unknown option, a bad value, ...)\n"_s.arg(defaultTrustFile());
}

QString HeadlessServerOptions::defaultTrustFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/Huebench/huebench-server.allow";
}

std::variant<HeadlessServerOptions, QString>
HeadlessServerOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption versionOption(u"version"_s);
    const QCommandLineOption quietOption(u"quiet"_s);
    const QCommandLineOption portOption(u"port"_s, QString(), u"N"_s);
    const QCommandLineOption commandKeyOption(u"command-key"_s, QString(), u"KEY"_s);
    const QCommandLineOption allowOption(u"allow"_s, QString(), u"ADDRESS"_s);
    const QCommandLineOption trustFileOption(u"trust-file"_s, QString(), u"FILE"_s);
    parser.addOptions({helpOption, versionOption, quietOption, portOption, commandKeyOption,
                       allowOption, trustFileOption});

    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    HeadlessServerOptions options;
    const bool parsed =
        parser.parse(arguments.isEmpty() ? QStringList{u"huebench-server"_s} : arguments);
    options.help = parser.isSet(helpOption);
    if (options.help)
        return options; // help wins over anything else on the line
    if (!parsed)
        return CommandLineOutput::parseProblem(parser);
    if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty())
        return u"unexpected argument: "_s + extra.constFirst();
    options.version = parser.isSet(versionOption);
    options.quiet = parser.isSet(quietOption);
    if (parser.isSet(portOption)) {
        const QString value = parser.value(portOption);
        bool ok = false;
        const uint port = value.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return u"--port takes a number from 1 to 65535, not "_s + value;
        options.port = quint16(port);
    }
    if (parser.isSet(commandKeyOption)) {
        const QString value = parser.value(commandKeyOption);
        const std::optional<CommandKey> key = ServerSettings::parseCommandKey(value);
        if (!key)
            return u"--command-key takes control or super, not "_s + value;
        options.commandKey = *key;
        options.commandKeyGiven = true;
    }
    for (const QString &value : parser.values(allowOption)) {
        if (const std::optional<QString> problem = ControllerAccess::allowProblem(value))
            return u"--allow: "_s + *problem;
        options.allowed.append(ControllerAccess::addressText(QHostAddress(value.trimmed())));
    }
    if (parser.isSet(trustFileOption))
        options.trustFile = parser.value(trustFileOption);
    return options;
}

} // namespace hb
