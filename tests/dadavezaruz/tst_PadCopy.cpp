#include "PadDigest.h"

#include "dadavezaruz/PadCopy.h"
#include "platform/store/ModelStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace hb;
using namespace hb::test;
using namespace Qt::StringLiterals;

namespace {

// One button in each cell of `cells` (indices row by row); -1 stands for a button stored below
// the grid, which the grid shows in the first cell of its last row.
QList<ShortcutButton> buttonsIn(const QList<int> &cells)
{
    QList<ShortcutButton> buttons;
    for (int index : cells) {
        ShortcutButton button;
        button.id = buttons.size() + 1;
        button.row = index < 0 ? ShortcutGrid::kRows + 3 : index / ShortcutGrid::kColumns;
        button.col = index < 0 ? 0 : index % ShortcutGrid::kColumns;
        buttons.append(button);
    }
    return buttons;
}

QList<int> allBut(std::initializer_list<int> free)
{
    QList<int> cells;
    for (int index = 0; index < ShortcutGrid::kCellCount; ++index) {
        if (std::ranges::find(free, index) == free.end())
            cells.append(index);
    }
    return cells;
}

int indexOf(const std::optional<ShortcutGridCell> &cell)
{
    return cell ? ShortcutGrid::indexOf(cell->row, cell->col) : -1;
}

} // namespace

