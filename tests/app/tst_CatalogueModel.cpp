#include "app/CatalogueModel.h"
#include "common/IconLibrary.h"

#include <QSet>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestCatalogueModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsInDisplayOrder();
    void onlyToolsWithScreensCanBeChosen();
    void everySymbolHasItsOwnIcon();
};

void TestCatalogueModel::rowsInDisplayOrder()
{
    using K = CatalogueModel::Kind;
    const QList<std::pair<K, QString>> expected{
        {K::Header, u"Huebench"_s},        {K::Section, u"Pro"_s},
        {K::Tool, u"DadavezaRuz"_s},       {K::Section, u"Tools"_s},
        {K::Tool, u"Monitor Calibration"_s}, {K::Tool, u"Feet & Frames"_s},
        {K::Tool, u"Text to Fountain"_s},  {K::Tool, u"DOC to SRT"_s},
        {K::Tool, u"Project Prep Checklist"_s}, {K::Tool, u"Bouncing Monitors"_s},
        {K::Tool, u"Color Invaders"_s},    {K::Tool, u"YouTube Search"_s},
        {K::Tool, u"DadavezaRuz Server"_s}, {K::Tool, u"MOGRT \u2192 Fusion"_s},
    };
    const CatalogueModel model({});
    QCOMPARE(model.rowCount(), expected.size());
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        QCOMPARE(CatalogueModel::kind(index), expected[row].first);
        QCOMPARE(index.data().toString(), expected[row].second);
    }
    QCOMPARE(model.index(0, 0).data(CatalogueModel::SubtitleRole).toString(),
             u"Pro tools including DadavezaRuz wireless controller."_s);
}

void TestCatalogueModel::onlyToolsWithScreensCanBeChosen()
{
    const std::set<ToolId> available{ToolId::FeetFrames, ToolId::DadavezaRuz};
    const CatalogueModel model(available);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row, 0);
        const bool isTool = CatalogueModel::kind(index) == CatalogueModel::Kind::Tool;
        const bool choosable = isTool && available.contains(CatalogueModel::tool(index));
        QCOMPARE(bool(model.flags(index) & Qt::ItemIsSelectable), choosable);
        QCOMPARE(bool(model.flags(index) & Qt::ItemIsEnabled), choosable || !isTool);
        if (isTool)
            QCOMPARE(model.indexOf(CatalogueModel::tool(index)), index);
    }
}

void TestCatalogueModel::everySymbolHasItsOwnIcon()
{
    const CatalogueModel model({});
    QSet<QString> files;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString symbol = model.index(row, 0).data(CatalogueModel::SymbolRole).toString();
        if (symbol.isEmpty())
            continue; // a section title
        QVERIFY2(IconLibrary::isKnown(symbol), qPrintable(symbol));
        files.insert(IconLibrary::iconFile(symbol));
    }
    QCOMPARE(files.size(), 12); // the header and eleven tools, each drawn differently
}

QTEST_APPLESS_MAIN(TestCatalogueModel)
#include "tst_CatalogueModel.moc"
