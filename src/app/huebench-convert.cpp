// huebench-convert: the file conversions of Huebench, without its window.
//
//   huebench-convert mogrt FILE... [-o DIR | -o -]     templates to Fusion macros
//   huebench-convert doc2srt FILE... [-o DIR | -o -]   Word transcripts to SubRip subtitles
//   huebench-convert pad-export -o FILE [--page NAME]  the pad's pages to a layout file
//   huebench-convert pad-import FILE                   a layout file's pages into the pad
//
// Options before the command are the program's own (--help, --version); everything after it
// belongs to the command.

#include "common/CommandLineOutput.h"
#include "converters/DocToSRTCommand.h"
#include "dadavezaruz/PadLayoutCommand.h"
#include "mogrt/MogrtConvertCommand.h"
#include "mogrt/MogrtLibrary.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QString kProgram = u"huebench-convert"_s;

constexpr char kUsage[] = "usage: huebench-convert mogrt FILE... [-o DIR | -o -]\n"
                          "       huebench-convert doc2srt FILE... [-o DIR | -o -] [--force]\n"
                          "       huebench-convert pad-export -o FILE [--page NAME]\n"
                          "       huebench-convert pad-import FILE\n"
                          "       huebench-convert [COMMAND] --help | --version\n";

constexpr char kHelp[] =
    "The file conversions of Huebench, without its window.\n"
    "\n"
    "Commands:\n"
    "  mogrt       motion-graphics templates (.mogrt) to Fusion macros (.setting)\n"
    "  doc2srt     timed Word transcripts (.docx, .doc) to SubRip subtitles (.srt)\n"
    "  pad-export  the pad's pages, buttons and images to a layout file (.huebenchpad)\n"
    "  pad-import  a layout file's pages into the pad, after its own pages\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this text; after a COMMAND, that command's options\n"
    "  --version    show the program's name and version\n"
    "\n"
    "A FILE of - is read from standard input; -o - writes to standard output. Errors go to\n"
    "standard error.\n"
    "\n"
    "Exit status:\n"
    "  0  every file was converted\n"
    "  1  a file could not be read, converted or written (standard output included)\n"
    "  2  usage error (an unknown command or option, no FILE, ...)\n"
    "  3  doc2srt: a document had no timing lines, so no subtitles were written for it\n";

int run(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Options after the command are the command's.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    const QCommandLineOption versionOption(u"version"_s);
    parser.addOptions({helpOption, versionOption});
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(helpOption)) {
        std::fputs(kUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (!parsed) {
        hb::CommandLineOutput::printLine(stderr, kProgram + u": "_s +
                                                     hb::CommandLineOutput::parseProblem(parser));
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (parser.isSet(versionOption)) {
        hb::CommandLineOutput::printLine(stdout,
                                         kProgram + u' ' + QCoreApplication::applicationVersion());
        return 0;
    }
    QStringList commandLine = parser.positionalArguments();
    if (commandLine.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const QString command = commandLine.takeFirst();
    if (command == u"mogrt")
        return hb::runMogrtConvertCommand(commandLine, hb::MogrtLibrary(), stdout, stderr);
    if (command == u"doc2srt")
        return hb::runDocToSRTCommand(commandLine, stdout, stderr);
    if (command == u"pad-export")
        return hb::runPadExportCommand(commandLine, stdout, stderr);
    if (command == u"pad-import")
        return hb::runPadImportCommand(commandLine, stdout, stderr);
    std::fprintf(stderr, "huebench-convert: unknown command \"%s\"\n%s",
                 command.toLocal8Bit().constData(), kUsage);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Huebench"));
    QCoreApplication::setApplicationName(QStringLiteral("Huebench"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HB_VERSION));
    const QCoreApplication application(argc, argv);
    const int status = run(QCoreApplication::arguments());
    return hb::CommandLineOutput::finish(stdout, stderr, kProgram, status);
}
