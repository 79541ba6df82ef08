#include "calibration/MonitorCalibrationMeterLog.h"

#include <QLocale>

#include <charconv>
#include <queue>

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

const char *const kStepKeys[] = {"brightness", "pluge",     "contrast",  "gamma",
                                 "grayscale",  "primaries", "uniformity"};

} // namespace

void MonitorCalibrationMeterLog::append(Entry entry)
{
    const MonitorCalibrationPatch &patch = entry.patch;
    if (patch.r == patch.g && patch.g == patch.b)
        m_greyLatest[patch.r] = luminance(entry.measurement);
    // Dropping a patch's oldest reading never drops the latest of a grey level: the patch's
    // newest reading is newer still and has the same level.
    std::deque<Kept> &kept = m_byPatch[{patch.name, patch.r, patch.g, patch.b}];
    if (qsizetype(kept.size()) >= kMaxEntriesPerPatch) {
        kept.pop_front();
        --m_size;
    }
    kept.push_back({m_arrivals++, std::move(entry)});
    ++m_size;
}

QList<MonitorCalibrationMeterLog::Entry> MonitorCalibrationMeterLog::entries() const
{
    // Each patch's readings are in arrival order already; merge them by arrival.
    using Cursor = std::pair<std::deque<Kept>::const_iterator, std::deque<Kept>::const_iterator>;
    const auto later = [](const Cursor &a, const Cursor &b) {
        return a.first->order > b.first->order;
    };
    std::priority_queue<Cursor, std::vector<Cursor>, decltype(later)> next(later);
    for (const auto &[key, kept] : m_byPatch) {
        if (!kept.empty())
            next.push({kept.begin(), kept.end()});
    }
    QList<Entry> entries;
    entries.reserve(m_size);
    while (!next.empty()) {
        Cursor cursor = next.top();
        next.pop();
        entries.append(cursor.first->entry);
        if (++cursor.first != cursor.second)
            next.push(cursor);
    }
    return entries;
}

QByteArray MonitorCalibrationMeterLog::toCsv() const
{
    QByteArray csv = "receivedAt,step,patch,r,g,b,meanR,meanG,meanB,stddev,"
                     "exposureDurationSeconds,iso\r\n";
    for (const Entry &entry : entries()) {
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
    QList<QPointF> points;
    points.reserve(qsizetype(m_greyLatest.size()));
    for (const auto &[level, value] : m_greyLatest)
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
