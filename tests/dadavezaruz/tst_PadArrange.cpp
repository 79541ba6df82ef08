#include "PadDigest.h"

#include "dadavezaruz/PadArrange.h"
#include "dadavezaruz/ShortcutGrid.h"
#include "platform/store/ModelStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

class TestPadArrange : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    QList<ShortcutPage> m_pages;

    // The pages' names in their order.
    QString pageNames() const
    {
        QStringList names;
        for (const ShortcutPage &page : ShortcutPad(*m_store).pages().value())
            names.append(page.name);
        return names.join(u',');
    }
    // A page's buttons in its order, as "label@cell" with cells numbered row by row.
    QString layoutOf(qint64 page) const
    {
        QStringList cells;
        for (const ShortcutButton &button : ShortcutPad(*m_store).buttons(page).value())
            cells.append(
                u"%1@%2"_s.arg(button.label).arg(ShortcutGrid::indexOf(button.row, button.col)));
        return cells.join(u',');
    }
    qint64 buttonLabelled(const QString &label) const
    {
        for (const ShortcutPage &page : m_pages) {
            for (const ShortcutButton &button : ShortcutPad(*m_store).buttons(page.id).value()) {
                if (button.label == label)
                    return button.id;
            }
        }
        return 0;
    }

private Q_SLOTS:
    // Pages A, B, C, D whose sortOrders have a gap and a tie (A and B share 3, made in that
    // order), as a pad has them after deletes; page A holds a, b, c in cells 0, 1, 5 and page B
    // holds d, e in cells 0 and 3.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = ModelStore::open(m_dir->path()).value();
        ShortcutPad pad(*m_store);
        m_pages.clear();
        for (const QString &name : {u"A"_s, u"B"_s, u"C"_s, u"D"_s})
            m_pages.append(pad.addPage(name).value());
        m_pages[0].sortOrder = 3;
        m_pages[1].sortOrder = 3;
        m_pages[2].sortOrder = 7;
        m_pages[3].sortOrder = 10;
        QVERIFY(PadArrange::restorePageOrder(*m_store, m_pages));
        const QList<std::pair<int, int>> cells = {{0, 0}, {0, 1}, {0, 5}, {1, 0}, {1, 3}};
        QString label = u"a"_s;
        for (const auto &[page, cell] : cells) {
            ShortcutButton button = pad.addButton(m_pages[page].id, cell / ShortcutGrid::kColumns,
                                                  cell % ShortcutGrid::kColumns)
                                        .value();
            button.label = label;
            QVERIFY(pad.updateButton(button));
            label = QChar(label[0].unicode() + 1);
        }
        QCOMPARE(pageNames(), u"A,B,C,D"_s);
    }

    // The page goes to its new place, every sortOrder is numbered afresh, and putting the old
    // order back gives the very same records.
    void movePage_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("newIndex");
        QTest::addColumn<QString>("names");
        QTest::newRow("one right") << 0 << 1 << u"B,A,C,D"_s;
        QTest::newRow("one left") << 2 << 1 << u"A,C,B,D"_s;
        QTest::newRow("first to last") << 0 << 3 << u"B,C,D,A"_s;
        QTest::newRow("last to first") << 3 << 0 << u"D,A,B,C"_s;
        QTest::newRow("to its own place") << 1 << 1 << u"A,B,C,D"_s;
    }
    void movePage()
    {
        QFETCH(int, page);
        QFETCH(int, newIndex);
        const QByteArray before = padDigest(*m_store);
        const Expected<QList<ShortcutPage>> old =
            PadArrange::movePage(*m_store, m_pages[page].id, newIndex);
        QVERIFY(old);
        QCOMPARE(*old, m_pages);
        QTEST(pageNames(), "names");
        const QList<ShortcutPage> after = ShortcutPad(*m_store).pages().value();
        for (int i = 0; i < after.size(); ++i)
            QCOMPARE(after[i].sortOrder, i);
        // The order survives reopening the store.
        m_store.reset();
        m_store = ModelStore::open(m_dir->path()).value();
        QTEST(pageNames(), "names");
        QVERIFY(PadArrange::restorePageOrder(*m_store, *old));
        QCOMPARE(padDigest(*m_store), before);
    }

    void movePageRefused_data()
    {
        QTest::addColumn<qint64>("page");
        QTest::addColumn<int>("newIndex");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");
        const QString arrange = errorDomain(PadArrangeError{});
        const QString pad = errorDomain(ShortcutPadError{});
        QTest::newRow("before the first") << qint64(-1) << -1 << arrange << 1;
        QTest::newRow("past the last") << qint64(-1) << 4 << arrange << 1;
        QTest::newRow("no such page") << qint64(999) << 0 << pad << 3;
    }
    void movePageRefused()
    {
        QFETCH(qint64, page);
        QFETCH(int, newIndex);
        const QByteArray before = padDigest(*m_store);
        const Expected<QList<ShortcutPage>> moved =
            PadArrange::movePage(*m_store, page < 0 ? m_pages[1].id : page, newIndex);
        QVERIFY(!moved);
        QTEST(moved.error().domain, "domain");
        QTEST(moved.error().code, "code");
        QCOMPARE(padDigest(*m_store), before);
    }

    // A button moved to an empty cell or onto another (the two swap), on its page or another
    // one, where it goes last in the order; putting the places back gives the same records.
    void moveButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("cell");
        QTest::addColumn<QString>("layoutA");
        QTest::addColumn<QString>("layoutB");
        QTest::addColumn<int>("moved"); // buttons whose old places are given back
        QTest::newRow("empty cell, same page")
            << u"b"_s << 0 << 15 << u"a@0,b@15,c@5"_s << u"d@0,e@3"_s << 1;
        QTest::newRow("onto a button, same page")
            << u"a"_s << 0 << 5 << u"a@5,b@1,c@0"_s << u"d@0,e@3"_s << 2;
        QTest::newRow("empty cell, other page")
            << u"b"_s << 1 << 10 << u"a@0,c@5"_s << u"d@0,e@3,b@10"_s << 1;
        QTest::newRow("onto a button, other page")
            << u"c"_s << 1 << 3 << u"a@0,b@1,e@5"_s << u"d@0,c@3"_s << 2;
        QTest::newRow("from the other page back")
            << u"d"_s << 0 << 1 << u"a@0,c@5,d@1"_s << u"e@3,b@0"_s << 2;
        QTest::newRow("its own cell") << u"e"_s << 1 << 3 << u"a@0,b@1,c@5"_s << u"d@0,e@3"_s << 0;
    }
    void moveButton()
    {
        QFETCH(QString, button);
        QFETCH(int, page);
        QFETCH(int, cell);
        const QByteArray before = padDigest(*m_store);
        const Expected<QList<ButtonPlace>> old =
            PadArrange::moveButton(*m_store, buttonLabelled(button), m_pages[page].id,
                                   cell / ShortcutGrid::kColumns, cell % ShortcutGrid::kColumns);
        QVERIFY(old);
        QTEST(layoutOf(m_pages[0].id), "layoutA");
        QTEST(layoutOf(m_pages[1].id), "layoutB");
        QTEST(int(old->size()), "moved");
        if (!old->isEmpty())
            QCOMPARE(old->constFirst().id, buttonLabelled(button));
        QVERIFY(PadArrange::restorePlaces(*m_store, *old));
        QCOMPARE(padDigest(*m_store), before);
    }

    void moveButtonRefused_data()
    {
        QTest::addColumn<qint64>("button"); // 0: button a
        QTest::addColumn<qint64>("page");   // 0: page B
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("domain");
        QTest::addColumn<int>("code");
        const QString arrange = errorDomain(PadArrangeError{});
        const QString pad = errorDomain(ShortcutPadError{});
        QTest::newRow("row below the grid") << qint64(0) << qint64(0) << 4 << 0 << arrange << 1;
        QTest::newRow("column left of the grid")
            << qint64(0) << qint64(0) << 0 << -1 << arrange << 1;
        QTest::newRow("no such page") << qint64(0) << qint64(999) << 0 << 2 << pad << 3;
        QTest::newRow("no such button") << qint64(999) << qint64(0) << 0 << 2 << pad << 3;
    }
    void moveButtonRefused()
    {
        QFETCH(qint64, button);
        QFETCH(qint64, page);
        QFETCH(int, row);
        QFETCH(int, col);
        const QByteArray before = padDigest(*m_store);
        const Expected<QList<ButtonPlace>> moved =
            PadArrange::moveButton(*m_store, button ? button : buttonLabelled(u"a"_s),
                                   page ? page : m_pages[1].id, row, col);
        QVERIFY(!moved);
        QTEST(moved.error().domain, "domain");
        QTEST(moved.error().code, "code");
        QCOMPARE(padDigest(*m_store), before);
    }
};

QTEST_GUILESS_MAIN(TestPadArrange)
#include "tst_PadArrange.moc"
