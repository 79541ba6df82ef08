#include "calibration/MonitorCalibrationColour.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace hb {
namespace {

constexpr double kDegree = std::numbers::pi / 180;

double labCurve(double t)
{
    constexpr double kDelta = 6.0 / 29;
    return t > kDelta * kDelta * kDelta ? std::cbrt(t) : t / (3 * kDelta * kDelta) + 4.0 / 29;
}

// The hue angle in degrees, 0 to 360; 0 for a neutral.
double hueDegrees(double b, double a)
{
    if (a == 0 && b == 0)
        return 0;
    const double h = std::atan2(b, a) / kDegree;
    return h < 0 ? h + 360 : h;
}

} // namespace

CieXyz MonitorCalibrationColour::targetXyz(double r, double g, double b, double gamma)
{
    const auto linear = [gamma](double level) {
        return std::pow(std::clamp(level, 0.0, 1.0), gamma);
    };
    const double R = linear(r);
    const double G = linear(g);
    const double B = linear(b);
    // Rec. 709 primaries to XYZ, D65.
    return {0.4124564 * R + 0.3575761 * G + 0.1804375 * B,
            0.2126729 * R + 0.7151522 * G + 0.0721750 * B,
            0.0193339 * R + 0.1191920 * G + 0.9503041 * B};
}

CieLab MonitorCalibrationColour::lab(const CieXyz &xyz, const CieXyz &white)
{
    const double fx = labCurve(xyz.X / white.X);
    const double fy = labCurve(xyz.Y / white.Y);
    const double fz = labCurve(xyz.Z / white.Z);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

double MonitorCalibrationColour::deltaE2000(const CieLab &first, const CieLab &second)
{
    const double c1 = std::hypot(first.a, first.b);
    const double c2 = std::hypot(second.a, second.b);
    const double meanC = (c1 + c2) / 2;
    const double meanC7 = std::pow(meanC, 7);
    const double g = 0.5 * (1 - std::sqrt(meanC7 / (meanC7 + std::pow(25.0, 7))));
    const double a1 = (1 + g) * first.a;
    const double a2 = (1 + g) * second.a;
    const double cp1 = std::hypot(a1, first.b);
    const double cp2 = std::hypot(a2, second.b);
    const double hp1 = hueDegrees(first.b, a1);
    const double hp2 = hueDegrees(second.b, a2);

    const double dL = second.L - first.L;
    const double dC = cp2 - cp1;
    double dh = 0;
    if (cp1 * cp2 != 0) {
        dh = hp2 - hp1;
        if (dh > 180)
            dh -= 360;
        else if (dh < -180)
            dh += 360;
    }
    const double dH = 2 * std::sqrt(cp1 * cp2) * std::sin(dh / 2 * kDegree);

    const double meanL = (first.L + second.L) / 2;
    const double meanCp = (cp1 + cp2) / 2;
    double meanH = hp1 + hp2;
    if (cp1 * cp2 != 0) {
        if (std::abs(hp1 - hp2) <= 180)
            meanH /= 2;
        else
            meanH = meanH < 360 ? (meanH + 360) / 2 : (meanH - 360) / 2;
    }
    const double t =
        1 - 0.17 * std::cos((meanH - 30) * kDegree) + 0.24 * std::cos(2 * meanH * kDegree) +
        0.32 * std::cos((3 * meanH + 6) * kDegree) - 0.20 * std::cos((4 * meanH - 63) * kDegree);
    const double dTheta = 30 * std::exp(-std::pow((meanH - 275) / 25, 2));
    const double meanCp7 = std::pow(meanCp, 7);
    const double rC = 2 * std::sqrt(meanCp7 / (meanCp7 + std::pow(25.0, 7)));
    const double lOffset = (meanL - 50) * (meanL - 50);
    const double sL = 1 + 0.015 * lOffset / std::sqrt(20 + lOffset);
    const double sC = 1 + 0.045 * meanCp;
    const double sH = 1 + 0.015 * meanCp * t;
    const double rT = -std::sin(2 * dTheta * kDegree) * rC;
    return std::sqrt((dL / sL) * (dL / sL) + (dC / sC) * (dC / sC) + (dH / sH) * (dH / sH) +
                     rT * (dC / sC) * (dH / sH));
}

} // namespace hb
