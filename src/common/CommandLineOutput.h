#pragma once

#include <QByteArray>
#include <QString>

class QCommandLineParser;

#include <cstdio>
#include <optional>

namespace hb {

// The standard streams of the command-line programs: lines written in the locale's encoding, the
// whole of standard input, and the check at the end that everything written arrived.
class CommandLineOutput {
public:
    CommandLineOutput() = delete;

    // `line` and a line feed.
    static void printLine(std::FILE *stream, const QString &line);

    // Everything `stream` holds, or nothing when it could not be read or holds more than
    // `maxBytes`; `problem` then says why.
    static std::optional<QByteArray> readAll(std::FILE *stream, qint64 maxBytes, QString *problem);

    // What is wrong with a command line that `parser` refused: "unknown option: -x" or "--port
    // needs a value" (without the program's name).
    static QString parseProblem(const QCommandLineParser &parser);
    // The option, as written, that the command line ended before the value of; empty if none.
    static QString optionMissingItsValue(const QCommandLineParser &parser);

    // Flushes `out` (standard output) and checks that all that was written to it arrived (a full
    // disk or a closed file loses it). When something was lost it says so on `err`,
    // "<program>: ...", and gives 1 in place of a 0 status; otherwise it gives `status`.
    static int finish(std::FILE *out, std::FILE *err, const QString &program, int status);
};

} // namespace hb
