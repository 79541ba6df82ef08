#include "mogrt/FusionMacro.h"

#include <QLocale>
#include <QMap>
#include <QTest>

#include <clocale>
#include <limits>
#include <string>

using namespace hb;
using namespace Qt::StringLiterals;

using Controls = QList<MogrtControl>;
using LineChanges = QMap<int, QString>; // 1-based line number -> expected line

Q_DECLARE_METATYPE(hb::MogrtControl)

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Lines of the macro that carry a value.
enum Line {
    BoxRed = 5, BoxGreen, BoxBlue, BoxAlpha, BoxWidth, BoxHeight,
    StyledText = 15, Red1, Green1, Blue1, Alpha1, Tracking, Font, Style,
    Center = 29,
    Size = 35, Angle,
    MacroOperator = 42,
};

const QString kDefaultMacro = u"{\n"
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

ControlAnyValue value(double number) { return {number}; }
ControlAnyValue value(bool flag) { return {flag}; }
ControlAnyValue value(const QString &text) { return {text}; }
ControlAnyValue object(ControlAnyValue::Object members) { return {std::move(members)}; }

ControlAnyValue rgba(double r, double g, double b, double a)
{
    return object({{u"r"_s, value(r)}, {u"g"_s, value(g)}, {u"b"_s, value(b)}, {u"a"_s, value(a)}});
}

MogrtControl control(const QString &displayName, ControlAnyValue v)
{
    return {std::nullopt, displayName, std::move(v)};
}

QString input(const QString &name, const QString &shown)
{
    return u"\t\t\t\t"_s + name + u" = Input { Value = "_s + shown + u", },"_s;
}

// The macro equals the default one except for `changes`.
void compareWithDefault(const QString &macro, const LineChanges &changes)
{
    const QStringList actual = macro.split(u'\n');
    QStringList expected = kDefaultMacro.split(u'\n');
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        expected[it.key() - 1] = it.value();
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(actual.at(i), expected.at(i));
}

} // namespace

class TestFusionMacro : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void noControlsGiveTheDefaultMacro();
    void everyControlFeedsItsInput();
    void derivesInputsFromControls_data();
    void derivesInputsFromControls();
    void writesShortestRoundTripNumbers_data();
    void writesShortestRoundTripNumbers();
    void numbersIgnoreTheLocale();
};

void TestFusionMacro::noControlsGiveTheDefaultMacro()
{
    const QString macro = makeFusionMacro(u"Lower Third"_s, {});
    QCOMPARE(macro, kDefaultMacro);
    QCOMPARE(macro.count(u'\n'), 42);
    QVERIFY(macro.endsWith(u'}'));
}

void TestFusionMacro::everyControlFeedsItsInput()
{
    const Controls controls{
        control(u"Source Text"_s, value(u"Hello"_s)),
        control(u"Text Color"_s, rgba(0.25, 0.5, 0.75, 0.9)),
        control(u"Box Color"_s, rgba(0.1, 0.2, 0.3, 0.8)),
        control(u"Position"_s, object({{u"y"_s, value(270.0)}, {u"x"_s, value(480.0)}})),
        control(u"Scale"_s, value(150.0)),
        control(u"Rotation"_s, value(-12.5)),
        control(u"Text Tracking"_s, value(0.05)),
        control(u"Text Italics"_s, value(true)),
        control(u"Box Width"_s, value(0.75)),
        control(u"Box Height"_s, value(0.125)),
        control(u"Box Opacity"_s, value(50.0)),
    };
    compareWithDefault(makeFusionMacro(u"Lower Third"_s, controls),
                       {{BoxRed, input(u"TopLeftRed"_s, u"0.1"_s)},
                        {BoxGreen, input(u"TopLeftGreen"_s, u"0.2"_s)},
                        {BoxBlue, input(u"TopLeftBlue"_s, u"0.3"_s)},
                        {BoxAlpha, input(u"TopLeftAlpha"_s, u"0.4"_s)},
                        {BoxWidth, input(u"Width"_s, u"0.75"_s)},
                        {BoxHeight, input(u"Height"_s, u"0.125"_s)},
                        {StyledText, input(u"StyledText"_s, u"\"Hello\""_s)},
                        {Red1, input(u"Red1"_s, u"0.25"_s)},
                        {Green1, input(u"Green1"_s, u"0.5"_s)},
                        {Blue1, input(u"Blue1"_s, u"0.75"_s)},
                        {Alpha1, input(u"Alpha1"_s, u"0.9"_s)},
                        {Tracking, input(u"Tracking"_s, u"0.05"_s)},
                        {Style, input(u"Style"_s, u"\"Italic\""_s)},
                        {Center, input(u"Center"_s, u"Point(0.25, 0.25)"_s)},
                        {Size, input(u"Size"_s, u"1.5"_s)},
                        {Angle, input(u"Angle"_s, u"-12.5"_s)}});
}

