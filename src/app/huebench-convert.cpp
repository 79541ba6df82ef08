// huebench-convert: the file conversions of Huebench, without its window.
//
//   huebench-convert mogrt FILE... [-o DIR]     templates to Fusion macros (default: the library)
//   huebench-convert doc2srt FILE... [-o DIR]   Word transcripts to SubRip subtitles

#include "converters/DocToSRTCommand.h"
#include "mogrt/MogrtConvertCommand.h"
#include "mogrt/MogrtLibrary.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

constexpr char kUsage[] = "usage: huebench-convert mogrt FILE... [-o DIR]\n"
                          "       huebench-convert doc2srt FILE... [-o DIR | -o -] [--force]\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Huebench"));
    QCoreApplication::setApplicationName(QStringLiteral("Huebench"));
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.first() == u"-h" || arguments.first() == u"--help") {
        std::fputs(kUsage, arguments.isEmpty() ? stderr : stdout);
        return arguments.isEmpty() ? 2 : 0;
    }
    const QString command = arguments.takeFirst();
    if (command == u"mogrt")
        return hb::runMogrtConvertCommand(arguments, hb::MogrtLibrary(), stdout, stderr);
    if (command == u"doc2srt")
        return hb::runDocToSRTCommand(arguments, stdout, stderr);
    std::fprintf(stderr, "huebench-convert: unknown command \"%s\"\n%s",
                 command.toLocal8Bit().constData(), kUsage);
    return 2;
}
