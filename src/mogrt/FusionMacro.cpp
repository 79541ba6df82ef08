#include "mogrt/FusionMacro.h"

#include <algorithm>

#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

// The frame a template's positions are pixels of when its definition gives none.
constexpr double kDefaultFrameWidth = 1920.0;
constexpr double kDefaultFrameHeight = 1080.0;
// Nothing shrinks below this: a zero size or box would vanish and could not be picked again.
constexpr double kMinimumExtent = 0.01;

// Shortest round-trip numbers switch to exponent form outside [1e-4, 1e16).
constexpr int kLowestFixedExponent = -4;
constexpr int kFirstExponentFormExponent = 16;

// The tools inside the macro, in the order they are written; the last one is the output.
const QString kMaskTool = u"TitleBoxMask"_s;
const QString kBoxTool = u"TitleBox"_s;
const QString kTextTool = u"TitleText"_s;
const QString kMergeTool = u"TitleMerge"_s;
const QString kTransformTool = u"TitleTransform"_s;
// Appended to a macro name that would equal one of the tools inside it.
const QString kClashSuffix = u"_Macro"_s;

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
    std::optional<Point> position; // the frame's centre when absent
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

// A finite number; anything else (NaN and infinities included) counts as missing.
std::optional<double> asNumber(const ControlAnyValue *value)
{
    const double *number = value ? value->number() : nullptr;
    if (!number || !std::isfinite(*number))
        return std::nullopt;
    return *number;
}

std::optional<double> controlNumber(const QString &wanted, const QList<MogrtControl> &controls)
{
    const std::optional<ControlAnyValue> value = controlValue(wanted, controls);
    return asNumber(value ? &*value : nullptr);
}

// r, g and b must all be finite numbers or the whole colour stays at `fallback`; a missing or
// unusable alpha keeps the fallback's alpha.
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

