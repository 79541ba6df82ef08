#include "mogrt/MogrtConvertCommand.h"

#include "mogrt/MogrtImport.h"
#include "mogrt/MogrtLibrary.h"

#include <QDir>
#include <QFileInfo>

namespace hb {
namespace {

void print(std::FILE *stream, const QString &line)
{
    std::fputs((line + u'\n').toLocal8Bit().constData(), stream);
}

} // namespace

int runMogrtConvertCommand(const QStringList &arguments, const MogrtLibrary &defaultLibrary,
                           std::FILE *out, std::FILE *err)
{
    QStringList files;
    std::optional<QString> outputFolder;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == u"-o" || argument == u"--output") {
            if (i + 1 >= arguments.size()) {
                print(err, QStringLiteral("huebench-convert mogrt: -o needs a folder"));
                return 2;
            }
            outputFolder = arguments[++i];
        } else {
            files.append(argument);
        }
    }
    if (files.isEmpty()) {
        print(err, QStringLiteral("usage: huebench-convert mogrt FILE... [-o DIR]"));
        return 2;
    }

    const MogrtLibrary library =
        outputFolder ? MogrtLibrary([folder = *outputFolder]() -> Expected<QString> {
            if (!QDir().mkpath(folder))
                return Error::make(MogrtLibraryError::FolderUnavailable,
                                   u"The folder \u201C" + folder + u"\u201D could not be created.");
            return folder;
        })
                     : defaultLibrary;
    int status = 0;
    for (const QString &file : std::as_const(files)) {
        const auto stored = importMogrt(file, library);
        if (stored) {
            print(out, QDir::toNativeSeparators(*stored));
        } else {
            print(err, file + u": " + stored.error().description);
            status = 1;
        }
    }
    return status;
}

} // namespace hb
