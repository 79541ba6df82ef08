#pragma once

#include "calibration/MonitorCalibrationMeterLog.h"

#include <QList>
#include <QPointF>
#include <QStringList>

#include <optional>

namespace hb {

// What the measure-mode readings say about the display: the grey ramp's luminance and gamma, the
// white's luminance, and for a colorimeter the colour error of each patch against a Rec. 709 /
// sRGB display (D65 white, gamma 2.2).
//
// Gamma at a grey level v is log((Y - Yblack) / (Ywhite - Yblack)) / log(v), with Yblack taken as
// 0 until black is measured; the overall gamma is the least-squares fit of that curve through
// the levels from 10 % to 90 %. The colour error is CIEDE2000 between the reading, scaled so that
// the measured white has Y = 1, and the target, both as L*a*b* relative to D65: a white that is
// off D65 shows in every grey.
class MonitorCalibrationMeasureReport {
public:
    static constexpr double kTargetGamma = 2.2;
    static constexpr double kFitFrom = 0.1;
    static constexpr double kFitTo = 0.9;

    struct Grey {
        double level = 0;
        double luminance = 0;
        std::optional<double> gamma;  // between black and white only, once white is measured
        std::optional<double> deltaE; // colorimeter only
    };
    struct Colour {
        QString name;
        double deltaE = 0;
    };

    // From the latest reading of each patch (MonitorCalibrationMeterLog::latest()).
    explicit MonitorCalibrationMeasureReport(
        const QList<MonitorCalibrationMeterLog::Entry> &latest);

    // By ascending level.
    const QList<Grey> &greys() const { return m_greys; }
    // The primaries and secondaries, in the order measured; colorimeter only.
    const QList<Colour> &colours() const { return m_colours; }
    std::optional<double> gammaFit() const { return m_gammaFit; }
    std::optional<double> whiteLuminance() const { return m_white; }
    // Whether luminance is in cd/m² (a colorimeter) rather than the meter's own scale.
    bool isAbsolute() const { return m_absolute; }

    // x: grey level, y: luminance; for the tracking chart.
    QList<QPointF> greyPoints() const;
    // "Gamma 2.20 (fit 10–90%)", "White 120.4 cd/m²", "ΔE2000 greys: average 0.8, largest 1.9
    // (Grey 5%)", ...; only the lines there are readings for.
    QStringList summary() const;
    // "10% 2.21 · 20% 2.20 · ..."; empty without white.
    QString gammaByStep() const;

private:
    QList<Grey> m_greys;
    QList<Colour> m_colours;
    std::optional<double> m_gammaFit;
    std::optional<double> m_white;
    bool m_absolute = false;
};

} // namespace hb
