#include "mogrt/FusionMacro.h"

#include <algorithm>

#include <QStringList>

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

// Template positions are pixels of a 1920x1080 frame; the macro wants fractions of the frame.
constexpr double kFrameWidth = 1920.0;
constexpr double kFrameHeight = 1080.0;
// Nothing shrinks below this: a zero size or box would vanish and could not be picked again.
constexpr double kMinimumExtent = 0.01;

// Shortest round-trip numbers switch to exponent form outside [1e-4, 1e16).
constexpr int kLowestFixedExponent = -4;
constexpr int kFirstExponentFormExponent = 16;

struct Rgba {
    double red;
    double green;
    double blue;
    double alpha;
};

struct Point {
    double x;
    double y;
};

struct MacroInputs {
    QString text = u"Title"_s;
    Rgba textColour{1.0, 1.0, 1.0, 1.0};
    Rgba boxColour{0.0, 0.0, 0.0, 1.0};
    Point position{960.0, 540.0};
    double size = 1.0;
    double angle = 0.0;
    double tracking = 0.0;
    bool italic = false;
    double boxWidth = 0.6;
    double boxHeight = 0.2;
    double opacityFactor = 1.0;
};

std::optional<ControlAnyValue> controlValue(const QString &wanted,
                                            const QList<MogrtControl> &controls)
{
    std::optional<MogrtControl> control = findControl(wanted, controls);
    if (!control)
        return std::nullopt;
    return std::move(control->value);
}

std::optional<double> asNumber(const ControlAnyValue *value)
{
    const double *number = value ? value->number() : nullptr;
    if (!number)
        return std::nullopt;
    return *number;
}

std::optional<double> controlNumber(const QString &wanted, const QList<MogrtControl> &controls)
{
    const std::optional<ControlAnyValue> value = controlValue(wanted, controls);
    return asNumber(value ? &*value : nullptr);
}

// r, g and b must all be numbers or the whole colour stays at `fallback`; a missing or
// non-numeric alpha keeps the fallback's alpha.
Rgba controlColour(const QString &wanted, const QList<MogrtControl> &controls, Rgba fallback)
{
    const std::optional<ControlAnyValue> value = controlValue(wanted, controls);
    if (!value)
        return fallback;
    const std::optional<double> red = asNumber(value->member(u"r"));
    const std::optional<double> green = asNumber(value->member(u"g"));
    const std::optional<double> blue = asNumber(value->member(u"b"));
    if (!red || !green || !blue)
        return fallback;
    return {*red, *green, *blue, asNumber(value->member(u"a")).value_or(fallback.alpha)};
}

Point controlPoint(const QString &wanted, const QList<MogrtControl> &controls, Point fallback)
{
    const std::optional<ControlAnyValue> value = controlValue(wanted, controls);
    if (!value)
        return fallback;
    const std::optional<double> x = asNumber(value->member(u"x"));
    const std::optional<double> y = asNumber(value->member(u"y"));
    if (!x || !y)
        return fallback;
    return {*x, *y};
}

// A bool as it is, a number when it is not zero (NaN included), anything else false.
bool controlFlag(const QString &wanted, const QList<MogrtControl> &controls)
{
    const std::optional<ControlAnyValue> value = controlValue(wanted, controls);
    if (!value)
        return false;
    if (const bool *flag = value->boolean())
        return *flag;
    if (const double *number = value->number())
        return *number != 0.0;
    return false;
}

// Every control readInputs reads.
const QStringList kControlNames{
    u"Source Text"_s, u"Text Color"_s, u"Box Color"_s,     u"Position"_s,
    u"Scale"_s,       u"Rotation"_s,   u"Text Tracking"_s, u"Text Italics"_s,
    u"Box Width"_s,   u"Box Height"_s, u"Box Opacity"_s,
};

MacroInputs readInputs(const QList<MogrtControl> &controls)
{
    MacroInputs in;
    in.text = controlString(u"Source Text"_s, controls, in.text);
    in.textColour = controlColour(u"Text Color"_s, controls, in.textColour);
    in.boxColour = controlColour(u"Box Color"_s, controls, in.boxColour);
    in.position = controlPoint(u"Position"_s, controls, in.position);
    if (const auto scale = controlNumber(u"Scale"_s, controls))
        in.size = *scale / 100.0;
    if (const auto rotation = controlNumber(u"Rotation"_s, controls))
        in.angle = *rotation;
    if (const auto tracking = controlNumber(u"Text Tracking"_s, controls))
        in.tracking = *tracking;
    in.italic = controlFlag(u"Text Italics"_s, controls);
    if (const auto width = controlNumber(u"Box Width"_s, controls))
        in.boxWidth = *width;
    if (const auto height = controlNumber(u"Box Height"_s, controls))
        in.boxHeight = *height;
    if (const auto opacity = controlNumber(u"Box Opacity"_s, controls))
        in.opacityFactor = *opacity / 100.0;
    return in;
}

// std::fmax picks the other operand when one is NaN, so NaN also lands on the minimum.
double atLeastMinimum(double value)
{
    return std::fmax(value, kMinimumExtent);
}

