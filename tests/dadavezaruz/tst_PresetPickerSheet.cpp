#include "dadavezaruz/PresetCatalogueFilter.h"
#include "dadavezaruz/PresetPickerSheet.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QStringList labels(const QList<ShortcutPreset> &presets)
{
    QStringList list;
    for (const ShortcutPreset &preset : presets)
        list.append(preset.label);
    return list;
}

} // namespace

class TestPresetPickerSheet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filter_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("categories");
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QStringList>("firstLabels");

        QTest::newRow("everything")
            << QString() << QStringList{u"OBS"_s, u"Resolve"_s} << QList<int>{10, 18}
            << QStringList{u"Start Stream"_s, u"Color Page"_s};
        QTest::newRow("label, any case") << u"PAGE"_s << QStringList{u"Resolve"_s} << QList<int>{4}
                                         << QStringList{u"Color Page"_s};
        QTest::newRow("both categories")
            << u"stop"_s << QStringList{u"OBS"_s, u"Resolve"_s} << QList<int>{2, 1}
            << QStringList{u"Stop Stream"_s, u"Stop"_s};
        QTest::newRow("nothing") << u"zzz"_s << QStringList{} << QList<int>{} << QStringList{};
    }

    void filter()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, categories);
        QStringList gotCategories, gotFirst;
        QList<int> gotCounts;
        QList<ShortcutPreset> all;
        for (const PresetSection &section :
             PresetCatalogueFilter::sections(shortcutPresets(), search)) {
            gotCategories.append(section.category);
            gotCounts.append(int(section.presets.size()));
            gotFirst.append(section.presets.first().label);
            all += section.presets;
        }
        QCOMPARE(gotCategories, categories);
        QTEST(gotCounts, "counts");
        QTEST(gotFirst, "firstLabels");

        // The sheet lists the same rows under the same headings.
        PresetPickerSheet sheet;
        sheet.setSearchText(search);
        QCOMPARE(sheet.listedCategories(), categories);
        QCOMPARE(labels(sheet.listedPresets()), labels(all));
    }

    // Typing narrows the list, Down skips section headings, Return chooses and closes.
    void keyboardChoice()
    {
        PresetPickerSheet sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QSignalSpy chosen(&sheet, &PresetPickerSheet::presetChosen);
        auto *search = sheet.findChild<QLineEdit *>(u"presetSearch"_s);
        search->setFocus();
        QTest::keyClicks(search, u"stop"_s);
        QCOMPARE(sheet.selectedPreset()->label, u"Stop Stream"_s);
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(search, Qt::Key_Down);
        QCOMPARE(sheet.selectedPreset()->label, u"Stop"_s);
        QTest::keyClick(search, Qt::Key_Down); // the last row stays selected
        QTest::keyClick(search, Qt::Key_Up);
        QCOMPARE(sheet.selectedPreset()->label, u"Stop Record"_s);
        QCOMPARE(chosen.count(), 0);

        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen[0][0].value<ShortcutPreset>().keyCombo, u"cmd+shift+r"_s);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QVERIFY(!sheet.isVisible());
    }

    void clickChoice()
    {
        PresetPickerSheet sheet;
        sheet.resize(400, 600);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QSignalSpy chosen(&sheet, &PresetPickerSheet::presetChosen);
        auto *list = sheet.findChild<QListWidget *>(u"presetList"_s);
        const auto click = [list](int row) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(row)).center());
        };
        click(0); // the "OBS" heading: chooses nothing
        QCOMPARE(chosen.count(), 0);
        click(2);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen[0][0].value<ShortcutPreset>().label, u"Stop Stream"_s);
        QVERIFY(!sheet.isVisible());
    }
};

QTEST_MAIN(TestPresetPickerSheet)
#include "tst_PresetPickerSheet.moc"
