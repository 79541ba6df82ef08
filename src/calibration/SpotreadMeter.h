#pragma once

#include "calibration/SpotreadOutput.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>

namespace hb {

// Takes single readings from a USB colorimeter through the ArgyllCMS command-line program.
//
// Each measure() runs the program once, asking for one emissive (absolute) reading in XYZ and
// Yxy, and reports it with measured() or explains with failed(). It lives on the main thread
// and never blocks: the program runs as a child process read as its output arrives.
//
// One reading at a time: measure() while a reading runs is refused (it returns false and
// nothing is emitted for it). Each call emits exactly one of measured() and failed().
//
// The program is never answered when it asks for the instrument to be calibrated by hand (that
// needs the user to move the instrument); the prompt is reported through failed() instead, and
// the reading can be taken again once the user has calibrated. When the program waits for a
// key to take the reading, one key is sent.
class SpotreadMeter : public QObject {
    Q_OBJECT

public:
    enum class Mode {
        Display,   // emissive, on a monitor (-e)
        Projector, // telephoto (-p)
        Ambient,   // ambient light (-a)
    };

    struct Settings {
        QString program = QStringLiteral("spotread"); // a path, or a name looked up on PATH
        Mode mode = Mode::Display;
        QString displayType;          // the instrument's display type selector (-y); empty: default
        int port = 0;                 // instrument in the program's port list (-c); 0: the first
        bool skipCalibration = false; // skip the initial calibration when the instrument can (-N)
        QStringList extraArguments;   // anything else, e.g. a correction matrix (-X file)
        std::chrono::milliseconds timeout{30000};
        qsizetype outputLimit = 64 * 1024; // bytes of output read before giving up
    };

    explicit SpotreadMeter(QObject *parent = nullptr);
    ~SpotreadMeter() override;

    const Settings &settings() const { return m_settings; }
    // Takes effect from the next measure().
    void setSettings(const Settings &settings) { m_settings = settings; }

    // The arguments a reading runs the program with.
    static QStringList argumentsFor(const Settings &settings);

    // Starts one reading. False (and no signal) while another reading runs.
    bool measure();
    // Stops the reading that runs, if any; neither signal is emitted for it.
    void cancel();
    bool isMeasuring() const { return m_process != nullptr; }

    static QString notInstalledMessage();

Q_SIGNALS:
    // Y is in cd/m² (lux for Ambient): every mode asks for absolute values.
    void measured(const hb::SpotreadOutput::Reading &reading);
    void failed(const QString &message);

private:
    void readOutput();
    void handleLine(QByteArrayView line, bool complete);
    void handleFinished(int exitCode, QProcess::ExitStatus status);
    void handleError(QProcess::ProcessError error);
    void handleTimeout();
    void succeed(const SpotreadOutput::Reading &reading);
    void fail(const QString &message);
    void failLater(const QString &message);
    void stopProcess(bool kill);

    Settings m_settings;
    QPointer<QProcess> m_process;
    QTimer m_timer;
    QByteArray m_partial;     // the unfinished last line
    qsizetype m_received = 0; // bytes read in this reading
    QString m_lastError;      // the last error line, for the message when the program fails
    bool m_promptAnswered = false;
};

} // namespace hb
