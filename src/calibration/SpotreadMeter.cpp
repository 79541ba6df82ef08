#include "calibration/SpotreadMeter.h"

#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <algorithm>
#include <utility>

namespace hb {

namespace {

// The longest unfinished line kept; prompts and results are far shorter.
constexpr qsizetype kMaxPartialLine = 4096;
constexpr qsizetype kReadChunk = 4096;
// How long the program may take to exit by itself after it printed the reading.
constexpr int kExitGraceMs = 5000;

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

QString withDetail(const QString &message, const QString &detail)
{
    return detail.isEmpty() ? message : message + QStringLiteral(": ") + detail;
}

} // namespace

SpotreadMeter::SpotreadMeter(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SpotreadMeter::handleTimeout);
}

SpotreadMeter::~SpotreadMeter()
{
    cancel();
}

QString SpotreadMeter::notInstalledMessage()
{
    return tr("ArgyllCMS is not installed: install the argyll package");
}

QStringList SpotreadMeter::argumentsFor(const Settings &settings)
{
    QStringList arguments;
    if (settings.port > 0)
        arguments << QStringLiteral("-c") << QString::number(settings.port);
    switch (settings.mode) {
    case Mode::Display:
        arguments << QStringLiteral("-e");
        break;
    case Mode::Projector:
        arguments << QStringLiteral("-p");
        break;
    case Mode::Ambient:
        arguments << QStringLiteral("-a");
        break;
    }
    if (!settings.displayType.isEmpty())
        arguments << QStringLiteral("-y") << settings.displayType;
    if (settings.skipCalibration)
        arguments << QStringLiteral("-N");
    // Yxy next to XYZ, and one reading, then exit.
    arguments << QStringLiteral("-x") << QStringLiteral("-O");
    arguments << settings.extraArguments;
    return arguments;
}

bool SpotreadMeter::measure()
{
    if (m_process)
        return false;

    m_partial.clear();
    m_received = 0;
    m_lastError.clear();
    m_promptAnswered = false;

    const QString &program = m_settings.program;
    const QString path = program.contains(u'/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(path);
    auto *process = new QProcess(this);
    m_process = process;
    if (path.isEmpty() || !info.isFile() || !info.isExecutable()) {
        failLater(notInstalledMessage());
        return true;
    }

    process->setProcessChannelMode(QProcess::MergedChannels);
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process->setProcessEnvironment(environment);
    connect(process, &QProcess::readyReadStandardOutput, this, &SpotreadMeter::readOutput);
    connect(process, &QProcess::finished, this, &SpotreadMeter::handleFinished);
    connect(process, &QProcess::errorOccurred, this, &SpotreadMeter::handleError);
    m_timer.start(m_settings.timeout);
    process->start(path, argumentsFor(m_settings));
    return true;
}

void SpotreadMeter::cancel()
{
    if (m_process)
        stopProcess(true);
}

void SpotreadMeter::readOutput()
{
    while (m_process && m_process->bytesAvailable() > 0) {
        const QByteArray chunk = m_process->read(kReadChunk);
        m_received += chunk.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < chunk.size() && m_process; ++i) {
            if (!isLineEnd(chunk.at(i)))
                continue;
            m_partial.append(chunk.sliced(start, i - start)
                                 .first(std::min(i - start, kMaxPartialLine - m_partial.size())));
            const QByteArray line = std::exchange(m_partial, {});
            handleLine(line, true);
            start = i + 1;
        }
        if (!m_process)
            return;
        const qsizetype rest = chunk.size() - start;
        m_partial.append(chunk.sliced(start).first(
            std::min(rest, std::max<qsizetype>(0, kMaxPartialLine - m_partial.size()))));
        if (!m_partial.isEmpty())
            handleLine(m_partial, false);
        if (m_process && m_received > m_settings.outputLimit) {
            fail(tr("The measuring program printed more than %1 kB without a reading")
                     .arg(m_settings.outputLimit / 1024));
        }
    }
}

void SpotreadMeter::handleLine(QByteArrayView line, bool complete)
{
    const auto parsed = SpotreadOutput::classify(line);
    switch (parsed.kind) {
    case SpotreadOutput::Kind::Result:
        // An unfinished result line may still be missing digits.
        if (complete)
            succeed(*parsed.reading);
        break;
    case SpotreadOutput::Kind::MeasurePrompt:
        if (!m_promptAnswered) {
            m_promptAnswered = true;
            m_process->write("\n");
        }
        break;
    case SpotreadOutput::Kind::CalibrationPrompt:
        fail(tr("The instrument needs to be calibrated first (\"%1\"); calibrate it, then "
                "measure again")
                 .arg(parsed.text));
        break;
    case SpotreadOutput::Kind::NoInstrument:
        fail(withDetail(tr("No colorimeter found: connect the instrument"), parsed.text));
        break;
    case SpotreadOutput::Kind::Error:
        if (complete)
            m_lastError = parsed.text;
        break;
    case SpotreadOutput::Kind::Other:
        break;
    }
}

void SpotreadMeter::handleFinished(int exitCode, QProcess::ExitStatus status)
{
    readOutput();
    if (m_process && !m_partial.isEmpty()) {
        const QByteArray line = std::exchange(m_partial, {});
        handleLine(line, true);
    }
    if (!m_process)
        return;
    if (status == QProcess::CrashExit) {
        fail(
            withDetail(tr("The measuring program stopped unexpectedly (it crashed)"), m_lastError));
    } else if (exitCode != 0) {
        fail(withDetail(tr("The measuring program failed (exit code %1)").arg(exitCode),
                        m_lastError));
    } else {
        fail(withDetail(tr("The measuring program finished without a reading"), m_lastError));
    }
}

void SpotreadMeter::handleError(QProcess::ProcessError error)
{
    // A crash is reported by handleFinished, with the exit status.
    if (error == QProcess::FailedToStart && m_process) {
        failLater(tr("The measuring program %1 could not be started: %2")
                      .arg(m_settings.program, m_process->errorString()));
    }
}

void SpotreadMeter::handleTimeout()
{
    if (!m_process)
        return;
    const auto seconds = std::chrono::duration<double>(m_settings.timeout).count();
    fail(withDetail(tr("No reading within %1 s; the measuring program was stopped").arg(seconds),
                    m_lastError));
}

void SpotreadMeter::succeed(const SpotreadOutput::Reading &reading)
{
    stopProcess(false);
    Q_EMIT measured(reading);
}

void SpotreadMeter::fail(const QString &message)
{
    stopProcess(true);
    Q_EMIT failed(message);
}

void SpotreadMeter::failLater(const QString &message)
{
    // From the event loop, like every other outcome, so that measure() never emits.
    QProcess *process = m_process;
    QTimer::singleShot(0, process, [this, process, message] {
        if (m_process == process)
            fail(message);
    });
}

void SpotreadMeter::stopProcess(bool kill)
{
    m_timer.stop();
    QProcess *process = m_process;
    m_process = nullptr;
    m_partial.clear();
    if (!process)
        return;
    disconnect(process, nullptr, this, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    if (kill) {
        process->kill();
    } else {
        // Done: let it close the instrument and exit by itself, within a grace period.
        process->closeWriteChannel();
        QTimer::singleShot(kExitGraceMs, process, &QProcess::kill);
    }
}

} // namespace hb