std::optional<Point> controlPoint(const QString &wanted, const QList<MogrtControl> &controls)
{
    const std::optional<ControlAnyValue> value = controlValue(wanted, controls);
    if (!value)
        return std::nullopt;
    const std::optional<double> x = asNumber(value->member(u"x"));
    const std::optional<double> y = asNumber(value->member(u"y"));
    if (!x || !y)
        return std::nullopt;
    return Point{*x, *y};
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
    in.position = controlPoint(u"Position"_s, controls);
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

double atLeastMinimum(double value)
{
    return std::max(value, kMinimumExtent);
}

// A derived value that overflowed (a product or quotient of huge finite numbers) takes the
// value it has when every control is at its default.
double finiteOr(double value, double fallback)
{
    return std::isfinite(value) ? value : fallback;
}

// The frame in whole pixels; the default frame unless both sides are finite and at least 1.
QSizeF pixelFrame(QSizeF frameSize)
{
    const double width = std::round(frameSize.width());
    const double height = std::round(frameSize.height());
    if (!std::isfinite(width) || !std::isfinite(height) || width < 1.0 || height < 1.0)
        return {kDefaultFrameWidth, kDefaultFrameHeight};
    return {width, height};
}

QString quoted(const QString &text)
{
    return u"\""_s % fusionEscaped(text) % u"\""_s;
}

QString point(double x, double y)
{
    return u"{ "_s % fusionNumber(x) % u", "_s % fusionNumber(y) % u" }"_s;
}

// Lines of Lua table text, each indented by its depth in tabs.
class MacroText {
public:
    void line(int depth, const QString &text) { m_lines.append(QString(depth, u'\t') + text); }
    void value(int depth, QStringView input, const QString &value)
    {
        line(depth, input % u" = Input { Value = "_s % value % u", },"_s);
    }
    void number(int depth, QStringView input, double value)
    {
        this->value(depth, input, fusionNumber(value));
    }
    // A whole number of pixels, or a checkbox state, written without a fraction.
    void whole(int depth, QStringView input, double value)
    {
        constexpr double kExact = 9007199254740992.0; // 2^53
        this->value(depth, input,
                    std::fabs(value) < kExact ? QString::number(qint64(value))
                                              : fusionNumber(value));
    }
    void link(int depth, QStringView input, const QString &tool, QStringView output)
    {
        line(depth, input % u" = Input { SourceOp = "_s % quoted(tool) % u", Source = "_s %
                        quoted(output.toString()) % u", },"_s);
    }
    void openTool(const QString &name, QStringView id)
    {
        line(4, name % u" = "_s % id % u" {"_s);
        line(5, u"Inputs = {"_s);
    }
    void closeTool(double x, double y)
    {
        line(5, u"},"_s);
        line(5, u"ViewInfo = OperatorInfo { Pos = "_s % point(x, y) % u" },"_s);
        line(4, u"},"_s);
    }
    QString text() const { return m_lines.join(u'\n') + u'\n'; }

private:
    QStringList m_lines;
};

struct Exposed {
    const QString &tool;
    QStringView input;
    QStringView name;
    int controlGroup; // 0 for none
};

// The inputs the macro publishes, in the order an editor shows them.
const std::array<Exposed, 12> kExposed{{
    {kTextTool, u"StyledText", u"Text", 0},
    {kTextTool, u"Red1", u"Text Color", 1},
    {kTextTool, u"Green1", u"Text Color", 1},
    {kTextTool, u"Blue1", u"Text Color", 1},
    {kTextTool, u"Alpha1", u"Text Color", 1},
    {kBoxTool, u"TopLeftRed", u"Box Color", 2},
    {kBoxTool, u"TopLeftGreen", u"Box Color", 2},
    {kBoxTool, u"TopLeftBlue", u"Box Color", 2},
    {kBoxTool, u"TopLeftAlpha", u"Box Opacity", 0},
    {kTransformTool, u"Size", u"Size", 0},
    {kTransformTool, u"Angle", u"Angle", 0},
    {kTransformTool, u"Center", u"Position", 0},
}};

// The macro's own tool name: never one of the tools inside it.
QString macroToolName(const QString &templateName)
{
    QString name = fusionToolName(templateName);
    for (const QString *inner : {&kMaskTool, &kBoxTool, &kTextTool, &kMergeTool, &kTransformTool})
        if (name == *inner)
            return name + kClashSuffix;
    return name;
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
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'"') {
            escaped += u'\\';
            escaped += c;
        } else if (u == u'\n') {
            escaped += u"\\n"_s;
        } else if (u == u'\r') {
            escaped += u"\\r"_s;
        } else if (u == u'\t') {
            escaped += u"\\t"_s;
        } else if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) {
            // Three digits always, so that a digit after the escape is not taken into it.
            for (const char byte : QString(c).toUtf8())
                escaped += u'\\' + u"%1"_s.arg(int(uchar(byte)), 3, 10, QChar(u'0'));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

QString fusionToolName(const QString &templateName)
{
    QString name;
    bool separate = false;
    for (const QChar c : templateName.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const bool valid = c.isLetterOrNumber() && c.unicode() < 0x80;
        if (!valid && c != u'_') {
            separate = !name.isEmpty();
            continue;
        }
        if (separate)
            name += u'_';
        separate = false;
        name += c;
    }
    if (name.isEmpty())
        return u"Title"_s;
    if (name.front().isDigit())
        name.prepend(u'T');
    return name;
}

std::optional<QString> renameFusionMacro(const QString &macroText, const QString &newName)
{
    static const QRegularExpression head(uR"re(\A\{\n\tTools = ordered\(\) \{\n)re"
                                         uR"re(\t\t([A-Za-z_]\w*) = MacroOperator \{\n)re"_s);
    static const QRegularExpression tail(uR"re(\n\tActiveTool = "([A-Za-z_]\w*)",?\n\}\n?\z)re"_s);
    const QRegularExpressionMatch first = head.match(macroText);
    const QRegularExpressionMatch last = tail.match(macroText);
    if (!first.hasMatch() || !last.hasMatch() || first.captured(1) != last.captured(1) ||
        last.capturedStart(1) < first.capturedEnd())
        return std::nullopt;
    const QString name = macroToolName(newName);
    QString renamed = macroText;
    renamed.replace(last.capturedStart(1), last.capturedLength(1), name);
    renamed.replace(first.capturedStart(1), first.capturedLength(1), name);
    return renamed;
}

QString makeFusionMacro(const QString &macroName, const QList<MogrtControl> &controls,
                        QSizeF frameSize)
{
    const MacroInputs in = readInputs(controls);
    const QSizeF frame = pixelFrame(frameSize);
    const double width = frame.width();
    const double height = frame.height();
    const Point position = in.position.value_or(Point{width / 2.0, height / 2.0});
    const QString name = macroToolName(macroName);

    MacroText out;
    out.line(0, u"{"_s);
    out.line(1, u"Tools = ordered() {"_s);
    out.line(2, name % u" = MacroOperator {"_s);

    out.line(3, u"Inputs = ordered() {"_s);
    for (std::size_t i = 0; i < kExposed.size(); ++i) {
        const Exposed &e = kExposed[i];
        const QString group = e.controlGroup
                                  ? u" ControlGroup = "_s % QString::number(e.controlGroup) % u","_s
                                  : QString();
        out.line(4, u"Input"_s % QString::number(i + 1) % u" = InstanceInput { SourceOp = "_s %
                        quoted(e.tool) % u", Source = "_s % quoted(e.input.toString()) %
                        u", Name = "_s % quoted(e.name.toString()) % u","_s % group % u" },"_s);
    }
    out.line(3, u"},"_s);
    out.line(3, u"Outputs = {"_s);
    out.line(4, u"MainOutput1 = InstanceOutput { SourceOp = "_s % quoted(kTransformTool) %
                    u", Source = \"Output\", },"_s);
    out.line(3, u"},"_s);
    out.line(3, u"ViewInfo = GroupInfo { Pos = { 0, 0 } },"_s);
    out.line(3, u"Tools = ordered() {"_s);

    // Mask sizes are fractions of the image's width, both of them.
    out.openTool(kMaskTool, u"RectangleMask");
    out.whole(6, u"MaskWidth", width);
    out.whole(6, u"MaskHeight", height);
    out.value(6, u"PixelAspect", u"{ 1, 1 }"_s);
    out.number(6, u"Width", atLeastMinimum(in.boxWidth));
    out.number(6, u"Height",
               finiteOr(atLeastMinimum(in.boxHeight) * height / width,
                        MacroInputs().boxHeight * height / width));
    out.closeTool(0.0, -49.5);

    out.openTool(kBoxTool, u"Background");
    out.link(6, u"EffectMask", kMaskTool, u"Mask");
    out.whole(6, u"UseFrameFormatSettings", 0.0);
    out.whole(6, u"Width", width);
    out.whole(6, u"Height", height);
    out.number(6, u"TopLeftRed", in.boxColour.red);
    out.number(6, u"TopLeftGreen", in.boxColour.green);
    out.number(6, u"TopLeftBlue", in.boxColour.blue);
    out.number(6, u"TopLeftAlpha", finiteOr(in.boxColour.alpha * in.opacityFactor, 1.0));
    out.closeTool(0.0, 0.0);

    out.openTool(kTextTool, u"TextPlus");
    out.whole(6, u"UseFrameFormatSettings", 0.0);
    out.whole(6, u"Width", width);
    out.whole(6, u"Height", height);
    out.value(6, u"StyledText", quoted(in.text));
    out.value(6, u"Font", quoted(u"Helvetica"_s));
    out.value(6, u"Style", quoted(in.italic ? u"Italic"_s : u"Regular"_s));
    // Tracking is added to the normal spacing of 1.
    out.number(6, u"CharacterSpacing", finiteOr(1.0 + in.tracking, 1.0));
    out.number(6, u"Red1", in.textColour.red);
    out.number(6, u"Green1", in.textColour.green);
    out.number(6, u"Blue1", in.textColour.blue);
    out.number(6, u"Alpha1", in.textColour.alpha);
    out.closeTool(0.0, 49.5);

    out.openTool(kMergeTool, u"Merge");
    out.link(6, u"Background", kBoxTool, u"Output");
    out.link(6, u"Foreground", kTextTool, u"Output");
    out.closeTool(110.0, 0.0);

    // Fusion's y axis points up, the template's down.
    out.openTool(kTransformTool, u"Transform");
    out.link(6, u"Input", kMergeTool, u"Output");
    out.value(6, u"Center", point(position.x / width, 1.0 - position.y / height));
    out.value(6, u"Pivot", point(0.5, 0.5));
    out.number(6, u"Size", atLeastMinimum(in.size));
    out.number(6, u"Angle", in.angle);
    out.closeTool(220.0, 0.0);

    out.line(3, u"},"_s);
    out.line(2, u"},"_s);
    out.line(1, u"},"_s);
    out.line(1, u"ActiveTool = "_s % quoted(name) % u","_s);
    out.line(0, u"}"_s);
    return out.text();
}

qsizetype recognisedControlCount(const QList<MogrtControl> &controls)
{
    return std::count_if(kControlNames.begin(), kControlNames.end(), [&](const QString &name) {
        return findControl(name, controls).has_value();
    });
}

} // namespace hb
