#include "calibration/MonitorCalibrationStep.h"

#include <iterator>

namespace hb {
namespace {

struct StepText {
    const char16_t *title;
    const char16_t *instruction;
    const char16_t *patchName;
    double level;
};

constexpr StepText kSteps[] = {
    {u"Brightness / Black Level",
     u"Adjust your display brightness so near-black bars are barely distinguishable without "
     u"lifting black.",
     u"Near Black", 0.02},
    // Judged against black, so the meter is sent black.
    {u"PLUGE / Below Black",
     u"Raise brightness until the left bar shows, then lower it until that bar just merges into "
     u"the black around it while the +2% bar stays faintly visible. With full levels the left "
     u"bar is clipped to black and never shows; switch to video levels for the full check.",
     u"Black", 0.0},
    {u"Contrast / White Level",
     u"Adjust contrast/white level so near-white bars are barely distinguishable without clipping "
     u"highlights.",
     u"Near White", 0.98},
    {u"Gamma Check",
     u"Look for smooth transitions. If midtones look crushed or washed out, your gamma/EOTF may "
     u"be off.",
     u"Mid Gray", 0.18},
    {u"Grayscale / Tint",
     u"Look for neutral grays. If you see a color cast (green/magenta/blue), adjust white balance "
     u"or monitor preset.",
     u"50% Gray", 0.5},
    {u"Primaries / Secondaries", u"Check that colors look clean and not overly neon or shifted.",
     u"White", 1.0},
    {u"Uniformity", u"Check corners/edges for brightness or color non-uniformity.", u"White", 1.0},
};

static_assert(std::size(kSteps) == kMonitorCalibrationSteps.size());

const StepText &textOf(MonitorCalibrationStep step)
{
    return kSteps[static_cast<int>(step)];
}

} // namespace

std::optional<MonitorCalibrationStep> monitorCalibrationStep(int value)
{
    if (value < 0 || value >= int(kMonitorCalibrationSteps.size()))
        return std::nullopt;
    return static_cast<MonitorCalibrationStep>(value);
}

std::optional<MonitorCalibrationStep> previousStep(MonitorCalibrationStep step)
{
    return monitorCalibrationStep(static_cast<int>(step) - 1);
}

std::optional<MonitorCalibrationStep> nextStep(MonitorCalibrationStep step)
{
    return monitorCalibrationStep(static_cast<int>(step) + 1);
}

QString stepTitle(MonitorCalibrationStep step)
{
    return QString::fromUtf16(textOf(step).title);
}

QString stepCounter(MonitorCalibrationStep step)
{
    return QStringLiteral("Step %1 of %2")
        .arg(static_cast<int>(step) + 1)
        .arg(kMonitorCalibrationSteps.size());
}

QString stepInstruction(MonitorCalibrationStep step)
{
    return QString::fromUtf16(textOf(step).instruction);
}

double referenceLevel(MonitorCalibrationStep step)
{
    return textOf(step).level;
}

MonitorCalibrationPatch referencePatch(MonitorCalibrationStep step)
{
    return MonitorCalibrationPatch::grey(QString::fromUtf16(textOf(step).patchName),
                                         textOf(step).level);
}

QList<MonitorCalibrationPatch> primariesPatches()
{
    return {
        MonitorCalibrationPatch::make(QStringLiteral("Red"), 1, 0, 0),
        MonitorCalibrationPatch::make(QStringLiteral("Green"), 0, 1, 0),
        MonitorCalibrationPatch::make(QStringLiteral("Blue"), 0, 0, 1),
        MonitorCalibrationPatch::make(QStringLiteral("Cyan"), 0, 1, 1),
        MonitorCalibrationPatch::make(QStringLiteral("Magenta"), 1, 0, 1),
        MonitorCalibrationPatch::make(QStringLiteral("Yellow"), 1, 1, 0),
        MonitorCalibrationPatch::make(QStringLiteral("White"), 1, 1, 1),
        MonitorCalibrationPatch::make(QStringLiteral("Black"), 0, 0, 0),
    };
}

} // namespace hb
