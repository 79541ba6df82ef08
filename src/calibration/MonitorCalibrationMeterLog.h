#pragma once

#include "calibration/MonitorCalibrationColour.h"
#include "calibration/MonitorCalibrationMeasureSequence.h"
#include "calibration/MonitorCalibrationMessage.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

#include <deque>
#include <map>
#include <tuple>

namespace hb {

// Where readings come from: the light meter on the network (relative camera values) or a
// colorimeter on this computer (absolute XYZ).
enum class MonitorCalibrationMeterSource { Network, Colorimeter };

// The measure-mode readings of one calibration session, each with the patch that was on screen
// when it arrived. Kept in memory for as long as the screen is open; saved as CSV on request.
//
// Adding a reading costs the same however long the session.
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
        MonitorCalibrationPatch patch;
        MonitorCalibrationPatchArea area = MonitorCalibrationPatchArea::Full;
        MonitorCalibrationMeterSource source = MonitorCalibrationMeterSource::Network;
        MonitorCalibrationMeasurementPayload measurement; // from the network meter only
        CieXyz xyz;                                       // from a colorimeter only; Y in cd/m²

        // Y for a colorimeter; the Rec. 709 weighted means for the network meter.
        double luminance() const;
    };

    void append(Entry entry);
    // The kept readings in the order they arrived.
    QList<Entry> entries() const;
    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

    // One header line, then one line per entry; numbers as the shortest text that reads back
    // the same double, whatever the locale; lines end in CRLF as CSV has it.
    QByteArray toCsv() const;

    // The latest reading of each patch from the source of the latest reading of all, in the
    // order they arrived: what the session says about the display now.
    QList<Entry> latest() const;

private:
    using PatchKey = std::tuple<MonitorCalibrationMeterSource, QString, double, double, double>;
    struct Kept {
        quint64 order; // arrival number in the session
        Entry entry;
    };

    std::map<PatchKey, std::deque<Kept>> m_byPatch;
    MonitorCalibrationMeterSource m_latestSource = MonitorCalibrationMeterSource::Network;
    quint64 m_arrivals = 0;
    qsizetype m_size = 0;
};

// The meter card's lines for a reading: "Mean RGB: 0.123 0.500 1.000", "Stddev: 0.0021",
// "Exposure: 0.0167s ISO 400".
QStringList measurementLines(const MonitorCalibrationMeasurementPayload &measurement);

} // namespace hb