class TestPadCopy : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;

    // A page with a button in each of `cells`, labelled by cell; the last one has an image.
    ShortcutPage pageWith(const QString &name, const QList<int> &cells)
    {
        ShortcutPad pad(*m_store);
        ShortcutPage page = pad.addPage(name).value();
        for (int index : cells) {
            ShortcutButton button = pad.addButton(page.id, index / ShortcutGrid::kColumns,
                                                  index % ShortcutGrid::kColumns)
                                        .value();
            button.label = u"Cell %1"_s.arg(index);
            button.sfSymbol = u"scissors"_s;
            button.colorHex = u"#FF3B30"_s;
            button.keyCombo = u"cmd+shift+%1"_s.arg(index);
            button.appTarget = u"resolve"_s;
            button.customImageData = QByteArray("\x89PNG\0", 5) + QByteArray::number(index);
            if (!pad.updateButton(button))
                return {};
        }
        return page;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = ModelStore::open(m_dir->path()).value();
    }
    void cleanup() { m_store.reset(); }

    void nextFreeCell_data()
    {
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<int>("after");
        QTest::addColumn<int>("expected"); // -1: none

        QTest::newRow("beside") << QList{5} << 5 << 6;
        QTest::newRow("end of a row: the next row") << QList{3} << 3 << 4;
        QTest::newRow("past taken cells") << QList{4, 5, 6, 7, 8} << 4 << 9;
        QTest::newRow("last cell: wraps to the first") << QList{15} << 15 << 0;
        QTest::newRow("wraps past taken cells") << QList{0, 1, 13, 14, 15} << 13 << 2;
        QTest::newRow("the only free cell is before it") << allBut({2}) << 9 << 2;
        QTest::newRow("full") << allBut({}) << 6 << -1;
        QTest::newRow("a button below the grid takes the cell it is shown in")
            << QList{11, -1} << 11 << 13;
    }
    void nextFreeCell()
    {
        QFETCH(QList<int>, taken);
        QFETCH(int, after);
        const ShortcutGridCell cell{after / ShortcutGrid::kColumns, after % ShortcutGrid::kColumns};
        QTEST(indexOf(PadCopy::nextFreeCell(buttonsIn(taken), cell)), "expected");
    }

    void firstFreeCell_data()
    {
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty page") << QList<int>{} << 0;
        QTest::newRow("first row taken") << QList{0, 1, 2, 3} << 4;
        QTest::newRow("a gap") << QList{0, 2} << 1;
        QTest::newRow("only the last") << allBut({15}) << 15;
        QTest::newRow("full") << allBut({}) << -1;
    }
    void firstFreeCell()
    {
        QFETCH(QList<int>, taken);
        QTEST(indexOf(PadCopy::firstFreeCell(buttonsIn(taken))), "expected");
    }

    void copyName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("expected");
        QTest::newRow("free") << u"Resolve"_s << QStringList{u"Resolve"_s} << u"Resolve copy"_s;
        QTest::newRow("copy taken")
            << u"Resolve"_s << QStringList{u"Resolve"_s, u"Resolve copy"_s} << u"Resolve copy 2"_s;
        QTest::newRow("numbers taken")
            << u"OBS"_s << QStringList{u"OBS"_s, u"OBS copy"_s, u"OBS copy 2"_s, u"OBS copy 3"_s}
            << u"OBS copy 4"_s;
        QTest::newRow("only a number taken")
            << u"OBS"_s << QStringList{u"OBS"_s, u"OBS copy 2"_s} << u"OBS copy"_s;
        QTest::newRow("names differ in case")
            << u"OBS"_s << QStringList{u"OBS"_s, u"obs copy"_s} << u"OBS copy"_s;
        QTest::newRow("a copy copied")
            << u"OBS copy"_s << QStringList{u"OBS"_s, u"OBS copy"_s} << u"OBS copy copy"_s;
    }
    void copyName()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, taken);
        QTEST(PadCopy::copyName(name, taken), "expected");
    }

    // A copy has every field and the image of its original, in the cell it should have; a page
    // with no free cell is left as it was.
    void copyButton_data()
    {
        QTest::addColumn<QList<int>>("source");
        QTest::addColumn<int>("original"); // cell on the source page
        QTest::addColumn<bool>("samePage");
        QTest::addColumn<QList<int>>("target"); // cells taken on the other page
        QTest::addColumn<int>("expected");      // cell of the copy, -1 when full

        QTest::newRow("same page, next cell") << QList{0, 1, 5} << 1 << true << QList<int>{} << 2;
        QTest::newRow("same page, wrapping") << QList{0, 15} << 15 << true << QList<int>{} << 1;
        QTest::newRow("same page, full") << allBut({}) << 7 << true << QList<int>{} << -1;
        QTest::newRow("other page, first free cell")
            << QList{9} << 9 << false << QList{0, 1, 4} << 2;
        QTest::newRow("other page, empty") << QList{9} << 9 << false << QList<int>{} << 0;
        QTest::newRow("other page, full") << QList{9} << 9 << false << allBut({}) << -1;
    }
    void copyButton()
    {
        QFETCH(QList<int>, source);
        QFETCH(int, original);
        QFETCH(bool, samePage);
        QFETCH(QList<int>, target);
        QFETCH(int, expected);
        const ShortcutPage from = pageWith(u"From"_s, source);
        const ShortcutPage to = pageWith(u"To"_s, target);
        ShortcutPad pad(*m_store);
        const QList<ShortcutButton> before = pad.buttons(from.id).value();
        const ShortcutButton &originalButton = before[source.indexOf(original)];
        const qint64 page = samePage ? from.id : to.id;
        const QByteArray digest = padDigest(*m_store);

        const Expected<ShortcutButton> copy =
            PadCopy::copyButton(*m_store, originalButton.id, page);
        if (expected < 0) {
            QVERIFY(!copy);
            QVERIFY(copy.error().is(PadCopyError::PageFull));
            QCOMPARE(copy.error().description, u"The page is full: no free cell for a copy"_s);
            QCOMPARE(padDigest(*m_store), digest);
            return;
        }
        QVERIFY2(copy, qPrintable(copy ? QString() : copy.error().description));
        QCOMPARE(pad.buttons(from.id).value().mid(0, before.size()), before);
        const ShortcutButton stored = pad.button(copy->id).value().value();
        QCOMPARE(stored, *copy);
        QVERIFY(stored.id != originalButton.id);
        QCOMPARE(stored.page, page);
        QCOMPARE(ShortcutGrid::indexOf(stored.row, stored.col), expected);
        ShortcutButton moved = originalButton;
        moved.id = stored.id;
        moved.page = stored.page;
        moved.row = stored.row;
        moved.col = stored.col;
        QCOMPARE(stored, moved);
        QVERIFY(stored.customImageData);
        // Last in its page's order, as a button added by hand.
        QCOMPARE(pad.buttons(page).value().constLast().id, stored.id);
    }

    void copyingWhatIsGone_data()
    {
        QTest::addColumn<bool>("buttonGone");
        QTest::newRow("button gone") << true;
        QTest::newRow("page gone") << false;
    }
    void copyingWhatIsGone()
    {
        QFETCH(bool, buttonGone);
        const ShortcutPage from = pageWith(u"From"_s, {3});
        const ShortcutPage to = pageWith(u"To"_s, {});
        ShortcutPad pad(*m_store);
        const qint64 button = pad.buttons(from.id).value()[0].id;
        QVERIFY(buttonGone ? pad.deleteButton(button) : pad.deletePage(to.id));
        const QByteArray digest = padDigest(*m_store);
        const auto copy = PadCopy::copyButton(*m_store, button, to.id);
        QVERIFY(!copy);
        QVERIFY(copy.error().is(ShortcutPadError::NotFound));
        QCOMPARE(padDigest(*m_store), digest);
        const auto page = PadCopy::duplicatePage(*m_store, to.id);
        QCOMPARE(bool(page), buttonGone);
    }

    // The copy of a page: its buttons in their order, fields, cells and images, after the other
    // pages, with a free name; the original as it was.
    void duplicatePage_data()
    {
        QTest::addColumn<QList<int>>("cells");
        QTest::addColumn<QStringList>("others");
        QTest::addColumn<QString>("name");
        QTest::newRow("buttons") << QList{6, 0, 15, 3} << QStringList{} << u"Grade copy"_s;
        QTest::newRow("full page") << allBut({}) << QStringList{} << u"Grade copy"_s;
        QTest::newRow("empty page, name taken")
            << QList<int>{} << QStringList{u"Grade copy"_s} << u"Grade copy 2"_s;
    }
    void duplicatePage()
    {
        QFETCH(QList<int>, cells);
        QFETCH(QStringList, others);
        const ShortcutPage original = pageWith(u"Grade"_s, cells);
        for (const QString &other : std::as_const(others))
            pageWith(other, {1});
        pageWith(u"Last"_s, {2});
        ShortcutPad pad(*m_store);
        const QList<ShortcutButton> before = pad.buttons(original.id).value();
        const QList<ShortcutPage> pagesBefore = pad.pages().value();

        const Expected<ShortcutPage> copy = PadCopy::duplicatePage(*m_store, original.id);
        QVERIFY2(copy, qPrintable(copy ? QString() : copy.error().description));
        QTEST(copy->name, "name");
        QCOMPARE(pad.pages().value(), pagesBefore + QList{*copy});
        QCOMPARE(pad.buttons(original.id).value(), before);
        const QList<ShortcutButton> copied = pad.buttons(copy->id).value();
        QCOMPARE(copied.size(), before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            QVERIFY(std::ranges::find(before, copied[i].id, &ShortcutButton::id) == before.end());
            ShortcutButton expected = before[i];
            expected.id = copied[i].id;
            expected.page = copy->id;
            QCOMPARE(copied[i], expected);
        }
    }
};

QTEST_MAIN(TestPadCopy)
#include "tst_PadCopy.moc"
