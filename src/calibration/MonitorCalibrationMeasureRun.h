#pragma once

#include "calibration/MonitorCalibrationMeasureSequence.h"
#include "calibration/MonitorCalibrationMeterLog.h"
#include "calibration/SpotreadMeter.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>

namespace hb {

class MonitorCalibrationHostNetworking;

// Measure mode: which patch is on screen, taking readings of it from the chosen meter, and
// logging each reading with the patch it was taken of.
//
// With the network meter, showing a patch sends it to the meter, and Measure sends it again
// (with a new id) as the cue for another reading. The meter answers each patch with a reading
// that does not say which patch it is of, so the patches sent and not yet answered are counted:
// while more than one is waiting, a reading answers an earlier patch than the one on screen and
// is dropped. A patch waits at most kAnswerTime; a reading nobody asked for (a meter that
// streams) is logged against the patch on screen. With the colorimeter, Measure runs one reading
// once the display has had the settle time to show the patch; a reading still running when the
// patch changes is cancelled, so a reading is never logged against a patch it was not taken of.
//
// Measure All shows each patch in turn from the first, takes one reading, and moves on when it
// is logged; a colorimeter failure stops it with the reason.
class MonitorCalibrationMeasureRun : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDefaultSettleTime{500};
    static constexpr std::chrono::seconds kAnswerTime{10};

    MonitorCalibrationMeasureRun(MonitorCalibrationHostNetworking &networking,
                                 MonitorCalibrationMeterLog &log, QObject *parent = nullptr);

    MonitorCalibrationMeasureSequence &sequence() { return m_sequence; }
    const MonitorCalibrationMeasureSequence &sequence() const { return m_sequence; }
    SpotreadMeter &colorimeter() { return m_colorimeter; }

    bool isActive() const { return m_active; }
    // Turning measure mode off stops a run and any reading.
    void setActive(bool active);
    MonitorCalibrationMeterSource source() const { return m_source; }
    void setSource(MonitorCalibrationMeterSource source);
    MonitorCalibrationPatchArea area() const { return m_area; }
    void setArea(MonitorCalibrationPatchArea area) { m_area = area; }
    // The time between showing a patch and starting a colorimeter reading of it.
    void setSettleTime(std::chrono::milliseconds time) { m_settle.setInterval(time); }

    // The patch on screen.
    const MonitorCalibrationPatch &shown() const { return m_shown; }
    // Shows the sequence's patch at `index` (stopping a run unless it is the run that moves on).
    void showPatch(qsizetype index);
    void setGreySteps(int steps);

    // One reading of the shown patch.
    void measure();
    void measureAll();
    void stop();
    bool isRunning() const { return m_running; }

    // A reading from the network meter.
    void takeNetworkReading(const MonitorCalibrationMeasurementPayload &measurement);

Q_SIGNALS:
    void patchShown(const hb::MonitorCalibrationPatch &patch);
    void recorded();
    void runningChanged(bool running);
    void colorimeterStatusChanged(const QString &text);
    void colorimeterReadingChanged(const QStringList &lines);

private:
    void show(qsizetype index);
    void sendToNetworkMeter();
    void startColorimeter();
    void record(MonitorCalibrationMeterLog::Entry entry);
    void finishRun(const QString &status);

    MonitorCalibrationHostNetworking &m_networking;
    MonitorCalibrationMeterLog &m_log;
    MonitorCalibrationMeasureSequence m_sequence;
    SpotreadMeter m_colorimeter;
    QTimer m_settle;
    MonitorCalibrationPatch m_shown;
    MonitorCalibrationPatchArea m_area = MonitorCalibrationPatchArea::Full;
    MonitorCalibrationMeterSource m_source = MonitorCalibrationMeterSource::Network;
    bool m_active = false;
    bool m_running = false;
    // When each patch sent to the network meter and not yet answered was sent, oldest first.
    std::deque<std::chrono::steady_clock::time_point> m_unanswered;
};

} // namespace hb
