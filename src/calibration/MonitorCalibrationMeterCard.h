#pragma once

#include <QWidget>

#include <chrono>
#include <functional>
#include <optional>

class QHBoxLayout;
class QTimer;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace hb {

class MonitorCalibrationHostNetworking;
class MonitorCalibrationMeterLog;
class MonitorCalibrationTrackingChart;

// The light meter's card: the link's status, port, address and meter, the latest reading, the
// grey tracking chart of the session's readings, and the Start, Stop and Save Log buttons.
// Text that comes from the meter is shown as plain text.
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

    // "Name (192.0.2.7)", "Unnamed meter (192.0.2.7)", "Name" or "No meter".
    static QString connectedText(const std::optional<QString> &deviceName,
                                 const std::optional<QString> &address);

Q_SIGNALS:
    void saveLogRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void addLinkSection(QVBoxLayout *layout);
    void addMeasurementSection(QVBoxLayout *layout);
    QHBoxLayout *buildButtons();
    void showNow();

    MonitorCalibrationHostNetworking &m_networking;
    const MonitorCalibrationMeterLog &m_log;
    QLabel *m_status;
    QLabel *m_port;
    QLabel *m_address;
    QLabel *m_connected;
    QList<QLabel *> m_measurementLines;
    QLabel *m_noMeasurement;
    MonitorCalibrationTrackingChart *m_chart;
    QLabel *m_logCount;
    QPushButton *m_saveLog;
    Clock m_clock;
    QTimer *m_refreshTimer;
    std::optional<std::chrono::steady_clock::time_point> m_shownAt;
};

} // namespace hb
