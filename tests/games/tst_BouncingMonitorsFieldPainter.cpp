#include "games/BouncingMonitorsFieldPainter.h"
#include "games/BouncingMonitorsGameScene.h"

#include "BouncingMonitorsTestRandom.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cstdlib>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

namespace {

constexpr QSize kField(400, 300);
// Where the first frame's monitors stand (scene points, y up), and the second frame's.
const QList<QPointF> kFirstPlaces{{80, 80}, {80, 220}, {320, 80}, {320, 220}};
constexpr QPointF kSecondPlace(150, 120);

// A scene whose four monitors stand still and upright at the given places.
struct Field {
    ScriptedRandom random;
    BouncingMonitorsGameScene scene{random.source()};

    Field(QSize size, const QList<QPointF> &places, double hue)
    {
        scene.setSize(size);
        scene.setMonitorCount(places.size());
        random.push({0.5}); // the Target
        for (const QPointF &place : places)
            random.push(MonitorDraws{hue, place, 60, 1.25, 0}.values());
        scene.didMoveToView();
    }
};

// The field painted at the top left of a black window 40 points larger, as the field view
// paints itself.
QImage paintWindow(BouncingMonitorsFieldPainter &fieldPainter, const Field &field, qreal ratio)
{
    const QSize size = field.scene.size().toSize();
    QImage window((QSizeF(size + QSize(40, 40)) * ratio).toSize(),
                  QImage::Format_ARGB32_Premultiplied);
    window.setDevicePixelRatio(ratio);
    window.fill(Qt::black);
    QPainter painter(&window);
    fieldPainter.paint(painter, field.scene, size);
    return window;
}

// Empty if the window shows the expected colour at a point of the scene (y up), give or take
// rounding; otherwise what it shows.
QString mismatchAt(const QImage &window, const Field &field, QPointF at, const QColor &expected)
{
    const QPointF onWindow(at.x(), field.scene.size().height() - at.y());
    const QColor actual = window.pixelColor((onWindow * window.devicePixelRatio()).toPoint());
    const int difference = std::max({std::abs(actual.red() - expected.red()),
                                     std::abs(actual.green() - expected.green()),
                                     std::abs(actual.blue() - expected.blue())});
    if (difference <= 2)
        return {};
    return u"(%1, %2) shows %3, not %4"_s.arg(at.x()).arg(at.y()).arg(actual.name(),
                                                                      expected.name());
}

} // namespace

// Two frames from one field painter: the second, of another scene and possibly at another size
// and pixel ratio, must show that scene alone, where it belongs, and nothing of the first.
class TestBouncingMonitorsFieldPainter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void secondFrame_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<qreal>("ratio");

        QTest::newRow("same field") << kField << 1.0;
        QTest::newRow("fractional ratio") << kField << 1.5;
        QTest::newRow("smaller field") << QSize(300, 200) << 1.0;
    }

    void secondFrame()
    {
        QFETCH(QSize, size);
        QFETCH(qreal, ratio);
        BouncingMonitorsFieldPainter fieldPainter;
        paintWindow(fieldPainter, Field(kField, kFirstPlaces, 0.6), 1);

        const Field second(size, QList<QPointF>(4, kSecondPlace), 0);
        const QImage window = paintWindow(fieldPainter, second, ratio);

        const QColor black(Qt::black);
        const QColor card(8, 8, 8); // white at 8 of 255 over black
        const QColor screen = second.scene.monitorNodes()
                                  .first()
                                  .childNamed(BouncingMonitorsGameScene::kScreenName)
                                  ->fill.toQColor();
        QList<std::pair<QPointF, QColor>> expected{
            {kSecondPlace, screen},
            {QPointF(2, size.height() - 2), black}, // outside the rounded corners
            {QPointF(size.width() - 2, 2), black},
            {QPoint(size.width() + 20, size.height() / 2), black},
        };
        for (const QPointF &place : kFirstPlaces) {
            if (place.x() < size.width() && place.y() < size.height())
                expected.append({place, card});
        }
        QStringList mismatches;
        for (const auto &[at, color] : expected) {
            if (const QString mismatch = mismatchAt(window, second, at, color); !mismatch.isEmpty())
                mismatches.append(mismatch);
        }
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(u"; "_s)));
    }
};

QTEST_GUILESS_MAIN(TestBouncingMonitorsFieldPainter)
#include "tst_BouncingMonitorsFieldPainter.moc"
