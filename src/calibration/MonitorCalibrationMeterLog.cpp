#include "calibration/MonitorCalibrationMeterLog.h"

#include <QLocale>

#include <algorithm>
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

QByteArray sourceKey(MonitorCalibrationMeterSource source)
{
    return source == MonitorCalibrationMeterSource::Colorimeter ? "colorimeter" : "network";
}

} // namespace

void MonitorCalibrationMeterLog::append(Entry entry)
{
    const MonitorCalibrationPatch &patch = entry.patch;
    m_latestSource = entry.source;
    std::deque<Kept> &kept = m_byPatch[{entry.source, patch.name, patch.r, patch.g, patch.b}];
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
    QByteArray csv = "receivedAt,source,patch,patchAreaPercent,r,g,b,meanR,meanG,meanB,stddev,"
                     "exposureDurationSeconds,iso,X,Y,Z\r\n";
    for (const Entry &entry : entries()) {
        csv += entry.receivedAt.toUTC().toString(Qt::ISODateWithMs).toLatin1() + ',' +
               sourceKey(entry.source) + ',' + csvField(entry.patch.name) + ',' +
               MonitorCalibrationMeasureSequence::percent(entry.area).toLatin1() + ',' +
               number(entry.patch.r) + ',' + number(entry.patch.g) + ',' + number(entry.patch.b);
        // Each source fills its own columns and leaves the other's empty.
        if (entry.source == MonitorCalibrationMeterSource::Network) {
            const MonitorCalibrationMeasurementPayload &m = entry.measurement;
            csv += ',' + number(m.meanR) + ',' + number(m.meanG) + ',' + number(m.meanB) + ',' +
                   number(m.stddev) + ',' + number(m.exposureDurationSeconds) + ',' +
                   number(m.iso) + ",,,";
        } else {
            csv += ",,,,,,," + number(entry.xyz.X) + ',' + number(entry.xyz.Y) + ',' +
                   number(entry.xyz.Z);
        }
        csv += "\r\n";
    }
    return csv;
}

double MonitorCalibrationMeterLog::Entry::luminance() const
{
    if (source == MonitorCalibrationMeterSource::Colorimeter)
        return xyz.Y;
    return 0.2126 * measurement.meanR + 0.7152 * measurement.meanG + 0.0722 * measurement.meanB;
}

QList<MonitorCalibrationMeterLog::Entry> MonitorCalibrationMeterLog::latest() const
{
    std::vector<const Kept *> newest;
    for (const auto &[key, kept] : m_byPatch) {
        if (!kept.empty() && std::get<0>(key) == m_latestSource)
            newest.push_back(&kept.back());
    }
    std::sort(newest.begin(), newest.end(),
              [](const Kept *a, const Kept *b) { return a->order < b->order; });
    QList<Entry> entries;
    entries.reserve(qsizetype(newest.size()));
    for (const Kept *kept : newest)
        entries.append(kept->entry);
    return entries;
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
