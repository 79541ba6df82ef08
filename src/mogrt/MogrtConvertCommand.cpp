#include "mogrt/MogrtConvertCommand.h"

#include "common/CommandLineOutput.h"
#include "mogrt/MogrtConverter.h"
#include "mogrt/MogrtLibrary.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr char kUsage[] = "usage: huebench-convert mogrt FILE... [-o DIR | -o -]";
const QString kCommand = u"huebench-convert mogrt"_s;
const QString kStandardInput = u"-"_s;
// The name of a template read from standard input.
const QString kStandardInputName = u"Template.mogrt"_s;

void print(std::FILE *stream, const QString &line)
{
    CommandLineOutput::printLine(stream, line);
}

int usageError(std::FILE *err, const QString &problem)
{
    print(err, kCommand + u": "_s + problem);
    print(err, QString::fromLatin1(kUsage));
    return 2;
}

// Standard input, saved as kStandardInputName in `folder`; gives the file's path.
Expected<QString> saveStandardInput(const QTemporaryDir &folder)
{
    const auto failed = [](const QString &reason) {
        return Error::make(MogrtConverterError::FileSystem,
                           u"Standard input could not be read: "_s + reason);
    };
    if (!folder.isValid())
        return failed(folder.errorString());
    QString problem;
    const std::optional<QByteArray> bytes =
        CommandLineOutput::readAll(stdin, ArchiveLimits().maxTotalBytes, &problem);
    if (!bytes)
        return failed(problem);
    QFile file(folder.filePath(kStandardInputName));
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.flush())
        return failed(file.errorString());
    return file.fileName();
}

} // namespace

QString mogrtConvertCommandHelp()
{
    return QString::fromLatin1(kUsage) +
           u"\n"
           u"Converts motion-graphics templates (.mogrt) into Fusion macros (.setting) named\n"
           u"after each FILE: into the template library (the folder MogrtToFusion of your\n"
           u"Documents folder) or into DIR, numbering a name that is taken (\"Title 2\"). A FILE\n"
           u"of - reads one template from standard input; its macro is named \"Template\".\n"
           u"\n"
           u"  -o, --output DIR   write the macros into DIR (made when missing); with -o - the\n"
           u"                     macro of the one FILE goes to standard output\n"
           u"  -h, --help         show this text\n"
           u"  --                 end of options: every later argument is a FILE\n"
           u"\n"
           u"Each file written is printed on standard output; each failure goes to standard\n"
           u"error with its reason. A template with no known control still gives a macro\n"
           u"(the default title and box), with the warning \"No known controls found; the\n"
           u"macro uses defaults\" on standard error.\n"
           u"\n"
           u"Exit status:\n"
           u"  0  every template was converted (with or without warnings)\n"
           u"  1  a template could not be read or converted, or a file or standard output\n"
           u"     could not be written\n"
           u"  2  usage error (an unknown option, no FILE, ...)\n"_s;
}

int runMogrtConvertCommand(const QStringList &arguments, const MogrtLibrary &defaultLibrary,
                           std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    const QCommandLineOption outputOption(QStringList{u"o"_s, u"output"_s}, QString(), u"DIR"_s);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({outputOption, helpOption});
    const bool parsed = parser.parse(QStringList{kCommand} + arguments);
    if (parser.isSet(helpOption)) {
        std::fputs(mogrtConvertCommandHelp().toLocal8Bit().constData(), out);
        return 0;
    }
    if (!parsed) {
        const QString option = CommandLineOutput::optionMissingItsValue(parser);
        return usageError(err, !option.isEmpty() ? option + u" needs a folder"_s
                                                 : CommandLineOutput::parseProblem(parser));
    }
    const QStringList files = parser.positionalArguments();
    const std::optional<QString> outputFolder =
        parser.isSet(outputOption) ? std::optional(parser.value(outputOption)) : std::nullopt;
    const bool toOutput = outputFolder == kStandardInput;
    if (files.isEmpty())
        return usageError(err, u"no FILE given"_s);
    if (toOutput && files.size() > 1)
        return usageError(err, u"-o - takes one FILE"_s);
    if (files.count(kStandardInput) > 1)
        return usageError(err, u"standard input (-) can be read once"_s);

    const MogrtLibrary library =
        outputFolder && !toOutput ? MogrtLibrary([folder = *outputFolder]() -> Expected<QString> {
            if (!QDir().mkpath(folder))
                return Error::make(MogrtLibraryError::FolderUnavailable,
                                   u"The folder \u201C"_s + folder +
                                       u"\u201D could not be created."_s);
            return folder;
        })
                                  : defaultLibrary;
    const QTemporaryDir inputFolder;
    int status = 0;
    for (const QString &file : files) {
        const Expected<QString> source =
            file == kStandardInput ? saveStandardInput(inputFolder) : Expected<QString>(file);
        MogrtConversionNotes notes;
        const Expected<QString> macro =
            source ? convertMogrt(*source, {}, &notes) : Expected<QString>(source.error());
        if (!macro) {
            print(err, file + u": "_s + macro.error().description);
            status = 1;
            continue;
        }
        if (notes.recognisedControls == 0)
            print(err, file + u": warning: "_s + noKnownControlsText() +
                           u" (the template has no control such as \u201CSource Text\u201D or "
                           u"\u201CBox Color\u201D)"_s);
        if (toOutput) {
            const QByteArray text = macro->toUtf8();
            std::fwrite(text.constData(), 1, size_t(text.size()), out);
            continue;
        }
        const QString name = QFileInfo(*source).completeBaseName();
        const Expected<QString> stored = library.store(name, *macro);
        if (!stored) {
            print(err, file + u": "_s + stored.error().description);
            status = 1;
            continue;
        }
        print(out, QDir::toNativeSeparators(*stored));
    }
    return status;
}

} // namespace hb
