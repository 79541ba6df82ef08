#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutGridView.h"

#include <QBuffer>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace hb;
using namespace Qt::StringLiterals;

using Input = std::function<void(QWidget *)>;

Q_DECLARE_METATYPE(hb::ShortcutButton)
Q_DECLARE_METATYPE(Input)

namespace {

// 472 x 472 gives cells of 106 from 12, every 114.
const QSizeF kSquare(472, 472);

ShortcutButton button(qint64 id, int row, int col)
{
    ShortcutButton b;
    b.id = id;
    b.row = row;
    b.col = col;
    return b;
}

// Cell index -> button id; the other cells are empty.
QList<qint64> gridWith(std::initializer_list<std::pair<int, qint64>> placed)
{
    QList<qint64> list(ShortcutGrid::kCellCount, 0);
    for (const auto &[index, id] : placed)
        list[index] = id;
    return list;
}

QPoint centreOf(int row, int col)
{
    return ShortcutGrid::cellRect(kSquare, row, col).center().toPoint();
}

} // namespace

class TestShortcutGrid : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cells_data();
    void cells();
    void geometry_data();
    void geometry();
    void keys_data();
    void keys();
    void viewInput_data();
    void viewInput();
};

void TestShortcutGrid::cells_data()
{
    QTest::addColumn<QList<ShortcutButton>>("buttons");
    QTest::addColumn<QList<qint64>>("expected");

    QTest::newRow("corners") << QList{button(1, 0, 0), button(2, 3, 3)}
                             << gridWith({{0, 1}, {15, 2}});
    QTest::newRow("clamped") << QList{button(1, 7, -1), button(2, -5, 9)}
                             << gridWith({{12, 1}, {3, 2}});
    QTest::newRow("later wins") << QList{button(1, 1, 2), button(2, 1, 2), button(3, 0, 1)}
                                << gridWith({{6, 2}, {1, 3}});
    QTest::newRow("clamped into a taken cell")
        << QList{button(1, 3, 3), button(2, 40, 40)} << gridWith({{15, 2}});
}

void TestShortcutGrid::cells()
{
    QFETCH(QList<ShortcutButton>, buttons);
    QFETCH(QList<qint64>, expected);
    QList<qint64> ids;
    for (const auto &cell : ShortcutGrid::cells(buttons))
        ids.append(cell ? cell->id : 0);
    QCOMPARE(ids, expected);
}

void TestShortcutGrid::geometry_data()
{
    QTest::addColumn<QSizeF>("area");
    QTest::addColumn<qreal>("side");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("row"); // -1: no cell
    QTest::addColumn<int>("col");

    // Cells of 106 from 12, every 114.
    QTest::newRow("square, first cell") << kSquare << 106.0 << QPointF(12, 12) << 0 << 0;
    QTest::newRow("square, gap") << kSquare << 106.0 << QPointF(120, 50) << -1 << -1;
    QTest::newRow("square, last cell") << kSquare << 106.0 << QPointF(459, 459) << 3 << 3;
    // The height bounds the cells; the grid of 176 is centred from 412.
    QTest::newRow("wide, left of the grid")
        << QSizeF(1000, 200) << 38.0 << QPointF(20, 20) << -1 << -1;
    QTest::newRow("wide, first cell") << QSizeF(1000, 200) << 38.0 << QPointF(413, 13) << 0 << 0;
    QTest::newRow("no width left") << QSizeF(40, 500) << 1.0 << QPointF(5, 5) << -1 << -1;
    QTest::newRow("tiny") << QSizeF(10, 10) << 1.0 << QPointF(12.5, 12.5) << 0 << 0;
}

void TestShortcutGrid::geometry()
{
    QFETCH(QSizeF, area);
    QFETCH(qreal, side);
    QFETCH(QPointF, point);
    QFETCH(int, row);
    QFETCH(int, col);
    QCOMPARE(ShortcutGrid::cellSide(area), side);
    QCOMPARE(ShortcutGrid::cellAt(area, point),
             row < 0 ? std::nullopt : std::optional(ShortcutGridCell{row, col}));
}

