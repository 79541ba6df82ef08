#pragma once

#include "calibration/MonitorCalibrationMessage.h"
#include "calibration/MonitorCalibrationStep.h"

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QStringList>

#include <deque>
#include <map>
#include <tuple>

namespace hb {

// The readings of one calibration session, each with the patch that was on screen when it
// arrived. Kept in memory for as long as the screen is open; saved as CSV on request.
//
// Adding a reading costs the same however long the session: the grey tracking is kept up to date
// as readings arrive instead of being worked out again from all of them.
class MonitorCalibrationMeterLog {
public:
    // A meter may stream readings many times a second for as long as a patch is shown; of each
    // patch (by name and level) only the latest this many are kept. A bound per patch rather than
    // one for the whole log, so that a meter left streaming on one patch never pushes the few
    // readings of the other steps out of the session. The patches are this screen's own, a
    // handful, so the log stays within a few megabytes whatever a meter sends.
    static constexpr qsizetype kMaxEntriesPerPatch = 2'000;

    struct Entry {
        QDateTime receivedAt; // UTC
        MonitorCalibrationStep step = MonitorCalibrationStep::Brightness;
        MonitorCalibrationPatch patch;
        MonitorCalibrationMeasurementPayload measurement;
    };

    void append(Entry entry);
    // The kept readings in the order they arrived.
    QList<Entry> entries() const;
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

    // One header line, then one line per entry; numbers as the shortest text that reads back
    // the same double, whatever the locale; lines end in CRLF as CSV has it.
    QByteArray toCsv() const;

    // Luminance of a reading's means with Rec. 709 weights.
    static double luminance(const MonitorCalibrationMeasurementPayload &measurement);

    // For each grey patch level measured (r = g = b), the luminance of its latest reading, by
    // ascending level: x is the patch level, y the luminance.
    QList<QPointF> greyTracking() const;

private:
    using PatchKey = std::tuple<QString, double, double, double>;
    struct Kept {
        quint64 order; // arrival number in the session
        Entry entry;
    };

    std::map<PatchKey, std::deque<Kept>> m_byPatch;
    // Grey patch level to the luminance of its latest reading.
    std::map<double, double> m_greyLatest;
    quint64 m_arrivals = 0;
    qsizetype m_size = 0;
};

// The meter card's lines for a reading: "Mean RGB: 0.123 0.500 1.000", "Stddev: 0.0021",
// "Exposure: 0.0167s ISO 400".
QStringList measurementLines(const MonitorCalibrationMeasurementPayload &measurement);

} // namespace hb
