#include "calibration/MonitorCalibrationMeasureSequence.h"

#include <algorithm>

namespace hb {
namespace {

struct Colour {
    const char16_t *name;
    double r, g, b;
};

constexpr Colour kColours[] = {
    {u"Red", 1, 0, 0},  {u"Green", 0, 1, 0},   {u"Blue", 0, 0, 1},
    {u"Cyan", 0, 1, 1}, {u"Magenta", 1, 0, 1}, {u"Yellow", 1, 1, 0},
};

QString percentText(double level)
{
    return QString::number(level * 100, 'g', 4) + u'%';
}

} // namespace

MonitorCalibrationMeasureSequence::MonitorCalibrationMeasureSequence(int greySteps)
    : m_greySteps(std::clamp(greySteps, kMinimumGreySteps, kMaximumGreySteps)),
      m_patches(patches(m_greySteps))
{
}

QList<MonitorCalibrationPatch> MonitorCalibrationMeasureSequence::patches(int greySteps)
{
    greySteps = std::clamp(greySteps, kMinimumGreySteps, kMaximumGreySteps);
    QList<MonitorCalibrationPatch> list;
    for (int i = 0; i <= greySteps; ++i) {
        const double level = double(i) / greySteps;
        list.append(MonitorCalibrationPatch::grey(u"Grey " + percentText(level), level));
    }
    for (const double level : {1.0, 0.75}) {
        for (const Colour &colour : kColours) {
            list.append(MonitorCalibrationPatch::make(
                QString::fromUtf16(colour.name) + u' ' + percentText(level), colour.r * level,
                colour.g * level, colour.b * level));
        }
    }
    return list;
}

void MonitorCalibrationMeasureSequence::setGreySteps(int steps)
{
    steps = std::clamp(steps, kMinimumGreySteps, kMaximumGreySteps);
    if (steps == m_greySteps)
        return;
    const QString shown = m_patches.value(m_index).name;
    m_greySteps = steps;
    m_patches = patches(steps);
    const auto same =
        std::find_if(m_patches.cbegin(), m_patches.cend(),
                     [&](const MonitorCalibrationPatch &p) { return p.name == shown; });
    m_index = same != m_patches.cend() ? same - m_patches.cbegin() : 0;
}

void MonitorCalibrationMeasureSequence::setIndex(qsizetype index)
{
    m_index = std::clamp<qsizetype>(index, 0, m_patches.size() - 1);
}

MonitorCalibrationPatch MonitorCalibrationMeasureSequence::current() const
{
    const MonitorCalibrationPatch &patch = m_patches.at(m_index);
    return MonitorCalibrationPatch::make(patch.name, patch.r, patch.g, patch.b);
}

QString MonitorCalibrationMeasureSequence::counter() const
{
    return QStringLiteral("Patch %1 of %2").arg(m_index + 1).arg(m_patches.size());
}

double MonitorCalibrationMeasureSequence::fraction(MonitorCalibrationPatchArea area)
{
    switch (area) {
    case MonitorCalibrationPatchArea::Window18:
        return 0.18;
    case MonitorCalibrationPatchArea::Window10:
        return 0.10;
    case MonitorCalibrationPatchArea::Full:
        break;
    }
    return 1;
}

QString MonitorCalibrationMeasureSequence::label(MonitorCalibrationPatchArea area)
{
    switch (area) {
    case MonitorCalibrationPatchArea::Window18:
        return QStringLiteral("18% window");
    case MonitorCalibrationPatchArea::Window10:
        return QStringLiteral("10% window");
    case MonitorCalibrationPatchArea::Full:
        break;
    }
    return QStringLiteral("Full field");
}

QString MonitorCalibrationMeasureSequence::percent(MonitorCalibrationPatchArea area)
{
    return QString::number(fraction(area) * 100, 'g', 3);
}

} // namespace hb
