#include "converters/DocToSRTCommand.h"

#include "common/AtomicFile.h"
#include "converters/DocToSRTImport.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr char kUsage[] = "usage: huebench-convert doc2srt FILE... [-o DIR | -o -] [--force]";

void print(std::FILE *stream, const QString &line)
{
    std::fputs((line + u'\n').toLocal8Bit().constData(), stream);
}

} // namespace

int runDocToSRTCommand(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QStringList files;
    std::optional<QString> outputFolder;
    bool force = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"-o" || argument == u"--output") {
            if (i + 1 >= arguments.size()) {
                print(err, u"huebench-convert doc2srt: -o needs a folder, or - for the output"_s);
                return 2;
            }
            outputFolder = arguments[++i];
        } else if (argument == u"-f" || argument == u"--force") {
            force = true;
        } else {
            files.append(argument);
        }
    }
    const bool toOutput = outputFolder == u"-"_s;
    if (files.isEmpty() || (toOutput && files.size() > 1)) {
        print(err, QString::fromLatin1(kUsage));
        return 2;
    }
    if (outputFolder && !toOutput && !QDir().mkpath(*outputFolder)) {
        print(err, u"huebench-convert doc2srt: the folder \u201C"_s + *outputFolder +
                       u"\u201D could not be created"_s);
        return 1;
    }

    int status = 0;
    for (const QString &file : std::as_const(files)) {
        const Expected<DocToSRTResult> result = DocToSRTImport::importFile(file);
        if (!result) {
            print(err, file + u": "_s + result.error().description);
            status = 1;
            continue;
        }
        const QByteArray srt = result->srt.toUtf8();
        if (toOutput) {
            std::fwrite(srt.constData(), 1, size_t(srt.size()), out);
            continue;
        }
        const QFileInfo input(file);
        const QString folder = outputFolder ? *outputFolder : input.absolutePath();
        const QString target = QDir(folder).filePath(input.completeBaseName() + u".srt"_s);
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
    return status;
}

} // namespace hb
