#pragma once

namespace hb {

// CIE 1931 tristimulus values.
struct CieXyz {
    double X = 0;
    double Y = 0;
    double Z = 0;
    friend bool operator==(const CieXyz &, const CieXyz &) = default;
};

struct CieLab {
    double L = 0;
    double a = 0;
    double b = 0;
};

// The colour science behind the measure report: what a Rec. 709 / sRGB display should show for a
// signal, and how far a measured colour is from it.
class MonitorCalibrationColour {
public:
    // The D65 white of Rec. 709 and sRGB, with Y = 1.
    static constexpr CieXyz kD65{0.95047, 1.0, 1.08883};

    // What a display with Rec. 709 primaries, a D65 white and a power-law response of `gamma`
    // shows for signal levels (r, g, b) from 0 to 1, with white at Y = 1.
    static CieXyz targetXyz(double r, double g, double b, double gamma);

    // CIE L*a*b* relative to `white`.
    static CieLab lab(const CieXyz &xyz, const CieXyz &white = kD65);

    // CIEDE2000 with kL = kC = kH = 1.
    static double deltaE2000(const CieLab &first, const CieLab &second);
};

} // namespace hb
