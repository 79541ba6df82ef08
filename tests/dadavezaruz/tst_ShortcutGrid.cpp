#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/ShortcutButtonCell.h"
#include "dadavezaruz/ShortcutCellAccessible.h"
#include "dadavezaruz/ShortcutGridView.h"

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
    void cells_data()
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

    void cells()
    {
        QFETCH(QList<ShortcutButton>, buttons);
        QList<qint64> ids;
        for (const auto &cell : ShortcutGrid::cells(buttons))
            ids.append(cell ? cell->id : 0);
        QTEST(ids, "expected");
    }

    void geometry_data()
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
        QTest::newRow("wide, first cell")
            << QSizeF(1000, 200) << 38.0 << QPointF(413, 13) << 0 << 0;
        QTest::newRow("no width left") << QSizeF(40, 500) << 1.0 << QPointF(5, 5) << -1 << -1;
        QTest::newRow("tiny") << QSizeF(10, 10) << 1.0 << QPointF(12.5, 12.5) << 0 << 0;
    }

    void geometry()
    {
        QFETCH(QSizeF, area);
        QFETCH(QPointF, point);
        QFETCH(int, row);
        QFETCH(int, col);
        QTEST(ShortcutGrid::cellSide(area), "side");
        QCOMPARE(ShortcutGrid::cellAt(area, point),
                 row < 0 ? std::nullopt : std::optional(ShortcutGridCell{row, col}));
    }

    void keys_data()
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

    void keys()
    {
        QFETCH(quint32, scanCode);
        QFETCH(int, key);
        QFETCH(int, row);
        QFETCH(int, col);
        QCOMPARE(ShortcutGrid::cellForKey(scanCode, key),
                 row < 0 ? std::nullopt : std::optional(ShortcutGridCell{row, col}));
        QTEST(ShortcutGrid::keyLabel(row, col), "label");
    }

    void viewInput_data()
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
        QTest::newRow("dragged off")
            << click(centreOf(0, 0), centreOf(0, 1), Qt::LeftButton) << QVariantList{} << 0;
        QTest::newRow("gap") << click({122, 50}, {122, 50}, Qt::LeftButton) << QVariantList{} << 0;
        QTest::newRow("right button")
            << click(centreOf(1, 0), centreOf(1, 0), Qt::RightButton) << QVariantList{} << 0;
        QTest::newRow("key D") << key(Qt::Key_D) << QVariantList{2, 2} << 0;
        QTest::newRow("Ctrl+Z") << key(Qt::Key_Z, Qt::ControlModifier) << QVariantList{} << 0;
        QTest::newRow("Ctrl+Page Up")
            << key(Qt::Key_PageUp, Qt::ControlModifier) << QVariantList{} << -1;
        QTest::newRow("Ctrl+Page Down")
            << key(Qt::Key_PageDown, Qt::ControlModifier) << QVariantList{} << 1;
    }

    void viewInput()
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

    void keyboardFocus_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QVariantList>("focus");
        QTest::addColumn<int>("taps");

        QTest::newRow("starts top left") << QList<int>{} << QVariantList{0, 0} << 0;
        QTest::newRow("right and down")
            << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_Down} << QVariantList{1, 2} << 0;
        QTest::newRow("stops at the edges")
            << QList<int>{Qt::Key_Left, Qt::Key_Up,   Qt::Key_Down, Qt::Key_Down,
                          Qt::Key_Down, Qt::Key_Down, Qt::Key_End,  Qt::Key_Right}
            << QVariantList{3, 3} << 0;
        QTest::newRow("home") << QList<int>{Qt::Key_Down, Qt::Key_End, Qt::Key_Home}
                              << QVariantList{1, 0} << 0;
        QTest::newRow("space taps")
            << QList<int>{Qt::Key_Down, Qt::Key_Space} << QVariantList{1, 0} << 1;
        QTest::newRow("enter taps")
            << QList<int>{Qt::Key_Right, Qt::Key_Return} << QVariantList{0, 1} << 1;
        QTest::newRow("keypad enter taps") << QList<int>{Qt::Key_Enter} << QVariantList{0, 0} << 1;
    }

    void keyboardFocus()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QVariantList, focus);
        QFETCH(int, taps);
        ShortcutGridView view;
        view.resize(kSquare.toSize());
        view.setButtons({button(7, 1, 0)});
        view.show();
        QSignalSpy tapped(&view, &ShortcutGridView::cellTapped);
        for (int key : keys)
            QTest::keyClick(&view, Qt::Key(key));
        const ShortcutGridCell expected{focus[0].toInt(), focus[1].toInt()};
        QCOMPARE(view.focusCell(), expected);
        QCOMPARE(tapped.count(), taps);
        if (taps)
            QCOMPARE(tapped.constLast(), focus);
    }

    // The ring is drawn round the focus cell only while the grid has the keyboard; a click moves
    // it.
    void focusRingFollowsTheFocus()
    {
        QWidget window;
        auto *view = new ShortcutGridView(&window);
        view->resize(kSquare.toSize());
        auto *other = new QWidget(&window);
        other->setFocusPolicy(Qt::StrongFocus);
        window.resize(kSquare.toSize());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();

        // Ring-coloured pixels just above and below a cell: its two long sides when ringed.
        const auto ringAround = [&](int row, int col) {
            const QImage image = view->grab().toImage();
            const QRect cell = ShortcutGrid::cellRect(kSquare, row, col).toAlignedRect();
            const QColor ring = PadColors::focusRing;
            int count = 0;
            for (const QRect &band : {cell.adjusted(-5, -5, 5, -cell.height() + 2),
                                      cell.adjusted(-5, cell.height() - 2, 5, 5)}) {
                for (int y = band.top(); y <= band.bottom(); ++y) {
                    for (int x = band.left(); x <= band.right(); ++x) {
                        const QColor p = image.pixelColor(x, y);
                        count += std::abs(p.red() - ring.red()) +
                                     std::abs(p.green() - ring.green()) +
                                     std::abs(p.blue() - ring.blue()) <
                                 40;
                    }
                }
            }
            return count == 0             ? u"none"_s
                   : count > cell.width() ? u"ring"_s
                                          : u"%1 stray pixels"_s.arg(count);
        };

        view->setFocus(Qt::TabFocusReason);
        QVERIFY(QTest::qWaitFor([view] { return view->hasFocus(); }));
        QCOMPARE(ringAround(0, 0), u"ring"_s);
        QCOMPARE(ringAround(2, 1), u"none"_s);

        QTest::mouseClick(view, Qt::LeftButton, {}, centreOf(2, 1));
        QCOMPARE(view->focusCell(), (ShortcutGridCell{2, 1}));
        QCOMPARE(ringAround(2, 1), u"ring"_s);
        QCOMPARE(ringAround(0, 0), u"none"_s);

        other->setFocus(Qt::TabFocusReason);
        QVERIFY(QTest::qWaitFor([view] { return !view->hasFocus(); }));
        QCOMPARE(ringAround(2, 1), u"none"_s);
    }

    // A two-state button is drawn and announced in the state it will send, a sequence with the
    // number of combinations it types.
    void kindMarks_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QString>("name");

        const QStringList none;
        QTest::newRow("plain") << none << false << false << QString() << false << u"Play, key Q"_s;
        QTest::newRow("sequence of 3") << QStringList{u"b"_s, u"c"_s} << false << false
                                       << u"1\u21923"_s << false << u"Play, types 3 keys, key Q"_s;
        QTest::newRow("blank steps are not typed")
            << QStringList{u""_s, u"c"_s} << false << false << u"1\u21922"_s << false
            << u"Play, types 2 keys, key Q"_s;
        QTest::newRow("two states, off")
            << none << true << false << u"OFF"_s << false << u"Play, off, key Q"_s;
        QTest::newRow("two states, on")
            << none << true << true << u"ON"_s << true << u"Stop, on, key Q"_s;
        QTest::newRow("two states with steps left over")
            << QStringList{u"b"_s} << true << false << u"OFF"_s << false << u"Play, off, key Q"_s;
    }

    void kindMarks()
    {
        QFETCH(QStringList, steps);
        QFETCH(bool, toggle);
        QFETCH(bool, on);
        ShortcutButton b = button(1, 1, 0);
        b.label = u"Play"_s;
        b.keyCombo = u"a"_s;
        b.thenKeyCombos = steps;
        b.isToggle = toggle;
        b.toggledOn = on;
        b.onLabel = u"Stop"_s;
        const ShortcutButtonCell::Mark mark = ShortcutButtonCell::mark(b);
        QTEST(mark.text, "mark");
        QTEST(mark.filled, "filled");
        ShortcutGridView view;
        view.setButtons({b});
        QTEST(ShortcutCellAccessible::name(view, 1, 0), "name");
    }

    // The tile is tinted with the colour of the state shown.
    void tileTintFollowsTheState_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("redder"); // than blue, at the tile's left edge

        QTest::newRow("off: blue first state") << false << false;
        QTest::newRow("on: red second state") << true << true;
    }

    void tileTintFollowsTheState()
    {
        QFETCH(bool, on);
        ShortcutButton b = button(1, 0, 0);
        b.label = u"A"_s;
        b.colorHex = u"#2040FF"_s;
        b.isToggle = true;
        b.toggledOn = on;
        b.onLabel = u"B"_s;
        b.onColorHex = u"#FF3020"_s;
        QImage image(106, 106, QImage::Format_ARGB32);
        image.fill(Qt::black);
        {
            QPainter painter(&image);
            ShortcutButtonCell::paint(painter, QRectF(0, 0, 106, 106), b, false, 0);
        }
        const QColor tint = image.pixelColor(10, 60);
        QTEST(tint.red() > tint.blue(), "redder");
        QVERIFY(tint != QColor(Qt::black));
    }

    void labelFit_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<qreal>("side");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("elided");

        QTest::newRow("short") << u"Undo"_s << 106.0 << 1 << false;
        QTest::newRow("two words, roomy") << u"Mark In"_s << 106.0 << 1 << false;
        QTest::newRow("two words, tight") << u"Deliver Page"_s << 72.0 << 2 << false;
        QTest::newRow("long") << u"Toggle Full Screen Preview"_s << 106.0 << 2 << false;
        QTest::newRow("one long word") << u"Supercalifragilistic"_s << 60.0 << 1 << true;
        QTest::newRow("too long for two lines")
            << u"Render every queued job now and then quit"_s << 60.0 << 2 << true;
    }

    // Every line of a fitted label fits its width, in a size between the floor and the cell's own.
    void labelFit()
    {
        QFETCH(QString, label);
        QFETCH(qreal, side);
        QFETCH(int, lines);
        QFETCH(bool, elided);
        const QFont base;
        const ShortcutButtonCell::LabelFit fit = ShortcutButtonCell::fitLabel(label, base, side);
        QCOMPARE(fit.lines.size(), lines);
        QCOMPARE(fit.elided, elided);
        const QFontMetricsF metrics(fit.font);
        for (const QString &line : fit.lines)
            QVERIFY(metrics.horizontalAdvance(line) <= ShortcutButtonCell::labelWidth(side));
        QVERIFY(fit.font.pixelSize() >= ShortcutButtonCell::kLabelSmallest);
        QVERIFY(fit.font.pixelSize() <= ShortcutButtonCell::labelSizeFor(side));
        if (!elided)
            QCOMPARE(fit.lines.join(u' '), label);
        if (lines == 1 && !elided)
            QVERIFY(fit.font.pixelSize() >= ShortcutButtonCell::kLabelSingleLineSmallest);
    }
};

QTEST_MAIN(TestShortcutGrid)
#include "tst_ShortcutGrid.moc"
