#include "app/CatalogueModel.h"
#include "common/IconLibrary.h"

#include <QSet>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

class TestCatalogueModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everySymbolHasItsOwnIcon();
};

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