void TestFusionMacro::derivesInputsFromControls_data()
{
    QTest::addColumn<Controls>("controls");
    QTest::addColumn<QString>("macroName");
    QTest::addColumn<LineChanges>("changes");

    const QString name = u"Lower Third"_s;
    const QString italic = input(u"Style"_s, u"\"Italic\""_s);

    QTest::newRow("text colour without alpha is opaque")
        << Controls{control(u"Text Color"_s, object({{u"r"_s, value(0.2)}, {u"g"_s, value(0.4)},
                                                     {u"b"_s, value(0.6)}}))}
        << name
        << LineChanges{{Red1, input(u"Red1"_s, u"0.2"_s)}, {Green1, input(u"Green1"_s, u"0.4"_s)},
                       {Blue1, input(u"Blue1"_s, u"0.6"_s)}};
    QTest::newRow("text colour without blue falls back whole")
        << Controls{control(u"Text Color"_s, object({{u"r"_s, value(0.2)}, {u"g"_s, value(0.4)},
                                                     {u"a"_s, value(0.5)}}))}
        << name << LineChanges{};
    QTest::newRow("colours are not clamped")
        << Controls{control(u"Text Color"_s, rgba(2.0, -0.5, 1e-05, 3.0))}
        << name
        << LineChanges{{Red1, input(u"Red1"_s, u"2.0"_s)}, {Green1, input(u"Green1"_s, u"-0.5"_s)},
                       {Blue1, input(u"Blue1"_s, u"1e-05"_s)},
                       {Alpha1, input(u"Alpha1"_s, u"3.0"_s)}};
    QTest::newRow("position with a text y falls back whole")
        << Controls{control(u"Position"_s, object({{u"x"_s, value(100.0)},
                                                   {u"y"_s, value(u"200"_s)}}))}
        << name << LineChanges{};
    QTest::newRow("position is not flipped")
        << Controls{control(u"Position"_s, object({{u"x"_s, value(0.0)}, {u"y"_s, value(1080.0)}}))}
        << name << LineChanges{{Center, input(u"Center"_s, u"Point(0.0, 1.0)"_s)}};
    QTest::newRow("scale 0 is raised")
        << Controls{control(u"Scale"_s, value(0.0))} << name
        << LineChanges{{Size, input(u"Size"_s, u"0.01"_s)}};
    QTest::newRow("scale 250")
        << Controls{control(u"Scale"_s, value(250.0))} << name
        << LineChanges{{Size, input(u"Size"_s, u"2.5"_s)}};
    QTest::newRow("scale NaN is raised")
        << Controls{control(u"Scale"_s, value(kNaN))} << name
        << LineChanges{{Size, input(u"Size"_s, u"0.01"_s)}};
    QTest::newRow("opacity scales box alpha")
        << Controls{control(u"Box Opacity"_s, value(50.0)),
                    control(u"Box Color"_s, rgba(0.0, 0.0, 0.0, 0.8))}
        << name << LineChanges{{BoxAlpha, input(u"TopLeftAlpha"_s, u"0.4"_s)}};
    QTest::newRow("negative box width is raised")
        << Controls{control(u"Box Width"_s, value(-3.0))} << name
        << LineChanges{{BoxWidth, input(u"Width"_s, u"0.01"_s)}};
    QTest::newRow("rotation and tracking unchanged")
        << Controls{control(u"Rotation"_s, value(720.0)), control(u"Text Tracking"_s, value(-3.0))}
        << name
        << LineChanges{{Angle, input(u"Angle"_s, u"720.0"_s)},
                       {Tracking, input(u"Tracking"_s, u"-3.0"_s)}};
    QTest::newRow("italics 0.0") << Controls{control(u"Text Italics"_s, value(0.0))} << name
                                 << LineChanges{};
    QTest::newRow("italics false") << Controls{control(u"Text Italics"_s, value(false))} << name
                                   << LineChanges{};
    QTest::newRow("italics 1") << Controls{control(u"Text Italics"_s, value(1.0))} << name
                               << LineChanges{{Style, italic}};
    QTest::newRow("italics true") << Controls{control(u"Text Italics"_s, value(true))} << name
                                  << LineChanges{{Style, italic}};
    QTest::newRow("italics as text") << Controls{control(u"Text Italics"_s, value(u"true"_s))}
                                     << name << LineChanges{};
    QTest::newRow("italics NaN") << Controls{control(u"Text Italics"_s, value(kNaN))} << name
                                 << LineChanges{{Style, italic}};
    QTest::newRow("title escaped")
        << Controls{control(u"Source Text"_s, value(u"a\\b \"c\"\nd\\\"\r\t\u00FC"_s))} << name
        << LineChanges{{StyledText,
                        input(u"StyledText"_s, u"\"a\\\\b \\\"c\\\"\\nd\\\\\\\"\r\t\u00FC\""_s)}};
    QTest::newRow("title keeps placeholders")
        << Controls{control(u"Source Text"_s, value(u"%1 of %2"_s))} << name
        << LineChanges{{StyledText, input(u"StyledText"_s, u"\"%1 of %2\""_s)}};
    QTest::newRow("macro name escaped")
        << Controls{} << u"The \"Big\" %1"_s
        << LineChanges{{MacroOperator, u"\tMacroOperator = \"The \\\"Big\\\" %1\","_s}};
    QTest::newRow("display name matched loosely")
        << Controls{control(u"  TEXT color "_s, rgba(0.5, 0.5, 0.5, 0.5))} << name
        << LineChanges{{Red1, input(u"Red1"_s, u"0.5"_s)}, {Green1, input(u"Green1"_s, u"0.5"_s)},
                       {Blue1, input(u"Blue1"_s, u"0.5"_s)},
                       {Alpha1, input(u"Alpha1"_s, u"0.5"_s)}};
}

