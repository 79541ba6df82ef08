#include "converters/DocToSRTCommand.h"

#include "common/AtomicFile.h"
#include "common/CommandLineOutput.h"
#include "converters/DocToSRTConverter.h"
#include "converters/DocToSRTImport.h"
#include "platform/documents/DocumentTextReader.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr char kUsage[] = "usage: huebench-convert doc2srt FILE... [-o DIR | -o -] [--force] "
                          "[--fps N] [--format srt|vtt]";
constexpr double kMaxFramesPerSecond = 120.0;
const QString kCommand = u"huebench-convert doc2srt"_s;
const QString kStandardInput = u"-"_s;

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

// The document on standard input, converted as DocToSRTImport converts a file.
Expected<DocToSRTResult> importStandardInput(const SubtitleOptions &options)
{
    QString problem;
    const std::optional<QByteArray> bytes =
        CommandLineOutput::readAll(stdin, DocToSRTImport::kMaxFileBytes, &problem);
    if (!bytes)
        return documentTextError(DocumentTextError::NotADocument,
                                 u"Standard input could not be read: "_s + problem);
    return DocToSRTImport::importBytes(*bytes, kStandardInput, options);
}

// The frame rate of --fps: a number above 0 and at most 120, decimals allowed (29.97).
std::optional<double> framesPerSecond(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value) || value <= 0 || value > kMaxFramesPerSecond)
        return std::nullopt;
    return value;
}

// "FILE:LINE: reason: line" for each timing line that gave no cue.
void printProblems(std::FILE *err, const QString &file, const QList<SubtitleProblem> &problems)
{
    for (const SubtitleProblem &problem : problems) {
        QString reason = problem.reason;
        if (reason.endsWith(u'.'))
            reason.chop(1);
        print(err, u"%1:%2: %3: %4"_s.arg(file).arg(problem.lineNumber).arg(reason, problem.text));
    }
}

} // namespace

QString docToSRTCommandHelp()
{
    return QString::fromLatin1(kUsage) +
           u"\n"
           u"Converts timed Word transcripts (.docx, .doc) into SubRip (or WebVTT) subtitles:\n"
           u"FILE.srt is written beside each FILE, or into DIR. A FILE of - reads one document\n"
           u"from standard input and writes its subtitles to standard output.\n"
           u"\n"
           u"  -o, --output DIR   write the subtitle files into DIR (made when missing); with\n"
           u"                     -o - the subtitles of the one FILE go to standard output\n"
           u"  -f, --force        replace a subtitle file that exists (it is kept otherwise)\n"
           u"  --fps N            the frame rate of HH:MM:SS:FF timing lines, above 0 and at\n"
           u"                     most 120 (default 24; 23.976, 25 and 29.97 are common)\n"
           u"  --format srt|vtt   write SubRip (FILE.srt, the default) or WebVTT (FILE.vtt)\n"
           u"  -h, --help         show this text\n"
           u"  --                 end of options: every later argument is a FILE\n"
           u"\n"
           u"A timing line is HH:MM:SS,mmm --> HH:MM:SS,mmm (or with frames, HH:MM:SS:FF), and\n"
           u"may start with its cue number; the text up to the next timing line is the cue's.\n"
           u"\n"
           u"Each file written is printed on standard output; each failure goes to standard\n"
           u"error with its reason, and so does each timing line that gave no cue, as\n"
           u"FILE:LINE: reason: line (LINE counted in the document's text).\n"
           u"\n"
           u"Exit status:\n"
           u"  0  every document was converted\n"
           u"  1  a document could not be read or converted, or a file or standard output\n"
           u"     could not be written\n"
           u"  2  usage error (an unknown option, no FILE, ...)\n"
           u"  3  a document had no timing lines (such as 00:00:01,000 --> 00:00:04,000), so\n"
           u"     no subtitles were written for it (1 wins when both happened)\n"_s;
}

