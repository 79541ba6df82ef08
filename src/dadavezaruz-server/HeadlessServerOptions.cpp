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
           u"  --web-port N             serve the phone pad on port N (default 58433)\n"
           u"  --no-web                 do not serve the phone pad\n"
           u"  --pad-link               print the phone pad's pairing link and its QR code, "
           u"then exit\n"
           u"  --command-key KEY        post the pad's cmd as control (default) or super\n"
           u"  --allow ADDRESS          serve the controller at ADDRESS on the local network\n"
           u"                           (repeatable; controllers on this machine are always "
           u"served)\n"
           u"  --trust-file FILE        read allowed addresses from FILE, one a line\n"
           u"                           (default %1)\n"
           u"  --quiet                  print no QR code and no pairing link (status lines "
           u"only,\n"
           u"                           e.g. for the journal)\n"
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
    const QCommandLineOption webPortOption(u"web-port"_s, QString(), u"N"_s);
    const QCommandLineOption noWebOption(u"no-web"_s);
    const QCommandLineOption padLinkOption(u"pad-link"_s);
    const QCommandLineOption commandKeyOption(u"command-key"_s, QString(), u"KEY"_s);
    const QCommandLineOption allowOption(u"allow"_s, QString(), u"ADDRESS"_s);
    const QCommandLineOption trustFileOption(u"trust-file"_s, QString(), u"FILE"_s);
    parser.addOptions({helpOption, versionOption, quietOption, portOption, webPortOption,
                       noWebOption, padLinkOption, commandKeyOption, allowOption, trustFileOption});

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
    options.web = !parser.isSet(noWebOption);
    options.padLink = parser.isSet(padLinkOption);
    for (const auto &[option, port] :
         {std::pair{&portOption, &options.port}, std::pair{&webPortOption, &options.webPort}}) {
        if (!parser.isSet(*option))
            continue;
        const QString value = parser.value(*option);
        bool ok = false;
        const uint number = value.toUInt(&ok);
        if (!ok || number == 0 || number > 65535)
            return u"--"_s + option->names().constFirst() +
                   u" takes a number from 1 to 65535, not "_s + value;
        *port = quint16(number);
    }
    if (options.web && options.webPort == options.port)
        return u"--web-port must differ from --port ("_s + QString::number(options.port) + u')';
    if (options.padLink && !options.web)
        return u"--pad-link and --no-web exclude each other"_s;
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
