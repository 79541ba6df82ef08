#pragma once

#include "calibration/MonitorCalibrationMessage.h"
#include "calibration/MonitorCalibrationStep.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QStringList>

namespace hb {

// The readings of one calibration session, each with the patch that was on screen when it
// arrived. Kept in memory for as long as the screen is open; saved as CSV on request.
class MonitorCalibrationMeterLog {
public:
    // A meter may send readings many times a second; past this many the oldest are dropped.
    static constexpr qsizetype kMaxEntries = 100'000;

    struct Entry {
        QDateTime receivedAt; // UTC
        MonitorCalibrationStep step = MonitorCalibrationStep::Brightness;
        MonitorCalibrationPatch patch;
        MonitorCalibrationMeasurementPayload measurement;
    };

    void append(Entry entry);
    const QList<Entry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // One header line, then one line per entry; numbers as the shortest text that reads back
    // the same double, whatever the locale; lines end in CRLF as CSV has it.
    QByteArray toCsv() const;

    // Luminance of a reading's means with Rec. 709 weights.
    static double luminance(const MonitorCalibrationMeasurementPayload &measurement);

    // For each grey patch level measured (r = g = b), the luminance of its latest reading, by
    // ascending level: x is the patch level, y the luminance.
    QList<QPointF> greyTracking() const;

private:
    QList<Entry> m_entries;
};

// The meter card's lines for a reading: "Mean RGB: 0.123 0.500 1.000", "Stddev: 0.0021",
// "Exposure: 0.0167s ISO 400".
QStringList measurementLines(const MonitorCalibrationMeasurementPayload &measurement);

} // namespace hb