int runDocToSRTCommand(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    const QCommandLineOption outputOption(QStringList{u"o"_s, u"output"_s}, QString(), u"DIR"_s);
    const QCommandLineOption forceOption(QStringList{u"f"_s, u"force"_s});
    const QCommandLineOption fpsOption(u"fps"_s, QString(), u"N"_s);
    const QCommandLineOption formatOption(u"format"_s, QString(), u"FORMAT"_s);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({outputOption, forceOption, fpsOption, formatOption, helpOption});
    const bool parsed = parser.parse(QStringList{kCommand} + arguments);
    if (parser.isSet(helpOption)) {
        std::fputs(docToSRTCommandHelp().toLocal8Bit().constData(), out);
        return 0;
    }
    if (!parsed) {
        const QString option = CommandLineOutput::optionMissingItsValue(parser);
        QString problem = CommandLineOutput::parseProblem(parser);
        if (option == u"-o"_s || option == u"--output"_s)
            problem = option + u" needs a folder, or - for the output"_s;
        else if (option == u"--fps"_s)
            problem = u"--fps needs a frame rate"_s;
        else if (option == u"--format"_s)
            problem = u"--format needs srt or vtt"_s;
        return usageError(err, problem);
    }

    SubtitleOptions options;
    if (parser.isSet(fpsOption)) {
        const std::optional<double> fps = framesPerSecond(parser.value(fpsOption));
        if (!fps)
            return usageError(err, u"--fps takes a frame rate above 0 and at most 120, such as "
                                   u"25 or 29.97, not \u201C"_s +
                                       parser.value(fpsOption) + u"\u201D"_s);
        options.framesPerSecond = *fps;
    }
    SubtitleFormat format = SubtitleFormat::SubRip;
    if (parser.isSet(formatOption)) {
        const QString name = parser.value(formatOption).toLower();
        if (name == u"vtt"_s)
            format = SubtitleFormat::WebVTT;
        else if (name != u"srt"_s)
            return usageError(err, u"--format takes srt or vtt, not \u201C"_s +
                                       parser.value(formatOption) + u"\u201D"_s);
    }
    const QString extension = format == SubtitleFormat::WebVTT ? u".vtt"_s : u".srt"_s;

    const QStringList files = parser.positionalArguments();
    const std::optional<QString> outputFolder =
        parser.isSet(outputOption) ? std::optional(parser.value(outputOption)) : std::nullopt;
    const bool force = parser.isSet(forceOption);
    const bool fromInput = files.contains(kStandardInput);
    const bool toOutput = outputFolder == kStandardInput || fromInput;
    if (files.isEmpty())
        return usageError(err, u"no FILE given"_s);
    if (toOutput && files.size() > 1)
        return usageError(err, u"-o - and a FILE of - take one FILE"_s);
    if (fromInput && outputFolder && *outputFolder != kStandardInput)
        return usageError(err, u"the subtitles of - (standard input) go to standard output"_s);
    if (outputFolder && !toOutput && !QDir().mkpath(*outputFolder)) {
        print(err, kCommand + u": the folder \u201C"_s + *outputFolder +
                       u"\u201D could not be created"_s);
        return 1;
    }

    int status = 0;
    bool noTimingLines = false;
    for (const QString &file : files) {
        const Expected<DocToSRTResult> result = file == kStandardInput
                                                    ? importStandardInput(options)
                                                    : DocToSRTImport::importFile(file, options);
        if (!result) {
            print(err, file + u": "_s + result.error().description);
            status = 1;
            continue;
        }
        printProblems(err, file, result->cues.problems);
        if (result->cueCount == 0) {
            if (result->cues.problems.isEmpty())
                print(err, file + u": no timing lines (such as \u201C00:00:01,000 --> "
                                  u"00:00:04,000\u201D) were found; no subtitles were written"_s);
            else
                print(err, file + u": no timing line gave a cue; no subtitles were written"_s);
            noTimingLines = true;
            continue;
        }
        const QByteArray srt =
            (format == SubtitleFormat::WebVTT ? DocToSRTConverter::renderWebVTT(result->cues.cues)
                                              : result->srt)
                .toUtf8();
        if (toOutput) {
            std::fwrite(srt.constData(), 1, size_t(srt.size()), out);
            continue;
        }
        const QFileInfo input(file);
        const QString folder = outputFolder ? *outputFolder : input.absolutePath();
        const QString target = QDir(folder).filePath(input.completeBaseName() + extension);
        if (!force && QFileInfo::exists(target)) {
            print(err, target + u": exists; kept as it is (--force replaces it)"_s);
            status = 1;
            continue;
        }
        if (const Expected<Done> written = writeFileAtomically(target, srt); !written) {
            print(err, target + u": "_s + written.error().description);
            status = 1;
            continue;
        }
        print(out, QDir::toNativeSeparators(target));
    }
    return status == 0 && noTimingLines ? kDocToSRTNoTimingLines : status;
}

} // namespace hb
