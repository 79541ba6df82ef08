#include "games/BouncingMonitorsGameScene.h"

#include <QRandomGenerator>
#include <QTest>

#include <box2d/box2d.h>

#include <cmath>
#include <memory>

using namespace hb;
using namespace Qt::StringLiterals;
using Scene = BouncingMonitorsGameScene;

namespace {

Scene::RandomSource seeded(quint32 seed)
{
    return [generator = std::make_shared<QRandomGenerator>(seed)](double low, double high) {
        return low + (high - low) * generator->generateDouble();
    };
}

double kineticEnergy(const Scene &scene)
{
    double energy = 0;
    for (const BouncingMonitorsNode &monitor : scene.monitorNodes()) {
        const b2Body &body = *monitor.body;
        const double speed = double(body.GetLinearVelocity().Length());
        const double spin = double(body.GetAngularVelocity());
        energy += double(body.GetMass()) * speed * speed / 2 +
                  double(body.GetInertia()) * spin * spin / 2;
    }
    return energy;
}

// How far the monitor's bezel reaches past the edge loop, in points (0 when fully inside).
double overreach(const BouncingMonitorsNode &monitor, QSizeF field)
{
    const double inset = Scene::kEdgeInset;
    double worst = 0;
    for (const QPointF corner : {monitor.rect.topLeft(), monitor.rect.topRight(),
                                 monitor.rect.bottomLeft(), monitor.rect.bottomRight()}) {
        const double c = std::cos(monitor.rotation), s = std::sin(monitor.rotation);
        const QPointF p = monitor.position +
                          QPointF(c * corner.x() - s * corner.y(), s * corner.x() + c * corner.y());
        worst = std::max({worst, inset - p.x(), p.x() - (field.width() - inset), inset - p.y(),
                          p.y() - (field.height() - inset)});
    }
    return worst;
}

} // namespace

// The field is closed and every collision is perfectly elastic: over a long run the monitors
// stay inside the edge loop and keep their energy.
class TestBouncingMonitorsPhysics : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void elasticAndContained_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QSizeF>("spawnSize");
        QTest::addColumn<QSizeF>("size");
        QTest::addColumn<quint32>("seed");

        QTest::newRow("4 on 800 x 600") << 4LL << QSizeF(800, 600) << QSizeF(800, 600) << 1u;
        QTest::newRow("24 crowded on 640 x 400")
            << 24LL << QSizeF(640, 400) << QSizeF(640, 400) << 7u;
        QTest::newRow("18, then the window shrinks")
            << 18LL << QSizeF(1280, 800) << QSizeF(900, 560) << 6u;
    }

    void elasticAndContained()
    {
        QFETCH(qint64, count);
        QFETCH(QSizeF, spawnSize);
        QFETCH(QSizeF, size);
        QFETCH(quint32, seed);

        Scene scene(seeded(seed));
        scene.setSize(spawnSize);
        scene.setMonitorCount(count);
        scene.didMoveToView();
        scene.setSize(size);
        const double start = kineticEnergy(scene);
        QVERIFY(start > 0);

        // Ten seconds of 60 Hz frames; the energy is checked every second.
        for (int second = 1; second <= 10; ++second) {
            for (int frame = 0; frame < 60; ++frame)
                scene.advance(1.0 / 60);
            const double ratio = kineticEnergy(scene) / start;
            QVERIFY2(
                std::abs(ratio - 1) < 0.03,
                qPrintable(u"after %1 s the energy is %2 of the start"_s.arg(second).arg(ratio)));
        }
        QCOMPARE(scene.monitorNodes().size(), count);
        for (const BouncingMonitorsNode &monitor : scene.monitorNodes()) {
            // The engine lets shapes overlap by a fraction of a point while it resolves a contact.
            const double reach = overreach(monitor, size);
            QVERIFY2(reach < 1.5, qPrintable(u"a monitor reaches %1 past the edge"_s.arg(reach)));
        }
    }
};

QTEST_GUILESS_MAIN(TestBouncingMonitorsPhysics)
#include "tst_BouncingMonitorsPhysics.moc"