void TestFusionMacro::derivesInputsFromControls()
{
    QFETCH(Controls, controls);
    QFETCH(QString, macroName);
    QFETCH(LineChanges, changes);
    compareWithDefault(makeFusionMacro(macroName, controls), changes);
}

void TestFusionMacro::writesShortestRoundTripNumbers_data()
{
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 1.0 << u"1.0"_s;
    QTest::newRow("half") << 0.5 << u"0.5"_s;
    QTest::newRow("0.6") << 0.6 << u"0.6"_s;
    QTest::newRow("960/1920") << 960.0 / 1920.0 << u"0.5"_s;
    QTest::newRow("1e-05") << 1e-05 << u"1e-05"_s;
    QTest::newRow("-1e-05") << -1e-05 << u"-1e-05"_s;
    QTest::newRow("0.0001") << 0.0001 << u"0.0001"_s;
    QTest::newRow("1.5e-7") << 1.5e-7 << u"1.5e-07"_s;
    QTest::newRow("123456789") << 123456789.0 << u"123456789.0"_s;
    QTest::newRow("1e16") << 1e16 << u"1e+16"_s;
    QTest::newRow("1.2345e20") << 1.2345e20 << u"1.2345e+20"_s;
    QTest::newRow("1e100") << 1e100 << u"1e+100"_s;
    QTest::newRow("1e15") << 1e15 << u"1000000000000000.0"_s;
    QTest::newRow("just under 1e16") << 9999999999999998.0 << u"9999999999999998.0"_s;
    QTest::newRow("-0.0") << -0.0 << u"-0.0"_s;
    QTest::newRow("0.0") << 0.0 << u"0.0"_s;
    QTest::newRow("NaN") << kNaN << u"nan"_s;
    QTest::newRow("inf") << kInf << u"inf"_s;
    QTest::newRow("-inf") << -kInf << u"-inf"_s;
    QTest::newRow("0.1+0.2") << 0.1 + 0.2 << u"0.30000000000000004"_s;
    QTest::newRow("-2.5") << -2.5 << u"-2.5"_s;
    QTest::newRow("subnormal") << 1e-320 << u"1e-320"_s;
    QTest::newRow("smallest") << 5e-324 << u"5e-324"_s;
    QTest::newRow("largest") << 1.7976931348623157e308 << u"1.7976931348623157e+308"_s;
}

void TestFusionMacro::writesShortestRoundTripNumbers()
{
    QFETCH(double, number);
    QFETCH(QString, text);
    QCOMPARE(fusionNumber(number), text);
}

void TestFusionMacro::numbersIgnoreTheLocale()
{
    const auto check = [] {
        QCOMPARE(fusionNumber(0.5), u"0.5"_s);
        QCOMPARE(fusionNumber(-1234567.25), u"-1234567.25"_s);
        QCOMPARE(fusionNumber(1.5e-7), u"1.5e-07"_s);
    };

    const QLocale previous;
    QLocale::setDefault(QLocale::German);
    check();
    QLocale::setDefault(previous);
    if (QTest::currentTestFailed())
        return;

    const std::string previousC = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        QSKIP("no de_DE.UTF-8 locale installed");
    check();
    std::setlocale(LC_ALL, previousC.c_str());
}

QTEST_APPLESS_MAIN(TestFusionMacro)
#include "tst_FusionMacro.moc"
