#pragma once

#include "calibration/MonitorCalibrationMessage.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace hb {

// The checks of the calibration screen, in order.
enum class MonitorCalibrationStep {
    Brightness,
    Pluge,
    Contrast,
    Gamma,
    Grayscale,
    Primaries,
    Uniformity
};

inline constexpr std::array kMonitorCalibrationSteps{
    MonitorCalibrationStep::Brightness, MonitorCalibrationStep::Pluge,
    MonitorCalibrationStep::Contrast,   MonitorCalibrationStep::Gamma,
    MonitorCalibrationStep::Grayscale,  MonitorCalibrationStep::Primaries,
    MonitorCalibrationStep::Uniformity};

// The step of a value from 0 to 6; nothing for any other value.
std::optional<MonitorCalibrationStep> monitorCalibrationStep(int value);
std::optional<MonitorCalibrationStep> previousStep(MonitorCalibrationStep step);
std::optional<MonitorCalibrationStep> nextStep(MonitorCalibrationStep step);

QString stepTitle(MonitorCalibrationStep step);
// "Step 2 of 7".
QString stepCounter(MonitorCalibrationStep step);
QString stepInstruction(MonitorCalibrationStep step);

// The step's reference patch (grey), with a fresh id each call.
MonitorCalibrationPatch referencePatch(MonitorCalibrationStep step);
// The grey level of the step's reference patch.
double referenceLevel(MonitorCalibrationStep step);

// The eight colours of the primaries pattern in display order, each with a fresh id.
QList<MonitorCalibrationPatch> primariesPatches();

} // namespace hb
