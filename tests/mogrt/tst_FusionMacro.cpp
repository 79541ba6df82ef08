#include "mogrt/FusionMacro.h"

#include <QLocale>
#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

using Controls = QList<MogrtControl>;
using V = ControlAnyValue;

namespace {

const QString kDefaultMacro =
    u"{\n"
    "\tTools = orderedtable({\n"
    "\t\tStrokeBG = Background {\n"
    "\t\t\tInputs = {\n"
    "\t\t\t\tTopLeftRed = Input { Value = 0.0, },\n"
    "\t\t\t\tTopLeftGreen = Input { Value = 0.0, },\n"
    "\t\t\t\tTopLeftBlue = Input { Value = 0.0, },\n"
    "\t\t\t\tTopLeftAlpha = Input { Value = 1.0, },\n"
    "\t\t\t\tWidth = Input { Value = 0.6, },\n"
    "\t\t\t\tHeight = Input { Value = 0.2, },\n"
    "\t\t\t},\n"
    "\t\t},\n"
    "\t\tText1 = TextPlus {\n"
    "\t\t\tInputs = {\n"
    "\t\t\t\tStyledText = Input { Value = \"Title\", },\n"
    "\t\t\t\tRed1 = Input { Value = 1.0, },\n"
    "\t\t\t\tGreen1 = Input { Value = 1.0, },\n"
    "\t\t\t\tBlue1 = Input { Value = 1.0, },\n"
    "\t\t\t\tAlpha1 = Input { Value = 1.0, },\n"
    "\t\t\t\tTracking = Input { Value = 0.0, },\n"
    "\t\t\t\tFont = Input { Value = \"Helvetica\", },\n"
    "\t\t\t\tStyle = Input { Value = \"Regular\", },\n"
    "\t\t\t},\n"
    "\t\t},\n"
    "\t\tMerge1 = Merge {\n"
    "\t\t\tInputs = {\n"
    "\t\t\t\tBackground = Input { SourceOp = \"StrokeBG\", Source = \"Output\", },\n"
    "\t\t\t\tForeground = Input { SourceOp = \"Text1\", Source = \"Output\", },\n"
    "\t\t\t\tCenter = Input { Value = Point(0.5, 0.5), },\n"
    "\t\t\t},\n"
    "\t\t},\n"
    "\t\tXf1 = Transform {\n"
    "\t\t\tInputs = {\n"
    "\t\t\t\tInput = Input { SourceOp = \"Merge1\", Source = \"Output\", },\n"
    "\t\t\t\tSize = Input { Value = 1.0, },\n"
    "\t\t\t\tAngle = Input { Value = 0.0, },\n"
    "\t\t\t\tPivot = Input { Value = Point(0.5, 0.5), },\n"
    "\t\t\t},\n"
    "\t\t},\n"
    "\t}),\n"
    "\tActiveTool = \"Xf1\",\n"
    "\tMacroOperator = \"Lower Third\",\n"
    "}"_s;

// An object value with one-letter keys: object("rgb", 1.0, 0.5, 0.0).
template <typename... T> V object(const char *keys, T... values)
{
    V::Object members;
    (members.emplace_back(QString(QLatin1Char(*keys++)), V{values}), ...);
    return {std::move(members)};
}

// The default macro's lines with the value of each "Name = value; ..." in `changes` replaced.
QStringList defaultWith(const QString &changes)
{
    QStringList lines = kDefaultMacro.split(u'\n');
    for (const QString &change : changes.split(u"; "_s, Qt::SkipEmptyParts)) {
        for (QString &line : lines)
            if (line.trimmed().startsWith(change.section(u" = "_s, 0, 0) + u" = "))
                line = line.left(line.lastIndexOf(u"= ") + 2) + change.section(u" = "_s, 1) +
                       (line.endsWith(u", },") ? u", },"_s : u","_s);
    }
    return lines;
}

} // namespace

class TestFusionMacro : public QObject {
    Q_OBJECT

