#include "FakeDadavezaRuzNetwork.h"
#include "PadDigest.h"

#include "common/ScreenUndo.h"
#include "common/Settings.h"
#include "common/UndoNotice.h"
#include "dadavezaruz-server/PairingQrCode.h"
#include "dadavezaruz/AddPageSheet.h"
#include "dadavezaruz/ConnectionSheet.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/DadavezaRuzView.h"
#include "dadavezaruz/EditButtonSheet.h"
#include "dadavezaruz/QRScannerView.h"
#include "dadavezaruz/ShortcutGridView.h"
#include "dadavezaruz/ShortcutMessage.h"
#include "platform/store/ModelStore.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

using State = DadavezaRuzConnection::State;
using Report = DadavezaRuzLink::Report;
using Status = ServerStatusMessage::Status;

class TestDadavezaRuzView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<Settings> m_settings;
    FakeTransport *m_transport = nullptr; // owned by the view
    std::unique_ptr<DadavezaRuzView> m_view;

    DadavezaRuzView &makeView()
    {
        m_view.reset();
        auto transport = std::make_unique<FakeTransport>();
        m_transport = transport.get();
        m_view = std::make_unique<DadavezaRuzView>(
            *m_store, *m_settings, std::make_unique<FakeDiscovery>(), std::move(transport));
        m_view->resize(800, 700);
        return *m_view;
    }
    QList<ShortcutPage> pages() const { return ShortcutPad(*m_store).pages().value(); }
    QList<ShortcutButton> buttonsOf(qint64 page) const
    {
        return ShortcutPad(*m_store).buttons(page).value();
    }
    QString tabNames() const
    {
        QTabBar *tabs = m_view->findChild<QTabBar *>(u"pageTabs"_s);
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names.append(tabs->tabText(i));
        return names.join(u',');
    }
    // The action of a menu, or of one of its submenus, with this text or this page id as data.
    static QAction *actionIn(QMenu *menu, const QString &text, qint64 page = 0)
    {
        for (QAction *action : menu->actions()) {
            if (action->menu()) {
                if (QAction *found = actionIn(action->menu(), text, page))
                    return found;
            } else if (page ? action->data().toLongLong() == page : action->text() == text) {
                return action;
            }
        }
        return nullptr;
    }
    void connectView()
    {
        m_view->connection().connectToHost(u"studio"_s, 58432);
        m_transport->last()->report(Report::Ready);
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = ModelStore::open(m_dir->path()).value();
        m_settings = std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s));
        makeView();
    }
    void cleanup()
    {
        m_view.reset();
        m_store.reset();
    }

    void showingSeedsPagesOnceAndAutoConnects()
    {
        m_settings->setText(SettingsKey::dadavezaruzLastHost, u"studio"_s);
        m_view->show();
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom"_s);
        QCOMPARE(m_view->currentPage()->name, u"Resolve"_s);
        QCOMPARE(m_transport->last()->target, u"studio:58432"_s);
        m_transport->last()->report(Report::Ready);

        m_view->hide();
        m_view->show(); // nothing new, and no second connection while connected
        QCOMPARE(pages().size(), 3);
        QCOMPARE(m_transport->links.size(), 1);

        for (const ShortcutPage &page : pages())
            m_view->deletePage(page.id);
        QCOMPARE(tabNames(), QString());
        m_view->hide();
        m_view->show();
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom"_s);
    }

    // A pad opened again finds its pages in the store before it is shown: the tabs must still
    // be laid out and drawn, not left with no height.
    void tabsShowWhenThePagesWereThereBefore()
    {
        m_view->show();
        QCOMPARE(pages().size(), 3);
        makeView().show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QTabBar *tabs = m_view->findChild<QTabBar *>(u"pageTabs"_s);
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom"_s);
        QVERIFY(tabs->isVisible());
        QVERIFY2(tabs->height() >= tabs->sizeHint().height() && tabs->height() > 10,
                 qPrintable(QString::number(tabs->height())));
        QVERIFY(tabs->tabRect(2).right() < tabs->width());
    }

    void addNeedsMoreThanSpaces_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("spaces") << u"   "_s << false;
        QTest::newRow("padded") << u" x "_s << true;
        QTest::newRow("name") << u"Fusion"_s << true;
    }

    // In the add-page sheet, Return adds when "Add" is enabled, and the name goes on as typed.
    void addNeedsMoreThanSpaces()
    {
        QFETCH(QString, typed);
        QFETCH(bool, enabled);
        AddPageSheet sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QSignalSpy chosen(&sheet, &AddPageSheet::nameChosen);
        auto *field = sheet.findChild<QLineEdit *>(u"pageName"_s);
        QTest::keyClicks(field, typed);
        QCOMPARE(sheet.findChild<QPushButton *>(u"addButton"_s)->isEnabled(), enabled);

        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(chosen.count(), enabled ? 1 : 0);
        QCOMPARE(sheet.isVisible(), !enabled);
        if (enabled) {
            QCOMPARE(chosen[0][0].toString(), typed);
            QCOMPARE(sheet.result(), int(QDialog::Accepted));
        }
    }

    void deletingTheSelectedPageShowsTheFirst()
    {
        m_view->show();
        const QList<ShortcutPage> all = pages();
        m_view->selectPage(all[1].id);
        QCOMPARE(m_view->currentPage()->name, u"OBS"_s);
        m_view->deletePage(all[1].id);
        QCOMPARE(m_view->currentPage()->name, u"Resolve"_s);
        m_view->renamePage(all[2].id, u"Fusion"_s);
        m_view->renamePage(all[2].id, u"   "_s); // a blank name is no name
        QCOMPARE(tabNames(), u"Resolve,Fusion"_s);
    }

    // A page or a button deleted, another page chosen, then the delete undone from the notice or
    // with Ctrl+Z: the records are back exactly, and so is the page they are on.
    void deleteAndUndo_data()
    {
        QTest::addColumn<bool>("wholePage");
        QTest::addColumn<bool>("withKeys");
        QTest::newRow("page, Undo in the notice") << true << false;
        QTest::newRow("page, Ctrl+Z") << true << true;
        QTest::newRow("button from the editor, Undo in the notice") << false << false;
        QTest::newRow("button from the editor, Ctrl+Z") << false << true;
    }
    void deleteAndUndo()
    {
        QFETCH(bool, wholePage);
        QFETCH(bool, withKeys);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        const ShortcutPage obs = pages()[1];
        const ShortcutButton button = buttonsOf(obs.id)[5];
        ShortcutPad pad(*m_store);
        QVERIFY(pad.setCustomImage(button.id, QByteArray("\x89PNG\0\xff\x10", 8)));
        m_view->selectPage(obs.id);
        const QByteArray digest = padDigest(*m_store);

        if (wholePage) {
            m_view->deletePage(obs.id);
            QCOMPARE(tabNames(), u"Resolve,Custom"_s);
        } else {
            m_view->setEditMode(true);
            m_view->tapCell(button.row, button.col);
            auto *editor = m_view->findChild<EditButtonSheet *>();
            QVERIFY(editor);
            editor->findChild<QPushButton *>(u"deleteButton"_s)->click();
            QVERIFY(!editor->isVisible());
            QCOMPARE(buttonsOf(obs.id).size(), 9);
            m_view->setEditMode(false);
        }
        auto *notice = m_view->findChild<UndoNotice *>();
        QVERIFY(notice && notice->isVisible());
        QCOMPARE(notice->text(), u"Deleted “%1”"_s.arg(wholePage ? obs.name : button.label));
        m_view->selectPage(pages()[0].id);

        if (withKeys)
            QTest::keyClick(m_view->focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        else
            notice->undoButton()->click();
        QCOMPARE(padDigest(*m_store), digest);
        QCOMPARE(buttonsOf(obs.id)[5].customImageData, QByteArray("\x89PNG\0\xff\x10", 8));
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom"_s);
        QCOMPARE(m_view->currentPage(), obs);
        QVERIFY(!notice->isVisible());
        QVERIFY(m_view->storeErrorText().isEmpty());

        // Redo takes the same records again; a second undo brings them back again.
        m_view->undoHistory().redo();
        QVERIFY(padDigest(*m_store) != digest);
        m_view->undoHistory().undo();
        QCOMPARE(padDigest(*m_store), digest);
    }

    // A button copied by Ctrl+D, by "Duplicate" or by "Copy to Page" in its menu: the copy has
    // every field and the image, in the next free cell after it or the first free cell of the
    // other page; undo takes it away, redo puts the same record back.
    void copyButtonAndUndo_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("toCustom"); // else on its own page, OBS
        QTest::addColumn<int>("cell");      // of the copy
        QTest::addColumn<QString>("notice");
        QTest::newRow("Ctrl+D") << u"keys"_s << false << 10 << u"Duplicated “%1”"_s;
        QTest::newRow("Duplicate in its menu") << u"menu"_s << false << 10 << u"Duplicated “%1”"_s;
        QTest::newRow("Copy to Page in its menu")
            << u"menu"_s << true << 0 << u"Copied “%1” to “Custom”"_s;
    }
    void copyButtonAndUndo()
    {
        QFETCH(QString, how);
        QFETCH(bool, toCustom);
        QFETCH(int, cell);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        const ShortcutPage obs = pages()[1];
        const ShortcutPage custom = pages()[2];
        ShortcutButton original = buttonsOf(obs.id)[5];
        original.customImageData = QByteArray("\x89PNG\0\xff\x10", 8);
        QVERIFY(ShortcutPad(*m_store).updateButton(original));
        m_view->selectPage(obs.id);
        m_view->setEditMode(true);
        const QByteArray before = padDigest(*m_store);

        if (how == u"keys"_s) {
            auto *grid = m_view->findChild<ShortcutGridView *>();
            grid->setFocusCell({original.row, original.col});
            QTest::keyClick(m_view->focusWidget(), Qt::Key_D, Qt::ControlModifier);
        } else {
            const std::unique_ptr<QMenu> menu = m_view->buttonMenu(original);
            QAction *action = actionIn(menu.get(), u"Duplicate"_s, toCustom ? custom.id : 0);
            QVERIFY(action);
            action->trigger();
        }
        const qint64 target = toCustom ? custom.id : obs.id;
        const QList<ShortcutButton> after = buttonsOf(target);
        QCOMPARE(after.size(), toCustom ? 1 : 11);
        ShortcutButton expected = original;
        expected.id = after.constLast().id;
        expected.page = target;
        expected.row = cell / 4;
        expected.col = cell % 4;
        QCOMPARE(after.constLast(), expected);
        QCOMPARE(buttonsOf(obs.id)[5], original);
        QCOMPARE(m_view->currentPage(), obs);
        QFETCH(QString, notice);
        QCOMPARE(m_view->findChild<UndoNotice *>()->text(), notice.arg(original.label));
        const QByteArray copied = padDigest(*m_store);

        m_view->selectPage(pages()[0].id);
        QTest::keyClick(m_view->focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(m_view->currentPage()->id, target);
        m_view->undoHistory().redo();
        QCOMPARE(padDigest(*m_store), copied);
        m_view->undoHistory().undo();
        QCOMPARE(padDigest(*m_store), before);
        QVERIFY(m_view->storeErrorText().isEmpty());
    }

    // Nothing is copied outside edit mode, from an empty cell, or to a page with no free cell,
    // and the last says so.
    void copyButtonNowhere_data()
    {
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<int>("focusCell"); // on Resolve, whose 16 cells are full
        QTest::addColumn<bool>("fromObs");  // copied from OBS to Resolve by its menu instead
        QTest::addColumn<QString>("error");
        const QString full = u"The page is full: no free cell for a copy"_s;
        QTest::newRow("Ctrl+D outside edit mode") << false << 3 << false << QString();
        QTest::newRow("Ctrl+D on a full page") << true << 3 << false << full;
        QTest::newRow("Copy to Page, a full page") << true << 0 << true << full;
    }
    void copyButtonNowhere()
    {
        QFETCH(bool, editMode);
        QFETCH(int, focusCell);
        QFETCH(bool, fromObs);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        const ShortcutPage resolve = pages()[0];
        const QByteArray before = padDigest(*m_store);
        m_view->setEditMode(editMode);
        if (fromObs) {
            const std::unique_ptr<QMenu> menu = m_view->buttonMenu(buttonsOf(pages()[1].id)[0]);
            QAction *toResolve = actionIn(menu.get(), QString(), resolve.id);
            QVERIFY(toResolve);
            toResolve->trigger();
        } else {
            m_view->findChild<ShortcutGridView *>()->setFocusCell({focusCell / 4, focusCell % 4});
            QTest::keyClick(m_view->focusWidget(), Qt::Key_D, Qt::ControlModifier);
        }
        QCOMPARE(padDigest(*m_store), before);
        QTEST(m_view->storeErrorText(), "error");
        QCOMPARE(m_view->undoHistory().stack()->count(), 0);
        QCOMPARE(m_view->currentPage(), resolve);
    }

    // "Duplicate Page" in a tab's menu: the copy with all its buttons and images after the
    // other pages, selected; undo takes it away and shows the original, redo brings it back.
    void duplicatePageAndUndo()
    {
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        const ShortcutPage obs = pages()[1];
        ShortcutButton withImage = buttonsOf(obs.id)[2];
        withImage.customImageData = QByteArray("\xff\xd8\xff\0", 4);
        QVERIFY(ShortcutPad(*m_store).updateButton(withImage));
        const QByteArray before = padDigest(*m_store);

        const std::unique_ptr<QMenu> menu = m_view->pageMenu(obs);
        QAction *duplicate = actionIn(menu.get(), u"Duplicate Page"_s);
        QVERIFY(duplicate);
        duplicate->trigger();
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom,OBS copy"_s);
        const ShortcutPage copy = pages()[3];
        QCOMPARE(m_view->currentPage(), copy);
        const QList<ShortcutButton> copied = buttonsOf(copy.id);
        QCOMPARE(copied.size(), 10);
        QCOMPARE(copied[2].customImageData, withImage.customImageData);
        QCOMPARE(copied[2].label, withImage.label);
        QCOMPARE(m_view->findChild<UndoNotice *>()->text(), u"Duplicated “OBS”"_s);
        const QByteArray duplicated = padDigest(*m_store);

        QTest::keyClick(m_view->focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom"_s);
        QCOMPARE(m_view->currentPage(), obs);
        m_view->undoHistory().redo();
        QCOMPARE(padDigest(*m_store), duplicated);
        QCOMPARE(m_view->currentPage(), copy);

        // The name stays free: a second copy is numbered.
        m_view->duplicatePage(obs.id);
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom,OBS copy,OBS copy 2"_s);
    }

    // Ctrl+Shift+Page Up / Page Down in edit mode moves the current page's tab one place; the
    // order is saved and a new screen shows it; undo and redo take the move back and forth.
    void movePageTab_data()
    {
        QTest::addColumn<int>("selected"); // in the seeded order Resolve, OBS, Custom
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<QString>("names");
        QTest::newRow("one left") << 1 << int(Qt::Key_PageUp) << true << u"OBS,Resolve,Custom"_s;
        QTest::newRow("one right") << 1 << int(Qt::Key_PageDown) << true << u"Resolve,Custom,OBS"_s;
        QTest::newRow("first stays first")
            << 0 << int(Qt::Key_PageUp) << true << u"Resolve,OBS,Custom"_s;
        QTest::newRow("last stays last")
            << 2 << int(Qt::Key_PageDown) << true << u"Resolve,OBS,Custom"_s;
        QTest::newRow("outside edit mode")
            << 1 << int(Qt::Key_PageDown) << false << u"Resolve,OBS,Custom"_s;
    }
    void movePageTab()
    {
        QFETCH(int, selected);
        QFETCH(int, key);
        QFETCH(bool, editMode);
        QFETCH(QString, names);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        const ShortcutPage page = pages()[selected];
        m_view->selectPage(page.id);
        m_view->setEditMode(editMode);
        auto *grid = m_view->findChild<ShortcutGridView *>();
        grid->setFocus();
        const QByteArray before = padDigest(*m_store);

        QTest::keyClick(grid, Qt::Key(key), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(tabNames(), names);
        QCOMPARE(m_view->currentPage()->id, page.id);
        const bool moved = names != u"Resolve,OBS,Custom"_s;
        QCOMPARE(m_view->undoHistory().stack()->count(), moved ? 1 : 0);
        if (!moved) {
            QCOMPARE(padDigest(*m_store), before);
            return;
        }
        QCOMPARE(m_view->findChild<UndoNotice *>()->text(), u"Moved “%1”"_s.arg(page.name));
        const QByteArray after = padDigest(*m_store);

        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(tabNames(), u"Resolve,OBS,Custom"_s);
        m_view->undoHistory().redo();
        QCOMPARE(padDigest(*m_store), after);
        QCOMPARE(m_view->currentPage()->id, page.id);

        // A new screen on the same store shows the saved order.
        makeView();
        m_view->show();
        QCOMPARE(tabNames(), names);
    }

    // Ctrl+X on a button of OBS (cells 0 to 9 taken), then Ctrl+V on a cell of OBS or another
    // page: the button goes there, and the button in that cell takes the cell it left; the
    // target page shows with the ring on the cell. Undo puts both back, redo moves them again.
    void cutAndPasteButton_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("target"); // page in the seeded order Resolve (full), OBS, Custom
        QTest::addColumn<int>("to");
        QTest::newRow("empty cell, same page") << 2 << 1 << 14;
        QTest::newRow("onto a button, same page") << 2 << 1 << 7;
        QTest::newRow("empty cell, other page") << 9 << 2 << 5;
        QTest::newRow("onto a button, other page") << 0 << 0 << 15;
    }
    void cutAndPasteButton()
    {
        QFETCH(int, from);
        QFETCH(int, target);
        QFETCH(int, to);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        const ShortcutPage obs = pages()[1];
        const ShortcutPage page = pages()[target];
        auto inCell = [this](qint64 onPage, int cell) -> std::optional<ShortcutButton> {
            for (const ShortcutButton &button : buttonsOf(onPage)) {
                if (ShortcutGrid::indexOf(button.row, button.col) == cell)
                    return button;
            }
            return std::nullopt;
        };
        const ShortcutButton moving = inCell(obs.id, from).value();
        const std::optional<ShortcutButton> occupant = inCell(page.id, to);
        m_view->selectPage(obs.id);
        m_view->setEditMode(true);
        auto *grid = m_view->findChild<ShortcutGridView *>();
        grid->setFocus();
        const QByteArray before = padDigest(*m_store);

        grid->setFocusCell({from / 4, from % 4});
        QTest::keyClick(grid, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(m_view->cutButtonID(), moving.id);
        QCOMPARE(padDigest(*m_store), before);
        m_view->selectPage(page.id);
        grid->setFocusCell({to / 4, to % 4});
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);

        ShortcutButton expected = moving;
        expected.page = page.id;
        expected.row = to / 4;
        expected.col = to % 4;
        QCOMPARE(inCell(page.id, to), std::optional(expected));
        if (occupant) {
            ShortcutButton swapped = *occupant;
            swapped.page = obs.id;
            swapped.row = from / 4;
            swapped.col = from % 4;
            QCOMPARE(inCell(obs.id, from), std::optional(swapped));
        } else {
            QVERIFY(!inCell(obs.id, from));
        }
        qsizetype count = 0;
        for (const ShortcutPage &each : pages())
            count += buttonsOf(each.id).size();
        QCOMPARE(count, 26);
        QVERIFY(!m_view->cutButtonID());
        QCOMPARE(m_view->currentPage()->id, page.id);
        const ShortcutGridCell ringed{to / 4, to % 4};
        QCOMPARE(grid->focusCell(), ringed);
        QCOMPARE(m_view->findChild<UndoNotice *>()->text(), u"Moved “%1”"_s.arg(moving.label));
        const QByteArray after = padDigest(*m_store);

        QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(m_view->currentPage()->id, obs.id);
        m_view->undoHistory().redo();
        QCOMPARE(padDigest(*m_store), after);
        m_view->undoHistory().undo();
        QCOMPARE(padDigest(*m_store), before);
        QVERIFY(m_view->storeErrorText().isEmpty());
    }

    // A cut that Esc or leaving edit mode forgot, or that found no button, pastes nothing.
    void cutForgotten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("cut"); // cell on OBS, whose cells 10 to 15 are empty
        QTest::newRow("Esc") << u"Esc"_s << 0;
        QTest::newRow("leaving edit mode") << u"edit"_s << 0;
        QTest::newRow("cut of an empty cell") << QString() << 12;
    }
    void cutForgotten()
    {
        QFETCH(QString, how);
        QFETCH(int, cut);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        m_view->selectPage(pages()[1].id);
        m_view->setEditMode(true);
        auto *grid = m_view->findChild<ShortcutGridView *>();
        grid->setFocus();
        const QByteArray before = padDigest(*m_store);

        grid->setFocusCell({cut / 4, cut % 4});
        QTest::keyClick(grid, Qt::Key_X, Qt::ControlModifier);
        if (how == u"Esc"_s) {
            QTest::keyClick(grid, Qt::Key_Escape);
        } else if (how == u"edit"_s) {
            m_view->setEditMode(false);
            m_view->setEditMode(true);
        }
        QVERIFY(!m_view->cutButtonID());
        grid->setFocusCell({3, 3});
        QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(padDigest(*m_store), before);
        QCOMPARE(m_view->undoHistory().stack()->count(), 0);
    }

    // An undo the store refuses is reported in the pad's error line and leaves the history.
    void refusedUndoIsReported()
    {
        m_view->show();
        const ShortcutPage custom = pages()[2];
        ShortcutPad pad(*m_store);
        const ShortcutButton button = pad.addButton(custom.id, 1, 1).value();
        QVERIFY(m_view->deleteButton(button.id));
        QVERIFY(pad.addButton(custom.id, 1, 1)); // the cell is taken again
        m_view->undoHistory().undo();
        QVERIFY(m_view->storeErrorText().contains(u"another button"_s));
        QCOMPARE(m_view->undoHistory().stack()->count(), 0);
        QCOMPARE(buttonsOf(custom.id).size(), 1);

        QVERIFY(!m_view->deleteButton(button.id)); // already gone: nothing to undo
        QCOMPARE(m_view->undoHistory().stack()->count(), 0);
        QVERIFY(!m_view->storeErrorText().isEmpty());
    }

    // Kept alive across tool switches: hidden, the pad closes its sheets (the editor asks first
    // when it holds changes, and keeps them when the window closes) and reads the store again
    // only when it is shown.
    void hidingAndShowingAgain_data()
    {
        QTest::addColumn<bool>("windowCloses");
        QTest::newRow("another tool chosen") << false;
        QTest::newRow("the window closes") << true;
    }
    void hidingAndShowingAgain()
    {
        QFETCH(bool, windowCloses);
        QStackedWidget window; // the application's tools, one shown at a time
        window.addWidget(m_view.get());
        auto *otherTool = new QWidget;
        window.addWidget(otherTool);
        window.show();
        const auto guard = qScopeGuard([&] { m_view->setParent(nullptr); });
        const ShortcutPage custom = pages()[2];
        m_view->selectPage(custom.id);
        m_view->setEditMode(true);
        m_view->tapCell(0, 0);
        auto *editor = m_view->findChild<EditButtonSheet *>();
        QVERIFY(editor);
        auto *label = editor->findChild<QLineEdit *>(u"labelField"_s);
        label->selectAll();
        QTest::keyClicks(label, u"Render"_s);
        QVERIFY(m_view->openConnectionSheet()->isVisible());

        if (windowCloses) {
            window.close();
            QVERIFY(!editor->discardQuestion());
        } else {
            window.setCurrentWidget(otherTool);
            QVERIFY(editor->discardQuestion());
            editor->discardQuestion()->button(QMessageBox::Save)->click();
        }
        QTRY_VERIFY(!m_view->findChild<ConnectionSheet *>());
        QTRY_VERIFY(!m_view->findChild<EditButtonSheet *>());
        QCOMPARE(buttonsOf(custom.id)[0].label, u"Render"_s);

        // Changed elsewhere while hidden: shown as it is now.
        ShortcutPad pad(*m_store);
        QVERIFY(pad.addButton(custom.id, 3, 3));
        auto *grid = m_view->findChild<ShortcutGridView *>();
        QVERIFY(!grid->cells()[15]);
        window.show();
        window.setCurrentWidget(m_view.get());
        QVERIFY(grid->cells()[15]);
        QCOMPARE(grid->cells()[0]->label, u"Render"_s);
    }

    // A tap on a button: what is sent, how it flashes, and what the status lines say after the
    // server's word.
    void taps_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("keyCombo");
        QTest::addColumn<QList<Status>>("said"); // by the server before the tap
        QTest::addColumn<bool>("closes");        // after the tap
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("statusLine"); // null: not looked at
        QTest::addColumn<QString>("sentLine");

        const QList<Status> nothing;
        const QString combo = u"cmd+z"_s;
        QTest::newRow("connected") << true << combo << nothing << false << 1
                                   << u"Connected to studio"_s << u"Sent: Undo"_s;
        QTest::newRow("not connected: flash only")
            << false << combo << nothing << false << 0 << QString() << QString();
        QTest::newRow("no key combination")
            << true << QString() << nothing << false << 0 << QString() << QString();
        QTest::newRow("waiting for approval")
            << true << combo << QList{Status::WaitingForApproval} << false << 0
            << u"Connected to studio — Waiting for approval on the server"_s << QString();
        QTest::newRow("refused") << true << combo << QList{Status::Refused} << true << 0
                                 << u"Error: Refused by the server"_s << QString();
    }

    void taps()
    {
        QFETCH(QString, keyCombo);
        QFETCH(QList<Status>, said);
        QFETCH(QString, statusLine);
        m_view->show();
        ShortcutPad pad(*m_store);
        const qint64 custom = pages()[2].id;
        ShortcutButton button = pad.addButton(custom, 1, 2).value();
        button.keyCombo = keyCombo;
        button.label = u"Undo"_s;
        QVERIFY(pad.updateButton(button));
        m_view->selectPage(custom);
        QFETCH(bool, connected);
        if (connected)
            connectView();
        FakeLink *link = m_transport->last();
        for (Status word : std::as_const(said))
            link->status(word);

        m_view->tapCell(1, 2);
        QCOMPARE(m_view->feedbackButtonID(),
                 keyCombo.isEmpty() ? std::nullopt : std::optional(button.id));
        QTEST(int(link ? link->frames.size() : 0), "frames");
        if (link) {
            for (const FakeLink::SendCompletion &done : std::as_const(link->completions))
                done(QString());
        }
        QFETCH(bool, closes);
        if (closes)
            link->report(Report::Failed, u"The remote host closed the connection"_s);
        if (!statusLine.isNull()) {
            QCOMPARE(m_view->findChild<QLabel *>(u"statusText"_s)->text(), statusLine);
            QTEST(m_view->findChild<QLabel *>(u"sentLabel"_s)->text(), "sentLine");
        }
        QTRY_COMPARE(m_view->feedbackButtonID(), std::nullopt); // 0.3 s later
        m_view->tapCell(0, 0);                                  // an empty cell outside edit mode
        QCOMPARE(buttonsOf(custom).size(), 1);
    }

    // One frame for each tap, naming every combination of the press; a state or a sequence
    // with nothing to type sends nothing and does not flash.
    void whatATapSends_data()
    {
        QTest::addColumn<QString>("keyCombo");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("toggle");       // 0: plain, 1: in the first state, 2: in the second
        QTest::addColumn<QByteArray>("frame"); // empty: nothing sent

        const auto frame = [](const QString &first, const QStringList &rest = {}, int delay = 0) {
            return ShortcutMessage{first, u"obs"_s, rest, delay}.encode();
        };
        QTest::newRow("sequence") << u"up"_s << QStringList{u"cmd+v"_s, u"return"_s} << 0
                                  << frame(u"up"_s, {u"cmd+v"_s, u"return"_s}, 250);
        QTest::newRow("sequence without a first combination")
            << QString() << QStringList{u"a"_s, u"b"_s} << 0 << frame(u"a"_s, {u"b"_s}, 250);
        QTest::newRow("first state") << u"cmd+r"_s << QStringList() << 1 << frame(u"cmd+r"_s);
        QTest::newRow("second state")
            << u"cmd+r"_s << QStringList() << 2 << frame(u"cmd+shift+r"_s);
        QTest::newRow("first state that sends nothing")
            << QString() << QStringList() << 1 << QByteArray();
        QTest::newRow("two states ignore steps")
            << u"cmd+r"_s << QStringList{u"x"_s} << 1 << frame(u"cmd+r"_s);
    }

    void whatATapSends()
    {
        QFETCH(QString, keyCombo);
        QFETCH(QStringList, steps);
        QFETCH(int, toggle);
        QFETCH(QByteArray, frame);
        m_view->show();
        ShortcutPad pad(*m_store);
        const qint64 custom = pages()[2].id;
        ShortcutButton button = pad.addButton(custom, 0, 3).value();
        button.keyCombo = keyCombo;
        button.thenKeyCombos = steps;
        button.sequenceDelayMs = 250;
        button.appTarget = u"obs"_s;
        button.isToggle = toggle > 0;
        button.toggledOn = toggle == 2;
        button.onKeyCombo = u"cmd+shift+r"_s;
        QVERIFY(pad.updateButton(button) && pad.setToggledOn(button.id, button.toggledOn));
        m_view->selectPage(custom);
        connectView();
        FakeLink *link = m_transport->last();
        ServerStatusMessage ready;
        ready.accepts = {QString::fromLatin1(ShortcutMessage::kKeySequence)};
        link->status(ready);

        m_view->tapCell(0, 3);
        QCOMPARE(link->frames, frame.isEmpty() ? QList<QByteArray>() : QList{frame});
        QCOMPARE(m_view->feedbackButtonID().has_value(), !frame.isEmpty());
    }

    // A two-state button flips once its press was handed to the server, and only then; the
    // button is read again at that moment.
    void twoStatesFlipWhenPosted_data()
    {
        QTest::addColumn<QStringList>("events"); // in turn: tap, post, fail, plain, delete
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<bool>("on"); // afterwards; unchecked when deleted

        const QByteArray first = ShortcutMessage{u"cmd+r"_s, u"obs"_s}.encode();
        const QByteArray second = ShortcutMessage{u"cmd+shift+r"_s, u"obs"_s}.encode();
        QTest::newRow("posted") << QStringList{u"tap"_s, u"post"_s} << QList{first} << true;
        QTest::newRow("not posted yet") << QStringList{u"tap"_s} << QList{first} << false;
        QTest::newRow("failed") << QStringList{u"tap"_s, u"fail"_s} << QList{first} << false;
        QTest::newRow("posted twice") << QStringList{u"tap"_s, u"post"_s, u"tap"_s, u"post"_s}
                                      << QList{first, second} << false;
        QTest::newRow("two taps before either is posted")
            << QStringList{u"tap"_s, u"tap"_s, u"post"_s, u"post"_s} << QList{first, first}
            << false;
        QTest::newRow("made plain meanwhile")
            << QStringList{u"tap"_s, u"plain"_s, u"post"_s} << QList{first} << false;
        QTest::newRow("deleted meanwhile")
            << QStringList{u"tap"_s, u"delete"_s, u"post"_s} << QList{first} << false;
    }

    void twoStatesFlipWhenPosted()
    {
        QFETCH(QStringList, events);
        m_view->show();
        ShortcutPad pad(*m_store);
        const qint64 custom = pages()[2].id;
        ShortcutButton button = pad.addButton(custom, 2, 1).value();
        button.label = u"Record"_s;
        button.keyCombo = u"cmd+r"_s;
        button.appTarget = u"obs"_s;
        button.isToggle = true;
        button.onLabel = u"Stop"_s;
        button.onKeyCombo = u"cmd+shift+r"_s;
        QVERIFY(pad.updateButton(button));
        m_view->selectPage(custom);
        connectView();
        FakeLink *link = m_transport->last();
        const int undoable = m_view->undoHistory().stack()->count();

        qsizetype completed = 0;
        for (const QString &event : std::as_const(events)) {
            if (event == u"tap") {
                m_view->tapCell(2, 1);
            } else if (event == u"post" || event == u"fail") {
                link->completions[completed++](event == u"post" ? QString() : u"Broken pipe"_s);
            } else if (event == u"plain") {
                ShortcutButton plain = pad.button(button.id)->value();
                plain.isToggle = false;
                QVERIFY(pad.updateButton(plain));
            } else {
                QVERIFY(pad.deleteButton(button.id));
            }
        }
        QTEST(link->frames, "frames");
        QCOMPARE(m_view->storeErrorText(), QString());
        QCOMPARE(m_view->undoHistory().stack()->count(), undoable);
        const std::optional<ShortcutButton> after = pad.button(button.id).value();
        QCOMPARE(after.has_value(), !events.contains(u"delete"_s));
        if (!after)
            return;
        QTEST(after->toggledOn, "on");
        // The grid shows the state the store holds.
        const std::optional<ShortcutButton> &shown =
            m_view->findChild<ShortcutGridView *>()->cells()[size_t(ShortcutGrid::indexOf(2, 1))];
        QVERIFY(shown);
        QCOMPARE(shown->shownLabel(), after->shownLabel());
    }

    void editModeTapsEditAndAdd()
    {
        m_view->show();
        const qint64 custom = pages()[2].id;
        m_view->selectPage(custom);
        m_view->setEditMode(true);
        m_view->tapCell(2, 3);
        const QList<ShortcutButton> made = buttonsOf(custom);
        QCOMPARE(made.size(), 1);
        QCOMPARE((std::pair{made[0].row, made[0].col}), std::pair(2, 3));
        EditButtonSheet *editor = m_view->findChild<EditButtonSheet *>();
        QVERIFY(editor);
        QCOMPARE(editor->buttonId(), made[0].id);
        editor->close();
        QTRY_VERIFY(!m_view->findChild<EditButtonSheet *>());
        m_view->tapCell(2, 3); // the button now: edited, not pressed
        QVERIFY(m_view->findChild<EditButtonSheet *>());
        QCOMPARE(m_view->feedbackButtonID(), std::nullopt);
    }

    // Edit and Done are clicked with the mouse or pressed from the keyboard; either way the
    // grid has the keyboard afterwards, so the pad's keys work at once.
    void editToggleLeavesTheKeysToTheGrid_data()
    {
        QTest::addColumn<int>("clicks"); // on Edit, then Done
        QTest::addColumn<bool>("space"); // pressed on Edit instead
        QTest::newRow("Edit clicked") << 1 << false;
        QTest::newRow("Edit, then Done clicked") << 2 << false;
        QTest::newRow("Space on Edit") << 0 << true;
    }

    void editToggleLeavesTheKeysToTheGrid()
    {
        QFETCH(int, clicks);
        QFETCH(bool, space);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_view->activateWindow();
        auto *grid = m_view->findChild<ShortcutGridView *>();
        auto *edit = m_view->findChild<QPushButton *>(u"editButton"_s);
        for (int i = 0; i < clicks; ++i)
            QTest::mouseClick(edit, Qt::LeftButton);
        if (space) {
            edit->setFocus(Qt::TabFocusReason);
            QTest::keyClick(edit, Qt::Key_Space);
        }
        QCOMPARE(m_view->isEditMode(), clicks == 1 || space);
        // The window's focus widget: where its keys go while it is active.
        QTRY_COMPARE(m_view->focusWidget(), grid);
        QSignalSpy taps(grid, &ShortcutGridView::cellTapped);
        QTest::keyClick(m_view->focusWidget(), Qt::Key_W);
        QCOMPARE(taps.size(), 1);
        QCOMPARE(taps[0], (QVariantList{1, 1})); // W: second row, second key
    }

    // What the connection sheet offers to begin with: the host in use, else the last saved one.
    void connectionSheetInputs_data()
    {
        QTest::addColumn<QString>("current"); // host connected to on port 7000, or empty
        QTest::addColumn<QString>("saved");   // host remembered with port 6000, or empty
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::newRow("nothing") << QString() << QString() << QString() << u"58432"_s;
        QTest::newRow("saved host") << QString() << u"edit-bay"_s << u"edit-bay"_s << u"6000"_s;
        QTest::newRow("current host") << u"studio"_s << u"edit-bay"_s << u"studio"_s << u"7000"_s;
    }

    void connectionSheetInputs()
    {
        QFETCH(QString, current);
        QFETCH(QString, saved);
        QFETCH(QString, host);
        QFETCH(QString, port);
        DadavezaRuzConnection &connection = m_view->connection();
        if (!saved.isEmpty())
            connection.rememberHost(saved, 6000);
        if (!current.isEmpty())
            connection.connectToHost(current, 7000);
        QCOMPARE(ConnectionSheet::initialInputs(connection), (ConnectionSheet::Inputs{host, port}));
    }

    void manualConnection_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("linkTarget"); // empty: no attempt
        QTest::addColumn<bool>("closes");
        QTest::newRow("typed") << u" studio \n"_s << u"7000"_s << u"studio:7000"_s << true;
        QTest::newRow("unreadable port") << u"studio"_s << u"abc"_s << u"studio:58432"_s << true;
        QTest::newRow("port 0") << u"studio"_s << u"0"_s << QString() << false;
    }

    void manualConnection()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(bool, closes);

        m_view->show();
        ConnectionSheet *sheet = m_view->openConnectionSheet();
        sheet->findChild<QLineEdit *>(u"hostInput"_s)->setText(host);
        sheet->findChild<QLineEdit *>(u"portInput"_s)->setText(port);
        sheet->connectManually();
        QTEST(m_transport->last() ? m_transport->last()->target : QString(), "linkTarget");
        QCOMPARE(sheet->isVisible(), !closes);
        if (port == u"0"_s)
            QCOMPARE(sheet->findChild<QLabel *>(u"lastError"_s)->text(), u"Invalid port"_s);
    }

    void pairingFromAPicture()
    {
        m_view->show();
        ConnectionSheet *sheet = m_view->openConnectionSheet();
        sheet->openScanner();
        QVERIFY(sheet->scanner());
        sheet->scanner()->scanImage(QImage(200, 200, QImage::Format_RGB32)); // no code in it
        QCOMPARE(sheet->findChild<QLabel *>(u"scannedError"_s)->text(),
                 u"Could not read QR code"_s);
        QVERIFY(sheet->isVisible());
        QVERIFY(m_transport->links.isEmpty());

        sheet->openScanner();
        QTRY_VERIFY(sheet->scanner());
        sheet->scanner()->scanImage(renderPairingQrCode(u"studio-mac:7000"_s, 6));
        QCOMPARE(sheet->findChild<QLineEdit *>(u"hostInput"_s)->text(), u"studio-mac"_s);
        QCOMPARE(sheet->findChild<QLineEdit *>(u"portInput"_s)->text(), u"7000"_s);
        QCOMPARE(m_transport->last()->target, u"studio-mac:7000"_s);
        QVERIFY(!sheet->isVisible());
    }
};

QTEST_MAIN(TestDadavezaRuzView)
#include "tst_DadavezaRuzView.moc"
