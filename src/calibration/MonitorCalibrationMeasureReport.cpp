#include "calibration/MonitorCalibrationMeasureReport.h"

#include "calibration/MonitorCalibrationColour.h"

#include <algorithm>
#include <cmath>

namespace hb {
namespace {

using Entry = MonitorCalibrationMeterLog::Entry;

bool isGrey(const MonitorCalibrationPatch &patch)
{
    return patch.r == patch.g && patch.g == patch.b;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString percent(double level)
{
    return QString::number(level * 100, 'g', 4) + u'%';
}

// "average 0.8, largest 1.9 (Grey 5%)" of patch names and their errors; empty for none.
QString errorText(const QList<std::pair<QString, double>> &errors)
{
    if (errors.isEmpty())
        return {};
    double sum = 0;
    const std::pair<QString, double> *worst = &errors.constFirst();
    for (const auto &error : errors) {
        sum += error.second;
        if (error.second > worst->second)
            worst = &error;
    }
    return u"average " + number(sum / double(errors.size()), 1) + u", largest " +
           number(worst->second, 1) + u" (" + worst->first + u')';
}

} // namespace

MonitorCalibrationMeasureReport::MonitorCalibrationMeasureReport(const QList<Entry> &latest)
{
    m_absolute = !latest.isEmpty() &&
                 latest.constFirst().source == MonitorCalibrationMeterSource::Colorimeter;
    const Entry *whiteEntry = nullptr;
    double black = 0;
    for (const Entry &entry : latest) {
        if (!isGrey(entry.patch))
            continue;
        m_greys.append({entry.patch.r, entry.luminance(), {}, {}});
        // The latest white wins; a grey above 1 is no patch of this screen's.
        if (entry.patch.r == 1)
            whiteEntry = &entry;
        else if (entry.patch.r == 0)
            black = entry.luminance();
    }
    std::sort(m_greys.begin(), m_greys.end(),
              [](const Grey &a, const Grey &b) { return a.level < b.level; });
    if (!whiteEntry)
        return;
    const double white = whiteEntry->luminance();
    m_white = white;
    if (!(white > 0))
        return;

    double sumLogs = 0;
    double sumSquares = 0;
    for (Grey &grey : m_greys) {
        const double relative = (grey.luminance - black) / (white - black);
        if (grey.level <= 0 || grey.level >= 1 || !(relative > 0) || !(white > black))
            continue;
        grey.gamma = std::log(relative) / std::log(grey.level);
        if (grey.level >= kFitFrom - 1e-9 && grey.level <= kFitTo + 1e-9) {
            sumLogs += std::log(grey.level) * std::log(relative);
            sumSquares += std::log(grey.level) * std::log(grey.level);
        }
    }
    if (sumSquares > 0)
        m_gammaFit = sumLogs / sumSquares;

    if (!m_absolute)
        return;
    const auto errorOf = [white](const Entry &entry) {
        const CieXyz measured{entry.xyz.X / white, entry.xyz.Y / white, entry.xyz.Z / white};
        const CieXyz target = MonitorCalibrationColour::targetXyz(entry.patch.r, entry.patch.g,
                                                                  entry.patch.b, kTargetGamma);
        return MonitorCalibrationColour::deltaE2000(MonitorCalibrationColour::lab(measured),
                                                    MonitorCalibrationColour::lab(target));
    };
    for (const Entry &entry : latest) {
        if (!isGrey(entry.patch)) {
            m_colours.append({entry.patch.name, errorOf(entry)});
            continue;
        }
        for (Grey &grey : m_greys) {
            if (grey.level == entry.patch.r)
                grey.deltaE = errorOf(entry);
        }
    }
}

QList<QPointF> MonitorCalibrationMeasureReport::greyPoints() const
{
    QList<QPointF> points;
    points.reserve(m_greys.size());
    for (const Grey &grey : m_greys)
        points.append({grey.level, grey.luminance});
    return points;
}

QStringList MonitorCalibrationMeasureReport::summary() const
{
    QStringList lines;
    if (m_gammaFit)
        lines.append(u"Gamma " + number(*m_gammaFit, 2) + u" (fit " + percent(kFitFrom) +
                     u"\u2013" + percent(kFitTo) + u')');
    if (m_white) {
        lines.append(m_absolute ? QString(u"White " + number(*m_white, 1) + u" cd/m\u00B2")
                                : QString(u"White " + QString::number(*m_white, 'g', 4) +
                                          u" (meter scale)"));
    }
    QList<std::pair<QString, double>> greyErrors;
    for (const Grey &grey : m_greys) {
        if (grey.deltaE)
            greyErrors.append({u"Grey " + percent(grey.level), *grey.deltaE});
    }
    if (!greyErrors.isEmpty())
        lines.append(u"\u0394E2000 greys: " + errorText(greyErrors));
    QList<std::pair<QString, double>> colourErrors;
    for (const Colour &colour : m_colours)
        colourErrors.append({colour.name, colour.deltaE});
    if (!colourErrors.isEmpty())
        lines.append(u"\u0394E2000 colours: " + errorText(colourErrors));
    return lines;
}

QString MonitorCalibrationMeasureReport::gammaByStep() const
{
    QStringList steps;
    for (const Grey &grey : m_greys) {
        if (grey.gamma)
            steps.append(percent(grey.level) + u' ' + number(*grey.gamma, 2));
    }
    return steps.join(u" \u00B7 ");
}

} // namespace hb