    // The control whose display name is `name`.
    static MogrtControl control(const char *name, V v) { return {{}, QString::fromUtf8(name), v}; }

private Q_SLOTS:
    void derivesInputs_data()
    {
        QTest::addColumn<QString>("macroName");
        QTest::addColumn<Controls>("controls");
        QTest::addColumn<QString>("changes"); // the lines that differ from the default macro

        const auto row = [](const QByteArray &tag, const Controls &controls,
                            const char16_t *changes, const QString &macroName = u"Lower Third"_s) {
            QTest::newRow(tag.constData()) << macroName << controls << QString::fromUtf16(changes);
        };
        const double nan = qQNaN();
        row("no controls", {}, u"");
        row("every control, box alpha 0.8 at 50 % opacity",
            {control("Source Text", {u"Hello"_s}),
             control("Text Color", object("rgba", .25, .5, .75, .9)),
             control("Box Color", object("rgba", .1, .2, .3, .8)),
             control("Position", object("yx", 270.0, 480.0)), control("Scale", {150.0}),
             control("Rotation", {-12.5}), control("Text Tracking", {0.05}),
             control("Text Italics", {true}), control("Box Width", {0.75}),
             control("Box Height", {0.125}), control("Box Opacity", {50.0})},
            u"TopLeftRed = 0.1; TopLeftGreen = 0.2; TopLeftBlue = 0.3; TopLeftAlpha = 0.4; "
            u"Width = 0.75; Height = 0.125; StyledText = \"Hello\"; Red1 = 0.25; Green1 = 0.5; "
            u"Blue1 = 0.75; Alpha1 = 0.9; Tracking = 0.05; Style = \"Italic\"; "
            u"Center = Point(0.25, 0.25); Size = 1.5; Angle = -12.5");
        row("colour without blue, position with a text y: both fall back whole",
            {control("Text Color", object("rga", .2, .4, .5)),
             control("Position", object("xy", 100.0, u"200"_s))},
            u"");
        row("colour without alpha is opaque, name matched loosely",
            {control("  TEXT color ", object("rgb", .2, .4, .6))},
            u"Red1 = 0.2; Green1 = 0.4; Blue1 = 0.6");
        row("sizes raised to 0.01",
            {control("Scale", {0.0}), control("Box Width", {-3.0}), control("Box Height", {nan})},
            u"Size = 0.01; Width = 0.01; Height = 0.01");
        row("nothing else clamped or wrapped",
            {control("Scale", {250.0}), control("Rotation", {720.0}),
             control("Text Tracking", {-3.0}),
             control("Text Color", object("rgba", 2., -.5, 0., 3.))},
            u"Size = 2.5; Angle = 720.0; Tracking = -3.0; Red1 = 2.0; Green1 = -0.5; "
            u"Blue1 = 0.0; Alpha1 = 3.0");
        const V flags[] = {{false}, {0.0}, {u"true"_s}, {true}, {1.0}, {nan}}; // the last 3 are on
        for (int i = 0; i < 6; ++i)
            row("italics " + QByteArray::number(i), {control("Text Italics", flags[i])},
                i < 3 ? u"" : u"Style = \"Italic\"");
        row("title escaped, %1 kept",
            {control("Source Text", {u"%1 a\\b \"c\"\nd\\\"\r\t\u00FC"_s})},
            u"StyledText = \"%1 a\\\\b \\\"c\\\"\\nd\\\\\\\"\r\t\u00FC\"");
        row("macro name escaped, %1 kept", {}, u"MacroOperator = \"The \\\"Big\\\" %1\"",
            u"The \"Big\" %1"_s);
    }

    void derivesInputs()
    {
        QFETCH(QString, macroName);
        QFETCH(Controls, controls);
        QFETCH(QString, changes);
        QCOMPARE(makeFusionMacro(macroName, controls).split(u'\n'), defaultWith(changes));
    }

    void writesShortestRoundTripNumbers_data()
    {
        QTest::addColumn<QString>("text"); // which reads back as the number it is written for
        for (const char *text :
             {"1.0", "0.6", "1e-05", "-1e-05", "0.0001", "1.5e-07", "1e+16", "9999999999999998.0",
              "-0.0", "nan", "inf", "-inf", "0.30000000000000004", "5e-324", "1e+100"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }

    void writesShortestRoundTripNumbers()
    {
        QFETCH(QString, text);
        QLocale::setDefault(QLocale::German); // still no decimal comma
        const QString written = fusionNumber(text.toDouble());
        QLocale::setDefault(QLocale::c());
        QCOMPARE(written, text);
    }
};

QTEST_APPLESS_MAIN(TestFusionMacro)
#include "tst_FusionMacro.moc"
