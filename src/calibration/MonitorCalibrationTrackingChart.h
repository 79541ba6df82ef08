#pragma once

#include <QList>
#include <QPointF>
#include <QWidget>

namespace hb {

// A small chart of measured luminance against grey patch level, with the response a display
// of gamma 2.2 would give through the brightest point: points below the curve mean crushed
// shadows or mids, points above mean lifted ones.
class MonitorCalibrationTrackingChart : public QWidget {
    Q_OBJECT

public:
    static constexpr double kReferenceGamma = 2.2;

    explicit MonitorCalibrationTrackingChart(QWidget *parent = nullptr);

    // x: patch level 0 to 1, y: luminance in the meter's scale; sorted by x.
    void setPoints(const QList<QPointF> &points);
    const QList<QPointF> &points() const { return m_points; }

    // The reference luminance at `level`, scaled so that it passes through `brightest`;
    // nothing when the brightest point cannot scale it (level or luminance not above 0).
    static std::optional<double> referenceLuminance(double level, QPointF brightest);

    QSize sizeHint() const override { return {280, 120}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<QPointF> m_points;
};

} // namespace hb
