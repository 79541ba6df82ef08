#include "calibration/SpotreadOutput.h"

#include <QByteArray>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <initializer_list>

namespace hb {

namespace {

constexpr qsizetype kMaxTextLength = 200;

// A decimal number as printf writes it, with a point or (in some locales) a comma.
constexpr auto kNumber = R"([-+]?(?:\d+(?:[.,]\d*)?|[.,]\d+)(?:[eE][-+]?\d+)?)";

const QRegularExpression &resultPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^Result is XYZ:\s*(%1)\s+(%1)\s+(%1))").arg(QLatin1String(kNumber)));
    return pattern;
}

const QRegularExpression &yxyPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(\bYxy:\s*(%1)\s+(%1)\s+(%1))").arg(QLatin1String(kNumber)));
    return pattern;
}

std::optional<double> toNumber(QStringView text)
{
    QByteArray bytes = text.toLatin1();
    bytes.replace(',', '.');
    bool ok = false;
    const double value = bytes.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::array<double, 3>> triple(const QRegularExpressionMatch &match)
{
    std::array<double, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const auto value = toNumber(match.capturedView(i + 1));
        if (!value)
            return std::nullopt;
        values.at(static_cast<std::size_t>(i)) = *value;
    }
    return values;
}

// The line as text that is safe to show: Latin-1, control characters as spaces, trimmed.
QString printable(QByteArrayView line)
{
    QString text = QString::fromLatin1(line.first(std::min(line.size(), kMaxTextLength * 2)));
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u' ';
    }
    text = text.simplified();
    if (text.size() > kMaxTextLength)
        text = text.first(kMaxTextLength) + u'…';
    return text;
}

bool containsAny(const QString &haystack, std::initializer_list<QLatin1StringView> needles)
{
    for (const auto needle : needles) {
        if (haystack.contains(needle))
            return true;
    }
    return false;
}

} // namespace

std::optional<SpotreadOutput::Reading> SpotreadOutput::parseResult(QByteArrayView line)
{
    const QString text = printable(line);
    const auto xyzMatch = resultPattern().match(text);
    if (!xyzMatch.hasMatch())
        return std::nullopt;
    const auto xyz = triple(xyzMatch);
    if (!xyz)
        return std::nullopt;

    Reading reading{.X = (*xyz)[0], .Y = (*xyz)[1], .Z = (*xyz)[2]};
    const auto yxyMatch = yxyPattern().match(text, xyzMatch.capturedEnd());
    if (!yxyMatch.hasMatch() && text.indexOf(u"Yxy:", xyzMatch.capturedEnd()) >= 0)
        return std::nullopt; // a Yxy that does not read would give the wrong chromaticity
    if (yxyMatch.hasMatch()) {
        const auto yxy = triple(yxyMatch);
        if (!yxy)
            return std::nullopt;
        reading.x = (*yxy)[1];
        reading.y = (*yxy)[2];
    } else if (const double sum = reading.X + reading.Y + reading.Z; sum > 0) {
        reading.x = reading.X / sum;
        reading.y = reading.Y / sum;
    }
    return reading;
}

SpotreadOutput::Line SpotreadOutput::classify(QByteArrayView line)
{
    Line result;
    result.text = printable(line);
    const QString lower = result.text.toLower();
    using L = QLatin1StringView;

    if (lower.startsWith(L("result is"))) {
        result.reading = parseResult(line);
        result.kind = result.reading ? Kind::Result : Kind::Error;
    } else if (lower.contains(L("to take a reading"))) {
        result.kind = Kind::MeasurePrompt;
    } else if ((lower.contains(L("calibrat")) &&
                containsAny(
                    lower, {L("position"), L("any key"), L("needs"), L("required"), L("place")})) ||
               lower.contains(L("white reference"))) {
        result.kind = Kind::CalibrationPrompt;
    } else if (containsAny(lower, {L("no instrument"), L("no ports found"),
                                   L("communications failed"), L("busy port")})) {
        result.kind = Kind::NoInstrument;
    } else if (lower.startsWith(L("error")) || lower.startsWith(L("diagnostic")) ||
               lower.contains(L("failed"))) {
        result.kind = Kind::Error;
    }
    return result;
}

} // namespace hb
