#include "FakeDadavezaRuzNetwork.h"
#include "PadDigest.h"

#include "common/ScreenUndo.h"
#include "common/Settings.h"
#include "common/UndoNotice.h"
#include "dadavezaruz/ButtonDragMime.h"
#include "dadavezaruz/DadavezaRuzView.h"
#include "dadavezaruz/PageTabBar.h"
#include "dadavezaruz/ShortcutGridView.h"
#include "dadavezaruz/ShortcutPageListModel.h"
#include "platform/store/ModelStore.h"

#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

namespace {

// A drag of `data` coming onto `widget` at `at`; true when the widget would take it there.
// Qt hands the moves and the drop to the widget that took the enter, as a real drag does.
bool dragOnto(QWidget *widget, const QMimeData *data, QPoint at)
{
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    return enter.isAccepted() && move.isAccepted();
}

void dragAway(QWidget *widget)
{
    QDragLeaveEvent leave;
    QApplication::sendEvent(widget, &leave);
}

bool dropOn(QWidget *widget, const QMimeData *data, QPoint at)
{
    QDropEvent drop(QPointF(at), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

// The left button pressed at `from`, the mouse moved to `to` in small steps, released there.
void mouseDrag(QWidget *widget, QPoint from, QPoint to)
{
    auto send = [widget](QEvent::Type type, QPoint at, Qt::MouseButton button,
                         Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const QPoint step = to - from;
    const int steps = std::max(1, step.manhattanLength() / 4);
    for (int i = 1; i <= steps; ++i)
        send(QEvent::MouseMove, from + step * i / steps, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

QPoint centreOf(const ShortcutGridView *grid, int cell)
{
    return ShortcutGrid::cellRect(QSizeF(grid->size()), cell / 4, cell % 4).center().toPoint();
}

QImage cellImage(ShortcutGridView *grid, int cell)
{
    return grid
        ->grab(ShortcutGrid::cellRect(QSizeF(grid->size()), cell / 4, cell % 4).toAlignedRect())
        .toImage();
}

QString cellDescription(ShortcutGridView *grid, int cell)
{
    return QAccessible::queryAccessibleInterface(grid)->child(cell)->text(QAccessible::Description);
}

QStringList tabTexts(const QTabBar *tabs)
{
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts.append(tabs->tabText(i));
    return texts;
}

} // namespace

// Buttons and page tabs dragged on the pad in edit mode: each drag stores its change through
// the same undoable moves the keyboard uses. The seeded pages are Resolve (all 16 cells
// taken), OBS (cells 0 to 9) and Custom (empty).
class TestPadDragDrop : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<DadavezaRuzView> m_view;
    ShortcutGridView *m_grid = nullptr;
    PageTabBar *m_tabs = nullptr;

    void makeView()
    {
        m_view.reset();
        m_view = std::make_unique<DadavezaRuzView>(*m_store, *m_settings,
                                                   std::make_unique<FakeDiscovery>(),
                                                   std::make_unique<FakeTransport>());
        m_view->resize(800, 700);
        m_view->show();
        m_grid = m_view->findChild<ShortcutGridView *>();
        m_tabs = m_view->findChild<PageTabBar *>();
    }
    QList<ShortcutPage> pages() const { return ShortcutPad(*m_store).pages().value(); }
    std::optional<ShortcutButton> inCell(qint64 page, int cell) const
    {
        for (const ShortcutButton &button : ShortcutPad(*m_store).buttons(page).value()) {
            if (ShortcutGrid::indexOf(button.row, button.col) == cell)
                return button;
        }
        return std::nullopt;
    }
    // On OBS, in edit mode, with the grid holding the keyboard.
    ShortcutPage editObs()
    {
        ShortcutPage obs = pages()[1];
        m_view->selectPage(obs.id);
        m_view->setEditMode(true);
        m_grid->setFocus();
        return obs;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = ModelStore::open(m_dir->path()).value();
        m_settings = std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s));
        makeView();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup()
    {
        m_view.reset();
        m_store.reset();
    }

    // A button of OBS dropped on a cell of OBS, or of another page after resting on its tab:
    // it moves there and the button in that cell takes its place, in one step undone exactly.
    // Its own cell leaves everything as it was.
    void dropButton_data()
    {
        QTest::addColumn<int>("from");   // cell on OBS
        QTest::addColumn<int>("target"); // page in the order Resolve, OBS, Custom
        QTest::addColumn<int>("to");
        // The moves themselves are the keyboard's (cut and paste), tested with it.
        QTest::newRow("empty cell") << 2 << 1 << 14;
        QTest::newRow("its own cell") << 2 << 1 << 2;
        QTest::newRow("button of another page via its tab") << 0 << 0 << 15;
    }
    void dropButton()
    {
        QFETCH(int, from);
        QFETCH(int, target);
        QFETCH(int, to);
        const ShortcutPage obs = editObs();
        const ShortcutPage page = pages()[target];
        const ShortcutButton moving = inCell(obs.id, from).value();
        const std::optional<ShortcutButton> occupant = inCell(page.id, to);
        const QByteArray before = padDigest(*m_store);
        const std::unique_ptr<QMimeData> data(ButtonDragMime::make(moving.id));

        if (page.id != obs.id) {
            const QPoint tab = m_tabs->tabRect(target).center();
            QVERIFY(!dragOnto(m_tabs, data.get(), tab)); // a tab takes no drop itself
            QCOMPARE(m_tabs->hoveredPage(), std::optional(page.id));
            QCOMPARE(m_view->currentPage()->id, obs.id); // not before the hover delay
            QTRY_COMPARE_WITH_TIMEOUT(m_view->currentPage()->id, page.id, 10000);
            dragAway(m_tabs);
        }
        QVERIFY(dragOnto(m_grid, data.get(), centreOf(m_grid, to)));
        const ShortcutGridCell cell{to / 4, to % 4};
        QCOMPARE(m_grid->dropCell(), std::optional(cell));
        QVERIFY(dropOn(m_grid, data.get(), centreOf(m_grid, to)));
        QCOMPARE(m_grid->dropCell(), std::nullopt);

        if (page.id == obs.id && from == to) {
            QCOMPARE(padDigest(*m_store), before);
            QCOMPARE(m_view->undoHistory().stack()->count(), 0);
            return;
        }
        ShortcutButton expected = moving;
        expected.page = page.id;
        expected.row = cell.row;
        expected.col = cell.col;
        QCOMPARE(inCell(page.id, to), std::optional(expected));
        if (occupant) {
            QCOMPARE(inCell(obs.id, from)->id, occupant->id);
        } else {
            QVERIFY(!inCell(obs.id, from));
        }
        QCOMPARE(m_view->currentPage()->id, page.id);
        QCOMPARE(m_view->undoHistory().stack()->count(), 1);
        QCOMPARE(m_view->findChild<UndoNotice *>()->text(), u"Moved “%1”"_s.arg(moving.label));

        m_view->undoHistory().undo();
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(m_view->currentPage()->id, obs.id);
        QVERIFY(m_view->storeErrorText().isEmpty());
    }

    // What is no button of the pad's, or anything dropped outside edit mode, is not taken.
    void dropsNotTaken_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("editMode");
        const QString ours = ButtonDragMime::kMimeType;
        QTest::newRow("text") << u"text/plain"_s << QByteArray("1") << true;
        QTest::newRow("mangled id") << ours << QByteArray("1x") << true;
        QTest::newRow("no id") << ours << QByteArray() << true;
        QTest::newRow("a button outside edit mode") << ours << QByteArray("id") << false;
    }
    void dropsNotTaken()
    {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, editMode);
        const ShortcutPage obs = editObs();
        m_view->setEditMode(editMode);
        if (bytes == "id")
            bytes = QByteArray::number(inCell(obs.id, 0)->id);
        QMimeData data;
        data.setData(format, bytes);
        const QByteArray before = padDigest(*m_store);

        QVERIFY(!dragOnto(m_grid, &data, centreOf(m_grid, 14)));
        QVERIFY(!dragOnto(m_tabs, &data, m_tabs->tabRect(2).center()));
        QCOMPARE(m_tabs->hoveredPage(), std::nullopt);
        QCOMPARE(m_grid->dropCell(), std::nullopt);
        QVERIFY(!dropOn(m_grid, &data, centreOf(m_grid, 14)));
        QVERIFY(!m_grid->dropButton(&data, centreOf(m_grid, 14)));
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(m_view->undoHistory().stack()->count(), 0);
    }

    // A press on a button that moves past the drag distance starts a drag in edit mode only;
    // otherwise, and for a shorter move, it stays a press: released on its cell, it taps.
    void pressOrDrag_data()
    {
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<int>("cell"); // on OBS
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("drags");
        const int far = QApplication::startDragDistance() + 6;
        const int near = std::max(0, QApplication::startDragDistance() - 2);
        QTest::newRow("edit mode, past the drag distance") << true << 3 << far << true;
        QTest::newRow("edit mode, short of it") << true << 3 << near << false;
        QTest::newRow("edit mode, from an empty cell") << true << 12 << far << false;
        QTest::newRow("outside edit mode") << false << 3 << far << false;
    }
    void pressOrDrag()
    {
        QFETCH(bool, editMode);
        QFETCH(int, cell);
        QFETCH(int, distance);
        QFETCH(bool, drags);
        const ShortcutPage obs = editObs();
        m_view->setEditMode(editMode);
        QSignalSpy started(m_grid, &ShortcutGridView::buttonDragStarted);
        QSignalSpy taps(m_grid, &ShortcutGridView::cellTapped);
        // Where the platform's drag runs a loop of its own, Esc ends it.
        connect(m_grid, &ShortcutGridView::buttonDragStarted, this, [this] {
            QTimer::singleShot(0, m_grid, [this] { QTest::keyClick(m_grid, Qt::Key_Escape); });
        });
        const QByteArray before = padDigest(*m_store);

        const QPoint from = centreOf(m_grid, cell);
        mouseDrag(m_grid, from, from + QPoint(distance, 0));
        QCOMPARE(started.size(), drags ? 1 : 0);
        if (drags) {
            QCOMPARE(started[0][0].toLongLong(), inCell(obs.id, cell)->id);
            QCOMPARE(taps.size(), 0);
            QCOMPARE(padDigest(*m_store), before);
            QCOMPARE(m_grid->dropCell(), std::nullopt);
        } else {
            QCOMPARE(taps.size(), 1);
            QCOMPARE(taps[0], (QVariantList{cell / 4, cell % 4}));
        }
    }

    // A page's tab dragged to another place in edit mode: the order is stored in one undo step
    // and a new screen shows it. Outside edit mode, or dropped back, nothing changes.
    void dragPageTab_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<QString>("names");
        QTest::newRow("first to last") << 0 << 2 << true << u"OBS,Custom,Resolve"_s;
        QTest::newRow("last to first") << 2 << 0 << true << u"Custom,Resolve,OBS"_s;
        QTest::newRow("dropped back") << 1 << 1 << true << u"Resolve,OBS,Custom"_s;
        QTest::newRow("outside edit mode") << 0 << 2 << false << u"Resolve,OBS,Custom"_s;
    }
    void dragPageTab()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, editMode);
        QFETCH(QString, names);
        m_view->setEditMode(editMode);
        QCOMPARE(m_tabs->isMovable(), editMode);
        const ShortcutPage page = pages()[from];
        const QByteArray before = padDigest(*m_store);

        const QPoint start = m_tabs->tabRect(from).center();
        const QPoint end = from == to ? start + QPoint(QApplication::startDragDistance() + 4, 0)
                                      : m_tabs->tabRect(to).center();
        mouseDrag(m_tabs, start, end);
        QCOMPARE(tabTexts(m_tabs).join(u','), names);
        const bool moved = names != u"Resolve,OBS,Custom"_s;
        QCOMPARE(m_view->undoHistory().stack()->count(), moved ? 1 : 0);
        if (!moved) {
            QCOMPARE(padDigest(*m_store), before);
            return;
        }
        QCOMPARE(m_view->currentPage()->id, page.id);
        const QByteArray after = padDigest(*m_store);
        m_view->undoHistory().undo();
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(tabTexts(m_tabs).join(u','), u"Resolve,OBS,Custom"_s);
        m_view->undoHistory().redo();
        QCOMPARE(padDigest(*m_store), after);
        m_view->setEditMode(false);
        QVERIFY(!m_tabs->isMovable());

        makeView();
        QCOMPARE(tabTexts(m_tabs).join(u','), names);
    }

    // Ctrl+X marks the button as cut, drawn and described so, until it is pasted or the cut is
    // forgotten; then it is drawn as before.
    void cutMark_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("pasted") << u"paste"_s;
        QTest::newRow("Esc") << u"Esc"_s;
        QTest::newRow("leaving edit mode") << u"edit"_s;
        QTest::newRow("dragged elsewhere") << u"drop"_s;
    }
    void cutMark()
    {
        QFETCH(QString, end);
        const ShortcutPage obs = editObs();
        const qint64 id = inCell(obs.id, 2)->id;
        m_grid->setFocusCell({0, 2});
        const QImage plain = cellImage(m_grid, 2);
        const QImage neighbour = cellImage(m_grid, 3);
        QVERIFY(!cellDescription(m_grid, 2).contains(u"Cut"_s));

        QTest::keyClick(m_grid, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(m_grid->cutButton(), std::optional(id));
        QVERIFY(cellImage(m_grid, 2) != plain);
        QCOMPARE(cellImage(m_grid, 3), neighbour);
        QVERIFY2(cellDescription(m_grid, 2).startsWith(u"Cut"_s),
                 qPrintable(cellDescription(m_grid, 2)));
        QVERIFY(!cellDescription(m_grid, 3).contains(u"Cut"_s));

        int shownAt = 2;
        if (end == u"paste"_s) {
            m_grid->setFocusCell({3, 2});
            QTest::keyClick(m_grid, Qt::Key_V, Qt::ControlModifier);
            shownAt = 14;
        } else if (end == u"Esc"_s) {
            QTest::keyClick(m_grid, Qt::Key_Escape);
        } else if (end == u"edit"_s) {
            m_view->setEditMode(false);
            m_view->setEditMode(true);
        } else {
            const std::unique_ptr<QMimeData> data(ButtonDragMime::make(id));
            QVERIFY(dragOnto(m_grid, data.get(), centreOf(m_grid, 13)));
            QVERIFY(dropOn(m_grid, data.get(), centreOf(m_grid, 13)));
            shownAt = 13;
        }
        QCOMPARE(m_grid->cutButton(), std::nullopt);
        QCOMPARE(m_view->cutButtonID(), std::nullopt);
        QCOMPARE(inCell(obs.id, shownAt)->id, id);
        QVERIFY(!cellDescription(m_grid, shownAt).contains(u"Cut"_s));
        if (shownAt == 2)
            QCOMPARE(cellImage(m_grid, 2), plain);
    }
};

QTEST_MAIN(TestPadDragDrop)
#include "tst_PadDragDrop.moc"
