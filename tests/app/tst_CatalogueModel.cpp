#include "app/CatalogueModel.h"
#include "common/IconLibrary.h"

#include <QSet>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(CatalogueModel::Kind)

class TestCatalogueModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsInDisplayOrder_data();
    void rowsInDisplayOrder();
    void onlyToolsWithScreensCanBeChosen();
    void everySymbolHasItsOwnIcon();
};

void TestCatalogueModel::rowsInDisplayOrder_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<CatalogueModel::Kind>("kind");
    QTest::addColumn<QString>("title");

    using K = CatalogueModel::Kind;
    const QList<std::pair<K, QString>> expected{
        {K::Header, u"Huebench"_s},
        {K::Section, u"Pro"_s},
        {K::Tool, u"DadavezaRuz"_s},
        {K::Section, u"Tools"_s},
        {K::Tool, u"Monitor Calibration"_s},
        {K::Tool, u"Feet & Frames"_s},
        {K::Tool, u"Text to Fountain"_s},
        {K::Tool, u"DOC to SRT"_s},
        {K::Tool, u"Project Prep Checklist"_s},
        {K::Tool, u"Bouncing Monitors"_s},
        {K::Tool, u"Color Invaders"_s},
        {K::Tool, u"YouTube Search"_s},
        {K::Tool, u"DadavezaRuz Server"_s},
        {K::Tool, u"MOGRT \u2192 Fusion"_s},
    };
    for (int row = 0; row < expected.size(); ++row)
        QTest::addRow("%d %s", row, qPrintable(expected[row].second))
            << row << expected[row].first << expected[row].second;
}

void TestCatalogueModel::rowsInDisplayOrder()
{
    QFETCH(int, row);
    QFETCH(CatalogueModel::Kind, kind);
    QFETCH(QString, title);

    const CatalogueModel model({});
    QCOMPARE(model.rowCount(), 14);
    const QModelIndex index = model.index(row, 0);
    QCOMPARE(CatalogueModel::kind(index), kind);
    QCOMPARE(index.data().toString(), title);
    if (kind == CatalogueModel::Kind::Header) {
        QCOMPARE(index.data(CatalogueModel::SubtitleRole).toString(),
                 u"Pro tools including DadavezaRuz wireless controller."_s);
    }
}

void TestCatalogueModel::onlyToolsWithScreensCanBeChosen()
{
    const std::set<ToolId> available{ToolId::FeetFrames, ToolId::DadavezaRuz};
    const CatalogueModel model(available);

    int tools = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        const Qt::ItemFlags flags = model.flags(index);
        const bool isTool = CatalogueModel::kind(index) == CatalogueModel::Kind::Tool;
        const bool shouldChoose = isTool && available.contains(CatalogueModel::tool(index));
        QCOMPARE(bool(flags & Qt::ItemIsSelectable), shouldChoose);
        QCOMPARE(bool(flags & Qt::ItemIsEnabled), shouldChoose || !isTool);
        QVERIFY(!(flags & Qt::ItemIsEditable));
        if (isTool) {
            ++tools;
            QCOMPARE(model.indexOf(CatalogueModel::tool(index)), index);
        }
    }
    QCOMPARE(tools, 11);
}

void TestCatalogueModel::everySymbolHasItsOwnIcon()
{
    const CatalogueModel model({});
    QSet<QString> files;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        if (CatalogueModel::kind(index) == CatalogueModel::Kind::Section)
            continue;
        const QString symbol = index.data(CatalogueModel::SymbolRole).toString();
        QVERIFY2(IconLibrary::isKnown(symbol), qPrintable(symbol));
        files.insert(IconLibrary::iconFile(symbol));
        QVERIFY(index.data(CatalogueModel::PrimaryColorRole).value<QColor>().isValid());
        QVERIFY(index.data(CatalogueModel::SecondaryColorRole).value<QColor>().isValid());
    }
    QCOMPARE(files.size(), 12); // header and eleven tools, each drawn differently
}

QTEST_APPLESS_MAIN(TestCatalogueModel)
#include "tst_CatalogueModel.moc"
