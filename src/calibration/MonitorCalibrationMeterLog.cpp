#include "calibration/MonitorCalibrationMeterLog.h"

#include <QLocale>

#include <charconv>
#include <map>

namespace hb {
namespace {

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

// Quotes a field when it holds a separator, a quote or a line break.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

const char *const kStepKeys[] = {"brightness", "contrast",  "gamma",
                                 "grayscale",  "primaries", "uniformity"};

} // namespace

void MonitorCalibrationMeterLog::append(Entry entry)
{
    if (m_entries.size() >= kMaxEntries)
        m_entries.removeFirst();
    m_entries.append(std::move(entry));
}

QByteArray MonitorCalibrationMeterLog::toCsv() const
{
    QByteArray csv = "receivedAt,step,patch,r,g,b,meanR,meanG,meanB,stddev,"
                     "exposureDurationSeconds,iso\r\n";
    for (const Entry &entry : m_entries) {
        const MonitorCalibrationMeasurementPayload &m = entry.measurement;
        csv += entry.receivedAt.toUTC().toString(Qt::ISODateWithMs).toLatin1() + ',' +
               kStepKeys[static_cast<int>(entry.step)] + ',' + csvField(entry.patch.name) + ',' +
               number(entry.patch.r) + ',' + number(entry.patch.g) + ',' + number(entry.patch.b) +
               ',' + number(m.meanR) + ',' + number(m.meanG) + ',' + number(m.meanB) + ',' +
               number(m.stddev) + ',' + number(m.exposureDurationSeconds) + ',' + number(m.iso) +
               "\r\n";
    }
    return csv;
}

double
MonitorCalibrationMeterLog::luminance(const MonitorCalibrationMeasurementPayload &measurement)
{
    return 0.2126 * measurement.meanR + 0.7152 * measurement.meanG + 0.0722 * measurement.meanB;
}

QList<QPointF> MonitorCalibrationMeterLog::greyTracking() const
{
    std::map<double, double> latest;
    for (const Entry &entry : m_entries) {
        if (entry.patch.r == entry.patch.g && entry.patch.g == entry.patch.b)
            latest[entry.patch.r] = luminance(entry.measurement);
    }
    QList<QPointF> points;
    for (const auto &[level, value] : latest)
        points.append({level, value});
    return points;
}

// printf's "%.Nf": correctly rounded (an exact tie goes to the even digit), with a point as the
// decimal separator whatever the user's locale.
QString fixed(double value, int decimals)
{
    char text[400];
    const auto result =
        std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(text, result.ptr - text);
}

QStringList measurementLines(const MonitorCalibrationMeasurementPayload &m)
{
    return {u"Mean RGB: " + fixed(m.meanR, 3) + u' ' + fixed(m.meanG, 3) + u' ' + fixed(m.meanB, 3),
            u"Stddev: " + fixed(m.stddev, 4),
            u"Exposure: " + fixed(m.exposureDurationSeconds, 4) + u"s ISO " + fixed(m.iso, 0)};
}

} // namespace hb
