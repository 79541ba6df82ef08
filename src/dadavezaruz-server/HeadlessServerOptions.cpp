#include "dadavezaruz-server/HeadlessServerOptions.h"

#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/SystemServerPlatform.h"

#include <QHostAddress>
#include <QStandardPaths>

namespace hb {

QString HeadlessServerOptions::usage()
{
    return QStringLiteral(
        "Usage: huebench-server [options]\n"
        "Serves DadavezaRuz pads without the Huebench window: each press becomes a keystroke\n"
        "in DaVinci Resolve, OBS Studio or the frontmost application.\n"
        "\n"
        "  --port N                 listen on TCP port N (default 58432)\n"
        "  --command-key KEY        post the pad's cmd as control (default) or super\n"
        "  --allow ADDRESS          serve the controller at ADDRESS on the local network\n"
        "                           (repeatable; controllers on this machine are always served)\n"
        "  --trust-file FILE        read allowed addresses from FILE, one a line\n"
        "                           (default %1)\n"
        "  -h, --help               show this text\n")
        .arg(defaultTrustFile());
}

QString HeadlessServerOptions::defaultTrustFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/Huebench/huebench-server.allow";
}

std::variant<HeadlessServerOptions, QString> HeadlessServerOptions::parse(const QStringList &arguments)
{
    HeadlessServerOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"-h" || argument == u"--help") {
            options.help = true;
            continue;
        }
        const bool takesValue = argument == u"--port" || argument == u"--command-key" ||
                                argument == u"--allow" || argument == u"--trust-file";
        if (!takesValue)
            return QStringLiteral("unknown option: ") + argument;
        if (i + 1 >= arguments.size())
            return argument + QStringLiteral(" needs a value");
        const QString value = arguments[++i];
        if (argument == u"--port") {
            bool ok = false;
            const uint port = value.toUInt(&ok);
            if (!ok || port == 0 || port > 65535)
                return QStringLiteral("--port takes a number from 1 to 65535, not ") + value;
            options.port = quint16(port);
        } else if (argument == u"--command-key") {
            const std::optional<CommandKey> key = ServerSettings::parseCommandKey(value);
            if (!key)
                return QStringLiteral("--command-key takes control or super, not ") + value;
            options.commandKey = *key;
            options.commandKeyGiven = true;
        } else if (argument == u"--allow") {
            if (QHostAddress(value).isNull())
                return QStringLiteral("--allow takes an IP address, not ") + value;
            options.allowed.append(ControllerAccess::addressText(QHostAddress(value)));
        } else {
            options.trustFile = value;
        }
    }
    return options;
}

} // namespace hb