void TestShortcutGrid::keys_data()
{
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row"); // -1: no cell
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("label");

    QTest::newRow("X 4") << 13u << int(Qt::Key_4) << 0 << 3 << u"4"_s;
    QTest::newRow("X V") << 55u << int(Qt::Key_V) << 3 << 3 << u"V"_s;
    // A French keyboard prints A where a US one prints Q: the place counts.
    QTest::newRow("X place wins over key") << 24u << int(Qt::Key_A) << 1 << 0 << u"Q"_s;
    QTest::newRow("X 5") << 14u << int(Qt::Key_5) << -1 << -1 << QString();
    QTest::newRow("key W") << 0u << int(Qt::Key_W) << 1 << 1 << u"W"_s;
    QTest::newRow("key G") << 0u << int(Qt::Key_G) << -1 << -1 << QString();
}

void TestShortcutGrid::keys()
{
    QFETCH(quint32, scanCode);
    QFETCH(int, key);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, label);
    QCOMPARE(ShortcutGrid::cellForKey(scanCode, key),
             row < 0 ? std::nullopt : std::optional(ShortcutGridCell{row, col}));
    QCOMPARE(ShortcutGrid::keyLabel(row, col), label);
}

void TestShortcutGrid::viewInput_data()
{
    QTest::addColumn<Input>("input");
    QTest::addColumn<QVariantList>("tap"); // empty: none
    QTest::addColumn<int>("pageStep");     // 0: none

    const auto click = [](QPoint press, QPoint release, Qt::MouseButton mouse) {
        return Input([=](QWidget *view) {
            QTest::mousePress(view, mouse, {}, press);
            QTest::mouseRelease(view, mouse, {}, release);
        });
    };
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        return Input([=](QWidget *view) { QTest::keyClick(view, k, modifiers); });
    };
    QTest::newRow("click") << click(centreOf(2, 3), centreOf(2, 3), Qt::LeftButton)
                           << QVariantList{2, 3} << 0;
    QTest::newRow("dragged off") << click(centreOf(0, 0), centreOf(0, 1), Qt::LeftButton)
                                 << QVariantList{} << 0;
    QTest::newRow("gap") << click({122, 50}, {122, 50}, Qt::LeftButton) << QVariantList{} << 0;
    QTest::newRow("right button") << click(centreOf(1, 0), centreOf(1, 0), Qt::RightButton)
                                  << QVariantList{} << 0;
    QTest::newRow("key D") << key(Qt::Key_D) << QVariantList{2, 2} << 0;
    QTest::newRow("Ctrl+Z") << key(Qt::Key_Z, Qt::ControlModifier) << QVariantList{} << 0;
    QTest::newRow("Ctrl+Page Up") << key(Qt::Key_PageUp, Qt::ControlModifier) << QVariantList{}
                                  << -1;
    QTest::newRow("Ctrl+Page Down")
        << key(Qt::Key_PageDown, Qt::ControlModifier) << QVariantList{} << 1;
}

void TestShortcutGrid::viewInput()
{
    QFETCH(Input, input);
    QFETCH(QVariantList, tap);
    QFETCH(int, pageStep);
    ShortcutGridView view;
    view.resize(kSquare.toSize());
    ShortcutButton undo = button(7, 1, 0);
    undo.label = u"Undo"_s;
    view.setButtons({undo});
    view.show();
    QSignalSpy taps(&view, &ShortcutGridView::cellTapped);
    QSignalSpy steps(&view, &ShortcutGridView::pageStepRequested);
    input(&view);
    QCOMPARE(taps.count(), tap.isEmpty() ? 0 : 1);
    if (!tap.isEmpty())
        QCOMPARE(taps[0], tap);
    QCOMPARE(steps.count(), pageStep ? 1 : 0);
    if (pageStep)
        QCOMPARE(steps[0][0].toInt(), pageStep);
    QCOMPARE(view.toolTipFor(1, 0), u"Undo \u2014 key Q"_s);
}

QTEST_MAIN(TestShortcutGrid)
#include "tst_ShortcutGrid.moc"
