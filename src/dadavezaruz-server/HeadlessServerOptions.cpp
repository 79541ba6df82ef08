#include "dadavezaruz-server/HeadlessServerOptions.h"

#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/SystemServerPlatform.h"

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
           u"\n"
           u"Status lines go to standard output, errors to standard error. The exit status is 1\n"
           u"when the server cannot run or stops running (no usable X display, port in use, the\n"
           u"display went away), 2 for a usage error.\n"_s.arg(defaultTrustFile());
}

QString HeadlessServerOptions::defaultTrustFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/Huebench/huebench-server.allow";
}

std::variant<HeadlessServerOptions, QString>
HeadlessServerOptions::parse(const QStringList &arguments)
{
    HeadlessServerOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"-h" || argument == u"--help") {
            options.help = true;
            continue;
        }
        if (argument == u"--quiet") {
            options.quiet = true;
            continue;
        }
        const bool takesValue = argument == u"--port" || argument == u"--command-key" ||
                                argument == u"--allow" || argument == u"--trust-file";
        if (!takesValue)
            return u"unknown option: "_s + argument;
        if (i + 1 >= arguments.size())
            return argument + u" needs a value"_s;
        const QString &value = arguments[++i];
        if (argument == u"--port") {
            bool ok = false;
            const uint port = value.toUInt(&ok);
            if (!ok || port == 0 || port > 65535)
                return u"--port takes a number from 1 to 65535, not "_s + value;
            options.port = quint16(port);
        } else if (argument == u"--command-key") {
            const std::optional<CommandKey> key = ServerSettings::parseCommandKey(value);
            if (!key)
                return u"--command-key takes control or super, not "_s + value;
            options.commandKey = *key;
            options.commandKeyGiven = true;
        } else if (argument == u"--allow") {
            if (const std::optional<QString> problem = ControllerAccess::allowProblem(value))
                return u"--allow: "_s + *problem;
            options.allowed.append(ControllerAccess::addressText(QHostAddress(value.trimmed())));
        } else {
            options.trustFile = value;
        }
    }
    return options;
}

} // namespace hb
