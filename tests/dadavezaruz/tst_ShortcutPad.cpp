#include "dadavezaruz/ShortcutPad.h"
#include "dadavezaruz/ShortcutPageListModel.h"
#include "dadavezaruz/ShortcutPreset.h"
#include "platform/store/ModelStore.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestShortcutPad : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void seedsThreePagesOnce();
    void seededCells_data();
    void seededCells();
    void pagesAndCascade();
    void buttonsAndPresets();
    void pageListFollowsTheStore();

private:
    QList<ShortcutButton> buttonsOf(const QString &pageName);
    int storedButtons();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<ShortcutPad> m_pad;
};

void TestShortcutPad::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    auto store = ModelStore::open(m_dir->path());
    QVERIFY(store);
    m_store = std::move(*store);
    m_pad = std::make_unique<ShortcutPad>(*m_store);
}

void TestShortcutPad::cleanup()
{
    m_pad.reset();
    m_store.reset();
}

QList<ShortcutButton> TestShortcutPad::buttonsOf(const QString &pageName)
{
    for (const ShortcutPage &page : m_pad->pages().value()) {
        if (page.name == pageName)
            return m_pad->buttons(page.id).value();
    }
    return {};
}

int TestShortcutPad::storedButtons()
{
    QSqlQuery query(m_store->database());
    return query.exec(u"SELECT COUNT(*) FROM ShortcutButton"_s) && query.next()
               ? query.value(0).toInt()
               : -1;
}

void TestShortcutPad::seedsThreePagesOnce()
{
    const auto selected = m_pad->seedDefaultPages();
    QVERIFY(selected && *selected);
    const QList<ShortcutPage> pages = m_pad->pages().value();
    QCOMPARE(pages.size(), 3);
    QCOMPARE(pages[0], (ShortcutPage{**selected, u"Resolve"_s, 0}));
    QCOMPARE(pages[1].name, u"OBS"_s);
    QCOMPARE(pages[2].name, u"Custom"_s);
    QCOMPARE(buttonsOf(u"Resolve"_s).size(), 16);
    QCOMPARE(buttonsOf(u"OBS"_s).size(), 10);
    QCOMPARE(buttonsOf(u"Custom"_s).size(), 0);

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

void TestShortcutPad::seededCells_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("keyCombo");
    QTest::newRow("first") << u"Resolve"_s << u"Color Page"_s << 0 << 0 << u"shift+6"_s;
    QTest::newRow("last Resolve") << u"Resolve"_s << u"Flag Green"_s << 3 << 3 << u"cmd+2"_s;
    QTest::newRow("last OBS") << u"OBS"_s << u"Virtual Cam"_s << 2 << 1 << u"cmd+shift+v"_s;
}

void TestShortcutPad::seededCells()
{
    QFETCH(QString, page);
    QFETCH(QString, label);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, keyCombo);
    QVERIFY(m_pad->seedDefaultPages());
    const QList<ShortcutButton> buttons = buttonsOf(page);
    const auto found = std::find_if(buttons.cbegin(), buttons.cend(),
                                    [&](const ShortcutButton &b) { return b.label == label; });
    QVERIFY(found != buttons.cend());
    QCOMPARE(found->row, row);
    QCOMPARE(found->col, col);
    QCOMPARE(found->keyCombo, keyCombo);
    QCOMPARE(found->customImageData, std::nullopt);
    QVERIFY(std::none_of(buttons.cbegin(), buttons.cend(), [](const ShortcutButton &b) {
        return b.label == u"Full Screen"_s || b.label == u"Export"_s;
    }));
}

void TestShortcutPad::pagesAndCascade()
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

void TestShortcutPad::buttonsAndPresets()
{
    const ShortcutPage page = m_pad->addPage(u"Custom"_s).value();
    const auto addedButton = m_pad->addButton(page.id, 3, 2);
    QVERIFY2(addedButton, qPrintable(addedButton ? QString() : addedButton.error().description));
    ShortcutButton button = *addedButton;
    QCOMPARE(m_pad->buttons(page.id).value(), QList{button});
    QCOMPARE(button.label, u"Button"_s);
    QCOMPARE(button.sfSymbol, u"bolt.fill"_s);
    QCOMPARE(button.appTarget, u"global"_s);
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

void TestShortcutPad::pageListFollowsTheStore()
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

QTEST_GUILESS_MAIN(TestShortcutPad)
#include "tst_ShortcutPad.moc"
