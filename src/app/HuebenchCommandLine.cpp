#include "app/HuebenchCommandLine.h"

#include "common/CommandLineOutput.h"

#include <QCommandLineParser>
#include <QStringList>

namespace hb {

using namespace Qt::StringLiterals;

QString HuebenchCommandLine::help()
{
    return u"Usage: huebench [--help | --version] [Qt options]\n"
           u"Opens the Huebench window: the toolkit for colourists and editors.\n"
           u"\n"
           u"  -h, --help   show this text\n"
           u"  --version    show the program's name and version\n"
           u"\n"
           u"Qt's own options are understood as well, e.g. -platform offscreen or -style fusion.\n"
           u"The conversions have their own program, huebench-convert, and the shortcut server\n"
           u"without a window is huebench-server.\n"
           u"\n"
           u"Exit status:\n"
           u"  0  the window was closed (or --help, --version)\n"
           u"  1  the data store could not be opened, or no display could be used\n"_s;
}

std::optional<int> HuebenchCommandLine::answerEarly(int argc, const char *const *argv,
                                                    const QString &version, std::FILE *out,
                                                    std::FILE *err)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (arguments.isEmpty())
        return std::nullopt;

    QCommandLineParser parser;
    // Qt's options are single words after one dash ("-platform"): never letters to split up.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption versionOption(u"version"_s);
    parser.addOptions({helpOption, versionOption});
    // Qt's options are unknown here; they are not errors.
    static_cast<void>(parser.parse(arguments));

    const QString program = u"huebench"_s;
    if (parser.isSet(helpOption)) {
        std::fputs(help().toLocal8Bit().constData(), out);
        return CommandLineOutput::finish(out, err, program, 0);
    }
    if (parser.isSet(versionOption)) {
        CommandLineOutput::printLine(out, program + u' ' + version);
        return CommandLineOutput::finish(out, err, program, 0);
    }
    return std::nullopt;
}

} // namespace hb
