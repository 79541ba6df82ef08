#include "dadavezaruz/PadLayoutCommand.h"

#include "common/AtomicFile.h"
#include "common/CommandLineOutput.h"
#include "common/TextHelpers.h"
#include "dadavezaruz/PadLayoutFile.h"
#include "dadavezaruz/PadLayoutTransfer.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/store/ModelStore.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr char kExportUsage[] = "usage: huebench-convert pad-export -o FILE [--page NAME]";
constexpr char kImportUsage[] = "usage: huebench-convert pad-import FILE";
const QString kExportCommand = u"huebench-convert pad-export"_s;
const QString kImportCommand = u"huebench-convert pad-import"_s;

void print(std::FILE *stream, const QString &line)
{
    CommandLineOutput::printLine(stream, line);
}

int usageError(std::FILE *err, const QString &command, const char *usage, const QString &problem)
{
    print(err, command + u": "_s + problem);
    print(err, QString::fromLatin1(usage));
    return 2;
}

int failure(std::FILE *err, const QString &command, const QString &problem)
{
    print(err, command + u": "_s + problem);
    return 1;
}

QString pageCount(qsizetype count)
{
    return count == 1 ? u"1 page"_s : u"%1 pages"_s.arg(count);
}

Expected<std::unique_ptr<ModelStore>> openStore()
{
    auto store = ModelStore::openDefault();
    if (!store)
        return Error{store.error().domain, store.error().code,
                     u"the pad\u2019s store could not be opened: "_s + store.error().description};
    return store;
}

// The file's bytes, refused unread when it is larger than any layout file.
Expected<QByteArray> readLayoutFile(const QString &path)
{
    QFile file(path);
    const auto tooLarge = [] {
        return Error::make(PadLayoutFileError::TooLarge,
                           u"The file is larger than 200 MB; no pad layout is that large."_s);
    };
    if (QFileInfo(file).size() > PadLayoutFile::kMaxFileBytes)
        return tooLarge();
    if (!file.open(QIODevice::ReadOnly))
        return Error::make(PadLayoutFileError::NotJson,
                           u"The file could not be read: "_s + file.errorString());
    // One byte past the limit tells a file that grew since it was measured.
    QByteArray bytes = file.read(PadLayoutFile::kMaxFileBytes + 1);
    if (bytes.size() > PadLayoutFile::kMaxFileBytes)
        return tooLarge();
    return bytes;
}

} // namespace

QString padExportCommandHelp()
{
    return QString::fromLatin1(kExportUsage) +
           u"\n"
           u"Writes the pages of the pad, with their buttons and images, into a pad layout\n"
           u"file (.huebenchpad) that \"huebench-convert pad-import\" or another computer's\n"
           u"Huebench can import.\n"
           u"\n"
           u"  -o, --output FILE  the file to write (replaced whole when it exists)\n"
           u"  --page NAME        only the page named NAME (the first, when several are)\n"
           u"  -h, --help         show this text\n"
           u"\n"
           u"Exit status: 0 written, 1 the store could not be read or the file written,\n"
           u"2 usage error.\n"_s;
}

QString padImportCommandHelp()
{
    return QString::fromLatin1(kImportUsage) +
           u"\n"
           u"Adds the pages of a pad layout file (.huebenchpad) after the pages of the pad.\n"
           u"A page whose name is taken gets \" 2\", \" 3\", ... after it; no page is replaced.\n"
           u"All pages are imported or, when the file is refused, none.\n"
           u"\n"
           u"  -h, --help   show this text\n"
           u"\n"
           u"Exit status: 0 imported, 1 the file was refused or the store could not be\n"
           u"written, 2 usage error.\n"_s;
}

int runPadExportCommand(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    const QCommandLineOption outputOption(QStringList{u"o"_s, u"output"_s}, QString(), u"FILE"_s);
    const QCommandLineOption pageOption(u"page"_s, QString(), u"NAME"_s);
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    parser.addOptions({outputOption, pageOption, helpOption});
    const bool parsed = parser.parse(QStringList{kExportCommand} + arguments);
    if (parser.isSet(helpOption)) {
        std::fputs(padExportCommandHelp().toLocal8Bit().constData(), out);
        return 0;
    }
    if (!parsed)
        return usageError(err, kExportCommand, kExportUsage,
                          CommandLineOutput::parseProblem(parser));
    if (!parser.positionalArguments().isEmpty())
        return usageError(err, kExportCommand, kExportUsage,
                          u"unexpected argument "_s + inQuotes(parser.positionalArguments()[0]));
    if (!parser.isSet(outputOption) || parser.value(outputOption).isEmpty())
        return usageError(err, kExportCommand, kExportUsage, u"-o FILE is needed"_s);
    const QString target = parser.value(outputOption);

    const auto store = openStore();
    if (!store)
        return failure(err, kExportCommand, store.error().description);
    const ShortcutPad pad(**store);
    std::optional<qint64> onlyPage;
    if (parser.isSet(pageOption)) {
        const QString name = parser.value(pageOption);
        const auto pages = pad.pages();
        if (!pages)
            return failure(err, kExportCommand, pages.error().description);
        QStringList names;
        for (const ShortcutPage &page : *pages) {
            if (page.name == name && !onlyPage)
                onlyPage = page.id;
            names.append(page.name);
        }
        if (!onlyPage)
            return failure(err, kExportCommand,
                           u"there is no page named %1 (the pages: %2)"_s.arg(
                               inQuotes(name), names.isEmpty() ? u"none"_s : names.join(u", ")));
    }
    const auto pages = PadLayoutTransfer::exportPages(pad, onlyPage);
    if (!pages)
        return failure(err, kExportCommand, pages.error().description);
    if (const auto written = writeFileAtomically(target, PadLayoutFile::write(*pages)); !written)
        return failure(err, kExportCommand, target + u": "_s + written.error().description);
    print(out,
          u"Exported %1 to %2"_s.arg(pageCount(pages->size()), QDir::toNativeSeparators(target)));
    return 0;
}

int runPadImportCommand(const QStringList &arguments, std::FILE *out, std::FILE *err)
{
    QCommandLineParser parser;
    const QCommandLineOption helpOption(QStringList{u"h"_s, u"help"_s});
    parser.addOption(helpOption);
    const bool parsed = parser.parse(QStringList{kImportCommand} + arguments);
    if (parser.isSet(helpOption)) {
        std::fputs(padImportCommandHelp().toLocal8Bit().constData(), out);
        return 0;
    }
    if (!parsed)
        return usageError(err, kImportCommand, kImportUsage,
                          CommandLineOutput::parseProblem(parser));
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return usageError(err, kImportCommand, kImportUsage, u"no FILE given"_s);
    if (files.size() > 1)
        return usageError(err, kImportCommand, kImportUsage, u"one FILE at a time"_s);
    const QString &file = files.constFirst();

    const auto bytes = readLayoutFile(file);
    if (!bytes)
        return failure(err, kImportCommand, file + u": "_s + bytes.error().description);
    const auto pages = PadLayoutFile::read(*bytes);
    if (!pages)
        return failure(err, kImportCommand, file + u": "_s + pages.error().description);
    const auto store = openStore();
    if (!store)
        return failure(err, kImportCommand, store.error().description);
    const auto names = PadLayoutTransfer::importPages(**store, *pages);
    if (!names)
        return failure(err, kImportCommand,
                       u"nothing was imported: "_s + names.error().description);
    print(out, names->isEmpty()
                   ? u"Imported 0 pages"_s
                   : u"Imported %1: %2"_s.arg(pageCount(names->size()), names->join(u", ")));
    return 0;
}

} // namespace hb
