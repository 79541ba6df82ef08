#pragma once

#include "calibration/MonitorCalibrationMeterLog.h"

#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

class QComboBox;
class QHBoxLayout;
class QTimer;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace hb {

class MonitorCalibrationHostNetworking;
class MonitorCalibrationTrackingChart;

// The light meter's card: the choice of meter (the network meter or a colorimeter), the network
// link's status, port, address and meter or the colorimeter's status, the latest reading, the
// grey tracking chart of the session's measure-mode readings (and their report, for the screen to
// show), and the Start, Stop and Save Log buttons. Text that comes from a meter is shown as plain
// text.
//
// A meter may send hundreds of readings a second; the card shows them at most ten times a second.
class MonitorCalibrationMeterCard : public QWidget {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int kSideBySideWidth = 320;
    static constexpr std::chrono::milliseconds kRefreshInterval{100};

    // `clock` empty: the steady clock.
    MonitorCalibrationMeterCard(MonitorCalibrationHostNetworking &networking,
                                const MonitorCalibrationMeterLog &log, QWidget *parent = nullptr,
                                Clock clock = {});

    // Shows the host's fields and the log as they are now: at once when the card was last shown
    // at least kRefreshInterval ago, else once when that interval is over (with what is there
    // then), however often this is called meanwhile.
    void refresh();

    MonitorCalibrationMeterSource source() const { return m_sourceShown; }
    void setSource(MonitorCalibrationMeterSource source);
    // What the colorimeter is doing or why it could not read; shown while it is the source.
    void setColorimeterStatus(const QString &text);
    // Lines describing the colorimeter's latest reading.
    void setColorimeterReading(const QStringList &lines);

    // "Name (192.0.2.7)", "Unnamed meter (192.0.2.7)", "Name" or "No meter".
    static QString connectedText(const std::optional<QString> &deviceName,
                                 const std::optional<QString> &address);

Q_SIGNALS:
    void saveLogRequested();
    void sourceChosen(hb::MonitorCalibrationMeterSource source);
    // The report of the measure-mode readings, each time the card shows them.
    void reportChanged(const QStringList &summary, const QString &gammaByStep);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void addSourceSection(QVBoxLayout *layout);
    void addLinkSection(QVBoxLayout *layout);
    void addMeasurementSection(QVBoxLayout *layout);
    QHBoxLayout *buildButtons();
    void showNow();

    MonitorCalibrationHostNetworking &m_networking;
    const MonitorCalibrationMeterLog &m_log;
    MonitorCalibrationMeterSource m_sourceShown = MonitorCalibrationMeterSource::Network;
    QComboBox *m_source;
    QWidget *m_link;
    QLabel *m_colorimeterStatus;
    QStringList m_colorimeterReading;
    QLabel *m_status;
    QLabel *m_port;
    QLabel *m_address;
    QLabel *m_connected;
    QList<QLabel *> m_measurementLines;
    QLabel *m_noMeasurement;
    MonitorCalibrationTrackingChart *m_chart;
    QLabel *m_logCount;
    QWidget *m_linkButtons;
    QPushButton *m_saveLog;
    Clock m_clock;
    QTimer *m_refreshTimer;
    std::optional<std::chrono::steady_clock::time_point> m_shownAt;
};

} // namespace hb
