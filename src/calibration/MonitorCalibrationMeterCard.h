#pragma once

#include <QWidget>

class QHBoxLayout;
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
class MonitorCalibrationMeterCard : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSideBySideWidth = 320;

    MonitorCalibrationMeterCard(MonitorCalibrationHostNetworking &networking,
                                const MonitorCalibrationMeterLog &log, QWidget *parent = nullptr);

    // Shows the host's fields and the log as they are now.
    void refresh();

Q_SIGNALS:
    void saveLogRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void addLinkSection(QVBoxLayout *layout);
    void addMeasurementSection(QVBoxLayout *layout);
    QHBoxLayout *buildButtons();

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
};

} // namespace hb
