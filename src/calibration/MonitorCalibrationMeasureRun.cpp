#include "calibration/MonitorCalibrationMeasureRun.h"

#include "calibration/MonitorCalibrationHostNetworking.h"

#include <QDateTime>

namespace hb {
namespace {

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

MonitorCalibrationMeasureRun::MonitorCalibrationMeasureRun(
    MonitorCalibrationHostNetworking &networking, MonitorCalibrationMeterLog &log, QObject *parent)
    : QObject(parent), m_networking(networking), m_log(log), m_shown(m_sequence.current())
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(kDefaultSettleTime);
    connect(&m_settle, &QTimer::timeout, this, &MonitorCalibrationMeasureRun::startColorimeter);
    connect(&m_colorimeter, &SpotreadMeter::measured, this,
            [this](const SpotreadOutput::Reading &reading) {
                Q_EMIT colorimeterReadingChanged(
                    {u"XYZ: " + fixed(reading.X, 2) + u' ' + fixed(reading.Y, 2) + u' ' +
                         fixed(reading.Z, 2),
                     u"Y: " + fixed(reading.Y, 2) + u" cd/m\u00B2, xy: " + fixed(reading.x, 4) +
                         u' ' + fixed(reading.y, 4)});
                Q_EMIT colorimeterStatusChanged(u"Measured " + m_shown.name);
                MonitorCalibrationMeterLog::Entry entry;
                entry.source = MonitorCalibrationMeterSource::Colorimeter;
                entry.xyz = {reading.X, reading.Y, reading.Z};
                record(std::move(entry));
            });
    // A new meter owes no answers.
    connect(&m_networking, &MonitorCalibrationHostNetworking::connectedAddressChanged, this,
            [this] { m_unanswered.clear(); });
    connect(&m_colorimeter, &SpotreadMeter::failed, this, [this](const QString &message) {
        Q_EMIT colorimeterStatusChanged(message);
        if (m_running)
            finishRun(message);
    });
}

void MonitorCalibrationMeasureRun::setActive(bool active)
{
    if (active == m_active)
        return;
    stop();
    m_active = active;
    m_unanswered.clear();
    if (active)
        show(m_sequence.index());
}

void MonitorCalibrationMeasureRun::setSource(MonitorCalibrationMeterSource source)
{
    if (source == m_source)
        return;
    stop();
    m_source = source;
    m_unanswered.clear();
}

void MonitorCalibrationMeasureRun::showPatch(qsizetype index)
{
    stop();
    show(index);
}

void MonitorCalibrationMeasureRun::setGreySteps(int steps)
{
    stop();
    m_sequence.setGreySteps(steps);
    show(m_sequence.index());
}

void MonitorCalibrationMeasureRun::show(qsizetype index)
{
    m_settle.stop();
    m_colorimeter.cancel();
    m_sequence.setIndex(index);
    m_shown = m_sequence.current();
    Q_EMIT patchShown(m_shown);
    if (!m_active)
        return;
    if (m_source == MonitorCalibrationMeterSource::Network)
        sendToNetworkMeter();
    else if (m_running)
        m_settle.start();
}

void MonitorCalibrationMeasureRun::sendToNetworkMeter()
{
    m_networking.sendShowPatch(m_shown);
    if (m_networking.connectedAddress()) // else nothing was sent
        m_unanswered.push_back(std::chrono::steady_clock::now());
}

void MonitorCalibrationMeasureRun::measure()
{
    if (!m_active)
        return;
    if (m_source == MonitorCalibrationMeterSource::Network) {
        m_shown = m_sequence.current(); // a new id: a new request to the meter
        sendToNetworkMeter();
        return;
    }
    if (!m_colorimeter.isMeasuring() && !m_settle.isActive())
        m_settle.start();
}

void MonitorCalibrationMeasureRun::startColorimeter()
{
    if (m_colorimeter.measure())
        Q_EMIT colorimeterStatusChanged(u"Measuring " + m_shown.name + u"\u2026");
}

void MonitorCalibrationMeasureRun::measureAll()
{
    if (!m_active || m_running)
        return;
    m_running = true;
    Q_EMIT runningChanged(true);
    show(0);
}

void MonitorCalibrationMeasureRun::stop()
{
    m_settle.stop();
    m_colorimeter.cancel();
    if (m_running) {
        m_running = false;
        Q_EMIT runningChanged(false);
    }
}

void MonitorCalibrationMeasureRun::finishRun(const QString &status)
{
    stop();
    if (m_source == MonitorCalibrationMeterSource::Colorimeter)
        Q_EMIT colorimeterStatusChanged(status);
}

void MonitorCalibrationMeasureRun::takeNetworkReading(
    const MonitorCalibrationMeasurementPayload &measurement)
{
    if (m_source != MonitorCalibrationMeterSource::Network)
        return;
    const auto now = std::chrono::steady_clock::now();
    while (!m_unanswered.empty() && now - m_unanswered.front() > kAnswerTime)
        m_unanswered.pop_front();
    const bool answersAnEarlierPatch = m_unanswered.size() > 1;
    if (!m_unanswered.empty())
        m_unanswered.pop_front();
    if (answersAnEarlierPatch)
        return;
    MonitorCalibrationMeterLog::Entry entry;
    entry.measurement = measurement;
    record(std::move(entry));
}

void MonitorCalibrationMeasureRun::record(MonitorCalibrationMeterLog::Entry entry)
{
    if (!m_active)
        return;
    entry.receivedAt = QDateTime::currentDateTimeUtc();
    entry.patch = m_shown;
    entry.area = m_area;
    m_log.append(std::move(entry));
    Q_EMIT recorded();
    if (!m_running)
        return;
    if (m_sequence.hasNext())
        show(m_sequence.index() + 1);
    else
        finishRun(QStringLiteral("Measured all %1 patches").arg(m_sequence.patches().size()));
}

} // namespace hb