QString input(QStringView name, const QString &value)
{
    return u"\t\t\t\t"_s % name % u" = Input { Value = "_s % value % u", },"_s;
}

QString quoted(const QString &text)
{
    return u"\""_s % text % u"\""_s;
}

} // namespace

QString fusionNumber(double value)
{
    if (std::isnan(value))
        return u"nan"_s;
    if (std::isinf(value))
        return value < 0 ? u"-inf"_s : u"inf"_s;
    if (value == 0.0)
        return std::signbit(value) ? u"-0.0"_s : u"0.0"_s;

    // Shortest round-trip digits in exponent form, e.g. "-1.2345e+20", then laid out anew.
    char buffer[64];
    const std::to_chars_result result = std::to_chars(
        buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific);
    const std::string_view scientific(buffer, result.ptr);
    const std::size_t e = scientific.find('e');
    std::string digits(scientific.substr(0, e));
    std::erase(digits, '.');
    int exponent = 0;
    const std::string_view exponentText = scientific.substr(e + 1);
    std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);

    std::string out = value < 0 ? "-" : "";
    if (exponent < kLowestFixedExponent || exponent >= kFirstExponentFormExponent) {
        out += digits.front();
        if (digits.size() > 1)
            out += '.' + digits.substr(1);
        const int magnitude = std::abs(exponent);
        out += exponent < 0 ? "e-" : "e+";
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "0." + std::string(std::size_t(-exponent - 1), '0') + digits;
    } else {
        const std::size_t whole = std::size_t(exponent) + 1;
        if (digits.size() <= whole)
            out += digits + std::string(whole - digits.size(), '0') + ".0";
        else
            out += digits.substr(0, whole) + '.' + digits.substr(whole);
    }
    return QString::fromLatin1(out);
}

QString fusionEscaped(const QString &text)
{
    QString escaped = text;
    escaped.replace(u"\\"_s, u"\\\\"_s);
    escaped.replace(u"\""_s, u"\\\""_s);
    escaped.replace(u"\n"_s, u"\\n"_s);
    return escaped;
}

QString makeFusionMacro(const QString &macroName, const QList<MogrtControl> &controls)
{
    const MacroInputs in = readInputs(controls);
    const auto number = fusionNumber;

    const QStringList lines{
        u"{"_s,
        u"\tTools = orderedtable({"_s,
        u"\t\tStrokeBG = Background {"_s,
        u"\t\t\tInputs = {"_s,
        input(u"TopLeftRed", number(in.boxColour.red)),
        input(u"TopLeftGreen", number(in.boxColour.green)),
        input(u"TopLeftBlue", number(in.boxColour.blue)),
        input(u"TopLeftAlpha", number(in.boxColour.alpha * in.opacityFactor)),
        input(u"Width", number(atLeastMinimum(in.boxWidth))),
        input(u"Height", number(atLeastMinimum(in.boxHeight))),
        u"\t\t\t},"_s,
        u"\t\t},"_s,
        u"\t\tText1 = TextPlus {"_s,
        u"\t\t\tInputs = {"_s,
        input(u"StyledText", quoted(fusionEscaped(in.text))),
        input(u"Red1", number(in.textColour.red)),
        input(u"Green1", number(in.textColour.green)),
        input(u"Blue1", number(in.textColour.blue)),
        input(u"Alpha1", number(in.textColour.alpha)),
        input(u"Tracking", number(in.tracking)),
        input(u"Font", u"\"Helvetica\""_s),
        input(u"Style", quoted(in.italic ? u"Italic"_s : u"Regular"_s)),
        u"\t\t\t},"_s,
        u"\t\t},"_s,
        u"\t\tMerge1 = Merge {"_s,
        u"\t\t\tInputs = {"_s,
        u"\t\t\t\tBackground = Input { SourceOp = \"StrokeBG\", Source = \"Output\", },"_s,
        u"\t\t\t\tForeground = Input { SourceOp = \"Text1\", Source = \"Output\", },"_s,
        input(u"Center", u"Point("_s % number(in.position.x / kFrameWidth) % u", "_s %
                             number(in.position.y / kFrameHeight) % u")"_s),
        u"\t\t\t},"_s,
        u"\t\t},"_s,
        u"\t\tXf1 = Transform {"_s,
        u"\t\t\tInputs = {"_s,
        u"\t\t\t\tInput = Input { SourceOp = \"Merge1\", Source = \"Output\", },"_s,
        input(u"Size", number(atLeastMinimum(in.size))),
        input(u"Angle", number(in.angle)),
        input(u"Pivot", u"Point(0.5, 0.5)"_s),
        u"\t\t\t},"_s,
        u"\t\t},"_s,
        u"\t}),"_s,
        u"\tActiveTool = \"Xf1\","_s,
        u"\tMacroOperator = "_s % quoted(fusionEscaped(macroName)) % u","_s,
        u"}"_s,
    };
    return lines.join(u'\n');
}

qsizetype recognisedControlCount(const QList<MogrtControl> &controls)
{
    return std::count_if(kControlNames.begin(), kControlNames.end(), [&](const QString &name) {
        return findControl(name, controls).has_value();
    });
}

} // namespace hb
