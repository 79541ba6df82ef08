#include "PadDigest.h"

#include "dadavezaruz/ShortcutPad.h"
#include "dadavezaruz/ShortcutPageListModel.h"
#include "dadavezaruz/ShortcutPreset.h"
#include "platform/store/ModelStore.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(hb::ShortcutButton)

class TestShortcutPad : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<ShortcutPad> m_pad;

    QList<ShortcutButton> buttonsOf(const QString &pageName)
    {
        for (const ShortcutPage &page : m_pad->pages().value()) {
            if (page.name == pageName)
                return m_pad->buttons(page.id).value();
        }
        return {};
    }

    int storedButtons()
    {
        QSqlQuery query(m_store->database());
        return query.exec(u"SELECT COUNT(*) FROM ShortcutButton"_s) && query.next()
                   ? query.value(0).toInt()
                   : -1;
    }

    // Seeded pages, a fourth page, and images on two Resolve buttons and a fourth-page button.
    void makeVariedPad()
    {
        QVERIFY(m_pad->seedDefaultPages());
        const QList<ShortcutButton> resolve = buttonsOf(u"Resolve"_s);
        QVERIFY(m_pad->setCustomImage(resolve[2].id, QByteArray("\x89PNG\r\n\x1a\n\0\xff", 10)));
        QVERIFY(m_pad->setCustomImage(resolve[9].id, QByteArray(70'000, '\x7f')));
        const ShortcutPage extra = m_pad->addPage(u"Grading"_s).value();
        // Added out of reading order: the page's button order is not its cells' order.
        for (const auto &[row, col] : {std::pair{3, 3}, {0, 0}, {1, 2}}) {
            ShortcutButton button = m_pad->addButton(extra.id, row, col).value();
            button.label = u"Cell %1,%2"_s.arg(row).arg(col);
            button.customImageData = QByteArray::number(row * 4 + col).repeated(3);
            QVERIFY(m_pad->updateButton(button));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        auto store = ModelStore::open(m_dir->path());
        QVERIFY(store);
        m_store = std::move(*store);
        m_pad = std::make_unique<ShortcutPad>(*m_store);
    }

    void cleanup()
    {
        m_pad.reset();
        m_store.reset();
    }

    void seedsThreePagesOnce()
    {
        const auto selected = m_pad->seedDefaultPages();
        QVERIFY(selected && *selected);
        const QList<ShortcutPage> pages = m_pad->pages().value();
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages[0], (ShortcutPage{**selected, u"Resolve"_s, 0}));
        QCOMPARE(storedButtons(), 26);

        // Shown again, even with every button gone: nothing new.
        for (const ShortcutButton &button : buttonsOf(u"Resolve"_s))
            QVERIFY(m_pad->deleteButton(button.id));
        QCOMPARE(m_pad->seedDefaultPages().value(), std::nullopt);
        QCOMPARE(m_pad->pages()->size(), 3);

        // Every page deleted: the three come back.
        for (const ShortcutPage &page : m_pad->pages().value())
            QVERIFY(m_pad->deletePage(page.id));
        QVERIFY(m_pad->seedDefaultPages().value());
        QCOMPARE(m_pad->pages()->size(), 3);
        QCOMPARE(storedButtons(), 26);
    }

    void pagesAndCascade()
    {
        QVERIFY(m_pad->seedDefaultPages());
        const ShortcutPage added = m_pad->addPage(u"  Grading "_s).value();
        QCOMPARE(added.sortOrder, 3);
        QCOMPARE(m_pad->pages()->last(), added); // the name as typed

        // After a deletion the count is reused: equal sort orders keep the order they were made in.
        QVERIFY(m_pad->deletePage(m_pad->pages()->at(1).id));
        QCOMPARE(storedButtons(), 16);
        const ShortcutPage later = m_pad->addPage(u"Later"_s).value();
        QCOMPARE(later.sortOrder, 3);
        QCOMPARE(m_pad->pages()->last(), later);
        QVERIFY(m_pad->renamePage(later.id, u"Online"_s));
        QCOMPARE(m_pad->pages()->last().name, u"Online"_s);
    }

    void buttonsAndPresets()
    {
        const ShortcutPage page = m_pad->addPage(u"Custom"_s).value();
        const auto addedButton = m_pad->addButton(page.id, 3, 2);
        QVERIFY2(addedButton,
                 qPrintable(addedButton ? QString() : addedButton.error().description));
        ShortcutButton button = *addedButton;
        QCOMPARE(m_pad->buttons(page.id).value(), QList{button});
        const auto outsideGrid = [&](int row, int col) {
            const auto added = m_pad->addButton(page.id, row, col);
            return !added && added.error().is(ShortcutPadError::OutsideGrid);
        };
        QVERIFY(outsideGrid(4, 0));
        QVERIFY(outsideGrid(0, -1));

        const QByteArray image("\x89PNG\r\n\x1a\n not re-encoded", 24);
        QVERIFY(m_pad->setCustomImage(button.id, image));
        QCOMPARE(m_pad->buttons(page.id)->first().customImageData, image);
        const ShortcutPreset &stop = shortcutPresets().at(7);
        QVERIFY(m_pad->applyPreset(button.id, stop));
        button = m_pad->buttons(page.id)->first();
        QCOMPARE(button.label, u"Stop"_s);
        QCOMPARE(button.keyCombo, u"k"_s);
        QCOMPARE(button.customImageData, std::nullopt);
        QCOMPARE(button.row, 3); // the cell stays

        button.keyCombo = u"cmd+shift+z"_s;
        button.customImageData = QByteArray("jpeg");
        QVERIFY(m_pad->updateButton(button));
        QCOMPARE(m_pad->buttons(page.id)->first(), button);
        QVERIFY(m_pad->deleteButton(button.id));
        QCOMPARE(m_pad->buttons(page.id)->size(), 0);
    }

    // Both kinds are stored whole, a restore brings them back, and a preset makes a plain button.
    void sequenceAndTwoStateButtonsAreKept()
    {
        const ShortcutPage page = m_pad->addPage(u"Custom"_s).value();
        ShortcutButton sequence = m_pad->addButton(page.id, 0, 0).value();
        sequence.keyCombo = u"up"_s;
        sequence.thenKeyCombos = {u"cmd+shift+v"_s, u"cmd+z"_s};
        sequence.sequenceDelayMs = 250;
        ShortcutButton toggle = m_pad->addButton(page.id, 0, 1).value();
        toggle.isToggle = true;
        toggle.label = u"Record"_s;
        toggle.onLabel = u"Stop"_s;
        toggle.onColorHex = u"#112233"_s;
        toggle.keyCombo = u"r"_s;
        toggle.onKeyCombo = u"shift+r"_s;
        QVERIFY(m_pad->updateButton(sequence) && m_pad->updateButton(toggle));
        QCOMPARE(m_pad->buttons(page.id).value(), (QList{sequence, toggle}));

        QVERIFY(m_pad->setToggledOn(toggle.id, true));
        QVERIFY(m_pad->updateButton(toggle)); // read before the press: the state stays
        toggle.toggledOn = true;
        QCOMPARE(m_pad->button(toggle.id)->value(), toggle);
        const ShortcutPadSnapshot snapshot = m_pad->snapshotPage(page.id).value();
        QVERIFY(m_pad->deletePage(page.id) && m_pad->restore(snapshot));
        QCOMPARE(m_pad->buttons(page.id).value(), (QList{sequence, toggle}));

        ShortcutButton single = toggle; // made plain, then two-state again: it starts off
        single.isToggle = false;
        QVERIFY(m_pad->updateButton(single) && m_pad->updateButton(toggle));
        QVERIFY(!m_pad->button(toggle.id)->value().toggledOn);
        QVERIFY(m_pad->setToggledOn(toggle.id, true));

        QVERIFY(m_pad->applyPreset(toggle.id, shortcutPresets().at(7)));
        const ShortcutButton plain = m_pad->button(toggle.id)->value();
        QVERIFY(!plain.isToggle && !plain.toggledOn && plain.thenKeyCombos.isEmpty());
        QCOMPARE(plain.keysToSend(), QStringList{u"k"_s});
    }

    void keysToSend_data()
    {
        QTest::addColumn<ShortcutButton>("button");
        QTest::addColumn<QStringList>("keys");
        ShortcutButton button;
        button.keyCombo = u"a"_s;
        button.onKeyCombo = u"b"_s;
        button.thenKeyCombos = {u"c"_s, QString(), u"d"_s};
        QTest::newRow("sequence, empty steps left out")
            << button << QStringList{u"a"_s, u"c"_s, u"d"_s};
        button.thenKeyCombos = QStringList(12, u"x"_s);
        QTest::newRow("sequence cut at eight")
            << button << (QStringList{u"a"_s} + QStringList(7, u"x"_s));
        button.isToggle = true;
        QTest::newRow("two states, off: the first, no sequence") << button << QStringList{u"a"_s};
        button.toggledOn = true;
        QTest::newRow("two states, on: the second") << button << QStringList{u"b"_s};
        button.onKeyCombo.clear();
        QTest::newRow("a state without keys sends nothing") << button << QStringList();
    }

    void keysToSend()
    {
        QFETCH(ShortcutButton, button);
        QTEST(button.keysToSend(), "keys");
    }

    void pageListFollowsTheStore()
    {
        ShortcutPageListModel model(*m_store);
        QCOMPARE(model.rowCount(), 0);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        const qint64 resolve = m_pad->seedDefaultPages().value().value();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.rowOf(resolve), 0);
        const ShortcutPage added = m_pad->addPage(u"Grading"_s).value();
        QCOMPARE(model.index(3).data().toString(), u"Grading"_s);
        QCOMPARE(model.index(3).data(ShortcutPageListModel::PageIdRole).toLongLong(), added.id);

        // A button change leaves the page list as it was.
        const int resets = int(reset.size());
        QVERIFY(m_pad->addButton(added.id, 0, 0));
        QCOMPARE(reset.size(), resets);
        QVERIFY(m_pad->deletePage(resolve));
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.rowOf(resolve), -1);
    }

    void deleteThenRestoreIsExact_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("button"); // in the page's order; -1: the whole page

        QTest::newRow("first page, 16 buttons and images") << u"Resolve"_s << -1;
        QTest::newRow("middle page") << u"OBS"_s << -1;
        QTest::newRow("empty page") << u"Custom"_s << -1;
        QTest::newRow("last page, added out of order") << u"Grading"_s << -1;
        QTest::newRow("button with an image") << u"Resolve"_s << 2;
        QTest::newRow("first button of its page") << u"Grading"_s << 0;
        QTest::newRow("button in the middle of the order") << u"Grading"_s << 1;
    }

    void deleteThenRestoreIsExact()
    {
        QFETCH(QString, page);
        QFETCH(int, button);
        makeVariedPad();
        const QList<ShortcutPage> pages = m_pad->pages().value();
        const ShortcutPage chosen = *std::find_if(pages.cbegin(), pages.cend(),
                                                  [&](const auto &p) { return p.name == page; });
        const QList<ShortcutButton> before = m_pad->buttons(chosen.id).value();
        const QByteArray digest = padDigest(*m_store);

        const Expected<ShortcutPadSnapshot> snapshot =
            button < 0 ? m_pad->snapshotPage(chosen.id) : m_pad->snapshotButton(before[button].id);
        QVERIFY(snapshot);
        QCOMPARE(snapshot->buttons.size(), button < 0 ? before.size() : 1);
        QVERIFY(button < 0 ? m_pad->deletePage(chosen.id) : m_pad->deleteButton(before[button].id));
        QVERIFY(padDigest(*m_store) != digest);
        // Other work in between: ids freed by the delete are not handed out again.
        QVERIFY(m_pad->addPage(u"Meanwhile"_s));
        QVERIFY(m_pad->deletePage(m_pad->pages()->last().id));

        const Expected<Done> restored = m_pad->restore(*snapshot);
        QVERIFY2(restored, qPrintable(restored ? QString() : restored.error().description));
        QCOMPARE(padDigest(*m_store), digest);
        QCOMPARE(m_pad->pages().value(), pages);
        QCOMPARE(m_pad->buttons(chosen.id).value(), before);
    }

    void restoreIsAllOrNothing_data()
    {
        QTest::addColumn<QString>("conflict");
        QTest::newRow("the cell holds a new button") << u"cell"_s;
        QTest::newRow("the page is gone") << u"page"_s;
        QTest::newRow("a button id is in use") << u"id"_s;
    }

    void restoreIsAllOrNothing()
    {
        QFETCH(QString, conflict);
        makeVariedPad();
        const ShortcutPage grading = m_pad->pages()->last();
        const QList<ShortcutButton> buttons = m_pad->buttons(grading.id).value();
        ShortcutPadSnapshot snapshot;
        if (conflict == u"cell"_s) {
            snapshot = m_pad->snapshotButton(buttons[1].id).value();
            QVERIFY(m_pad->deleteButton(buttons[1].id));
            QVERIFY(m_pad->addButton(grading.id, buttons[1].row, buttons[1].col));
        } else if (conflict == u"page"_s) {
            snapshot = m_pad->snapshotButton(buttons[1].id).value();
            QVERIFY(m_pad->deletePage(grading.id));
        } else {
            // The page and two of its buttons would go in before the clash: none may stay.
            snapshot = m_pad->snapshotPage(grading.id).value();
            QVERIFY(m_pad->deletePage(grading.id));
            const ShortcutPage other = m_pad->pages()->first();
            const ShortcutButton taken = m_pad->buttons(other.id)->first();
            snapshot.buttons[2].id = taken.id;
        }
        const QByteArray digest = padDigest(*m_store);
        const Expected<Done> restored = m_pad->restore(snapshot);
        QVERIFY(!restored);
        QVERIFY2(restored.error().is(ShortcutPadError::NotRestorable),
                 qPrintable(restored.error().description));
        QCOMPARE(padDigest(*m_store), digest);
    }
};

QTEST_GUILESS_MAIN(TestShortcutPad)
#include "tst_ShortcutPad.moc"
