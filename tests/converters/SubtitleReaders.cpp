#include "converters/SubtitleReaders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

constexpr int kTimeoutMs = 60'000;

// Runs `program`; its standard output, or nothing with `error` set when it failed or wrote
// anything on its standard error.
std::optional<QByteArray> run(const QString &program, const QStringList &arguments, QString *error)
{
    const QString executable = QStandardPaths::findExecutable(program);
    if (executable.isEmpty()) {
        *error = program + u" is not installed (make deps installs it)"_s;
        return std::nullopt;
    }
    QProcess process;
    process.start(executable, arguments);
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        *error = program + u" did not finish"_s;
        return std::nullopt;
    }
    const QByteArray complaints = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        !complaints.isEmpty()) {
        *error =
            program + u" failed (%1): "_s.arg(process.exitCode()) + QString::fromUtf8(complaints);
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

} // namespace

QString SubtitleReaders::readWithFfmpeg(const QString &path, const QString &format, QString *error)
{
    const std::optional<QByteArray> srt = run(u"ffmpeg"_s,
                                              {u"-nostdin"_s, u"-loglevel"_s, u"error"_s, u"-f"_s,
                                               format, u"-i"_s, path, u"-f"_s, u"srt"_s, u"-"_s},
                                              error);
    // ffmpeg breaks the lines inside a cue with CR LF.
    return srt ? QString::fromUtf8(*srt).replace(u"\r\n"_s, u"\n"_s) : QString();
}

QHash<QString, QStringList> SubtitleReaders::validateSubRip(const QStringList &paths,
                                                            QString *error)
{
    const std::optional<QByteArray> output =
        run(u"node"_s, QStringList{QStringLiteral(HB_SUBRIP_VALIDATOR)} + paths, error);
    if (!output)
        return {};
    QJsonParseError parseError;
    const QJsonDocument report = QJsonDocument::fromJson(*output, &parseError);
    if (!report.isObject()) {
        *error = u"the validator's report is not JSON: "_s + parseError.errorString();
        return {};
    }
    QHash<QString, QStringList> complaints;
    const QJsonObject files = report.object();
    for (auto file = files.begin(); file != files.end(); ++file) {
        QStringList lines;
        const QJsonArray found = file.value().toArray();
        for (const auto &line : found)
            lines.append(line.toString());
        complaints.insert(file.key(), lines);
    }
    return complaints;
}

} // namespace hb
