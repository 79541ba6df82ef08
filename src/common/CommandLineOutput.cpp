#include "common/CommandLineOutput.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <cerrno>

namespace hb {

using namespace Qt::StringLiterals;

void CommandLineOutput::printLine(std::FILE *stream, const QString &line)
{
    std::fputs((line + u'\n').toLocal8Bit().constData(), stream);
}

std::optional<QByteArray> CommandLineOutput::readAll(std::FILE *stream, qint64 maxBytes,
                                                     QString *problem)
{
    constexpr size_t kChunk = 65536;
    QByteArray bytes;
    for (;;) {
        const qsizetype before = bytes.size();
        bytes.resize(before + qsizetype(kChunk));
        const size_t read = std::fread(bytes.data() + before, 1, kChunk, stream);
        bytes.resize(before + qsizetype(read));
        if (bytes.size() > maxBytes) {
            *problem = u"more than %1 bytes"_s.arg(maxBytes);
            return std::nullopt;
        }
        if (read < kChunk)
            break;
    }
    if (std::ferror(stream)) {
        *problem = qt_error_string(errno);
        return std::nullopt;
    }
    return bytes;
}

QString CommandLineOutput::parseProblem(const QCommandLineParser &parser)
{
    QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        for (QString &name : unknown)
            name.prepend(name.size() == 1 ? u"-"_s : u"--"_s);
        return (unknown.size() == 1 ? u"unknown option: "_s : u"unknown options: "_s) +
               unknown.join(u", "_s);
    }
    if (const QString option = optionMissingItsValue(parser); !option.isEmpty())
        return option + u" needs a value"_s;
    QString text = parser.errorText();
    if (text.endsWith(u'.'))
        text.chop(1);
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

QString CommandLineOutput::optionMissingItsValue(const QCommandLineParser &parser)
{
    // QCommandLineParser names the option only in its (untranslated) message.
    static const QRegularExpression missing(u"^Missing value after '(.+)'\\.$"_s);
    return missing.match(parser.errorText()).captured(1);
}

int CommandLineOutput::finish(std::FILE *out, std::FILE *err, const QString &program, int status)
{
    errno = 0;
    const bool flushed = std::fflush(out) == 0;
    if (flushed && !std::ferror(out))
        return status;
    const int reason = errno;
    QString line = program + u": error writing to standard output"_s;
    if (reason != 0)
        line += u": "_s + qt_error_string(reason);
    printLine(err, line);
    std::fflush(err);
    return status == 0 ? 1 : status;
}

} // namespace hb
