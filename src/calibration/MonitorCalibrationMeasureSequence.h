#pragma once

#include "calibration/MonitorCalibrationMessage.h"

#include <QList>
#include <QString>

namespace hb {

// How much of the screen a measure patch covers; the rest is black. Many displays dim a large
// bright field, so a window patch reads the display as it shows ordinary pictures.
enum class MonitorCalibrationPatchArea { Full, Window18, Window10 };

// The patches of measure mode, in the order they are measured: a grey ramp from black to white
// in equal steps, then the primaries and secondaries at 100 % and at 75 %.
class MonitorCalibrationMeasureSequence {
public:
    static constexpr int kDefaultGreySteps = 20; // 0, 5, 10 ... 100 %
    static constexpr int kMinimumGreySteps = 2;
    static constexpr int kMaximumGreySteps = 100;

    explicit MonitorCalibrationMeasureSequence(int greySteps = kDefaultGreySteps);

    // The patches for `greySteps` steps of grey (greySteps + 1 levels), with fresh ids.
    static QList<MonitorCalibrationPatch> patches(int greySteps);

    int greySteps() const { return m_greySteps; }
    // Clamped to the bounds above; keeps the position when it is still in the list.
    void setGreySteps(int steps);

    const QList<MonitorCalibrationPatch> &patches() const { return m_patches; }
    qsizetype index() const { return m_index; }
    void setIndex(qsizetype index);
    bool hasPrevious() const { return m_index > 0; }
    bool hasNext() const { return m_index + 1 < m_patches.size(); }
    // The patch to show, with a fresh id each call: every showing is a new patch to the meter.
    MonitorCalibrationPatch current() const;
    // "Patch 4 of 33".
    QString counter() const;

    // The fraction of the area a patch covers, and the choice's label.
    static double fraction(MonitorCalibrationPatchArea area);
    static QString label(MonitorCalibrationPatchArea area);
    // "100", "18" or "10": the percentage of the area, as written in the log.
    static QString percent(MonitorCalibrationPatchArea area);

private:
    int m_greySteps;
    QList<MonitorCalibrationPatch> m_patches;
    qsizetype m_index = 0;
};

} // namespace hb
