#include "mogrt/FusionMacro.h"

#include <QLocale>
#include <QTest>

#include "mogrt/FusionLuaCheck.h"

#include <limits>

using namespace hb;
using namespace Qt::StringLiterals;

using Controls = QList<MogrtControl>;
using Numbers = QList<std::pair<QString, double>>;
using V = ControlAnyValue;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// An object value with one-letter keys: object("rgb", 1.0, 0.5, 0.0).
template <typename... T> V object(const char *keys, T... values)
{
    V::Object members;
    (members.emplace_back(QString(QLatin1Char(*keys++)), V{values}), ...);
    return {std::move(members)};
}

// The control whose display name is `name`.
MogrtControl control(const char *name, V v)
{
    return {{}, QString::fromUtf8(name), v};
}

// The inputs named in `names` (separated by spaces) with the `values` in that order.
Numbers inputs(const char *names, std::initializer_list<double> values)
{
    Numbers numbers;
    const QStringList keys = QString::fromLatin1(names).split(u' ');
    Q_ASSERT(keys.size() == qsizetype(values.size()));
    for (qsizetype i = 0; i < keys.size(); ++i)
        numbers.append({keys[i], values.begin()[i]});
    return numbers;
}

// Every number input the check compares, as the macro of a template without controls has them
// on a `width` × `height` frame, with `changes` put over them.
Numbers withDefaults(double width, double height, const Numbers &changes)
{
    Numbers numbers = inputs("TextPlus.Red1 TextPlus.Green1 TextPlus.Blue1 TextPlus.Alpha1 "
                             "TextPlus.CharacterSpacing Background.TopLeftAlpha Transform.Size "
                             "Background.TopLeftRed Background.TopLeftGreen "
                             "Background.TopLeftBlue Transform.Angle Transform.Center.1 "
                             "Transform.Center.2 RectangleMask.Width RectangleMask.Height",
                             {1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, .5, .5, .6, .2 * height / width});
    for (const QString &prefix : {u"TextPlus."_s, u"Background."_s, u"RectangleMask.Mask"_s})
        numbers += {{QString(prefix + u"Width"), width}, {QString(prefix + u"Height"), height}};
    for (const auto &change : changes) {
        const auto at = std::find_if(numbers.begin(), numbers.end(), [&](const auto &entry) {
            return entry.first == change.first;
        });
        if (at == numbers.end())
            numbers.append(change); // which the check reports as an input nobody sets
        else
            at->second = change.second;
    }
    return numbers;
}

} // namespace

class TestFusionMacro : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every macro is loaded in Lua with only Fusion's constructors, its graph checked, and every
    // derived value compared with what it must be.
    void loadsInLuaWithTheDerivedValues_data()
    {
        QTest::addColumn<QString>("macroName");
        QTest::addColumn<Controls>("controls");
        QTest::addColumn<QSizeF>("frame");
        QTest::addColumn<QSizeF>("pixels"); // the frame the macro must use
        QTest::addColumn<QString>("toolName");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("style");
        QTest::addColumn<Numbers>("numbers"); // those that differ from a macro of defaults

        const QSizeF hd(1920, 1080);
        const auto row = [](const QByteArray &tag, const Controls &controls, const Numbers &numbers,
                            const QString &title = u"Title"_s,
                            const QString &style = u"Regular"_s) {
            QTest::newRow(tag.constData())
                << u"Lower Third"_s << controls << QSizeF(1920, 1080) << QSizeF(1920, 1080)
                << u"Lower_Third"_s << title << style << numbers;
        };

        row("defaults", {}, {});
        row("every control, box alpha 0.8 at 50 % opacity",
            {control("Source Text", {u"Hello"_s}),
             control("Text Color", object("rgba", .25, .5, .75, .9)),
             control("Box Color", object("rgba", .1, .2, .3, .8)),
             control("Position", object("yx", 270.0, 480.0)), control("Scale", {150.0}),
             control("Rotation", {-12.5}), control("Text Tracking", {0.5}),
             control("Text Italics", {true}), control("Box Width", {0.75}),
             control("Box Height", {0.125}), control("Box Opacity", {50.0})},
            // Box height 0.125 of 1080 in widths of 1920; y points up in Fusion.
            inputs("Background.TopLeftRed Background.TopLeftGreen Background.TopLeftBlue "
                   "Background.TopLeftAlpha RectangleMask.Width RectangleMask.Height "
                   "TextPlus.Red1 TextPlus.Green1 TextPlus.Blue1 TextPlus.Alpha1 "
                   "TextPlus.CharacterSpacing Transform.Center.1 Transform.Center.2 "
                   "Transform.Size Transform.Angle",
                   {.1, .2, .3, .4, .75, 0.0703125, .25, .5, .75, .9, 1.5, .25, .75, 1.5, -12.5}),
            u"Hello"_s, u"Italic"_s);

        row("title as an object", {control("Source Text", V{V::Object{{u"text"_s, V{u"Obj"_s}}}})},
            {}, u"Obj"_s);
        row("position only, top left corner", {control("Position", object("xy", 0., 0.))},
            {{u"Transform.Center.1"_s, 0.}, {u"Transform.Center.2"_s, 1.}});
        row("position only, off the frame", {control("Position", object("xy", 3840., -540.))},
            {{u"Transform.Center.1"_s, 2.}, {u"Transform.Center.2"_s, 1.5}});
        row("box height only", {control("Box Height", {0.5})},
            {{u"RectangleMask.Height"_s, 0.28125}});
        row("colour without blue, position with a text y: both fall back whole",
            {control("Text Color", object("rga", .2, .4, .5)),
             control("Position", object("xy", 100.0, u"200"_s))},
            {});
        row("colour without alpha is opaque, name matched loosely",
            {control("  TEXT color ", object("rgb", .2, .4, .6))},
            inputs("TextPlus.Red1 TextPlus.Green1 TextPlus.Blue1", {.2, .4, .6}));
        row("sizes raised to 0.01",
            {control("Scale", {0.0}), control("Box Width", {-3.0}), control("Box Height", {0.001})},
            inputs("Transform.Size RectangleMask.Width RectangleMask.Height",
                   {.01, .01, 0.01 * 1080 / 1920}));
        row("nothing else clamped or wrapped",
            {control("Rotation", {720.0}), control("Box Opacity", {200.0}),
             control("Text Color", object("rgba", 2., -.5, 0., 3.))},
            inputs("Transform.Angle Background.TopLeftAlpha TextPlus.Red1 TextPlus.Green1 "
                   "TextPlus.Blue1 TextPlus.Alpha1",
                   {720, 2, 2, -.5, 0, 3}));
        row("non-finite numbers take defaults",
            {control("Scale", {kNaN}), control("Rotation", {kInf}),
             control("Text Tracking", {-kInf}), control("Box Width", {kNaN}),
             control("Box Height", {kInf}), control("Box Opacity", {kNaN}),
             control("Position", object("xy", kNaN, 100.)),
             control("Text Color", object("rgba", kInf, 0., 0., 0.))},
            {});
        row("a non-finite alpha keeps the colour, opaque",
            {control("Box Color", object("rgba", .5, .5, .5, kNaN))},
            inputs("Background.TopLeftRed Background.TopLeftGreen Background.TopLeftBlue",
                   {.5, .5, .5}));
        row("an overflowing box alpha takes the default",
            {control("Box Color", object("rgba", 0., 0., 0., 1e300)),
             control("Box Opacity", {1e300})},
            {});
        row("-0.0 keeps its sign",
            {control("Rotation", {-0.0}), control("Position", object("xy", -0.0, 540.)),
             control("Text Color", object("rgba", -0.0, 1., 1., 1.)),
             control("Box Color", object("rgba", 0., -0.0, 0., 1.))},
            inputs("Transform.Angle Transform.Center.1 TextPlus.Red1 Background.TopLeftGreen",
                   {-0.0, -0.0, -0.0, -0.0}));
        const V flags[] = {{false}, {0.0}, {u"true"_s}, {true}, {1.0}, {kNaN}}; // the last 3 on
        for (int i = 0; i < 6; ++i)
            row("italics " + QByteArray::number(i), {control("Text Italics", flags[i])}, {},
                u"Title"_s, i < 3 ? u"Regular"_s : u"Italic"_s);

        // Titles read back exactly, whatever characters they hold.
        const QString titles[] = {
            u"%1 a\\b \"c\"\nd\\\"\r\t\u00FC"_s,
            u"\\\\\"\"\\n\\r"_s,
            u"line\r\nnext\tcolumn\vtab\fform"_s,
            QString(u"\u0000nul\u00011\u001B[0m\u007F9\u0085\u009F"_s),
            u"\U0001F600 \U0001D11E \u4E2D\u6587 \u2028\u2029 \uFEFF"_s,
            u"\"]] --[[ ActiveTool = \"x\",\n}\n"_s,
        };
        for (int i = 0; i < 6; ++i)
            row("title " + QByteArray::number(i), {control("Source Text", {titles[i]})}, {},
                titles[i]);

        // Frames: the centre and the box follow the frame; unusable sizes fall back to 1920 × 1080.
        const auto frameRow = [](const QByteArray &tag, QSizeF frame, double width, double height,
                                 const Numbers &numbers) {
            QTest::newRow(tag.constData())
                << u"Lower Third"_s
                << Controls{control("Position", object("xy", 100., 50.)),
                            control("Box Height", {0.5})}
                << frame << QSizeF(width, height) << u"Lower_Third"_s << u"Title"_s << u"Regular"_s
                << (Numbers{{u"RectangleMask.Height"_s, 0.5 * height / width}} + numbers);
        };
        frameRow("frame 400 x 200", {400, 200}, 400, 200,
                 {{u"Transform.Center.1"_s, .25}, {u"Transform.Center.2"_s, .75}});
        frameRow(
            "portrait frame 1080 x 1920", {1080, 1920}, 1080, 1920,
            {{u"Transform.Center.1"_s, 100. / 1080}, {u"Transform.Center.2"_s, 1 - 50. / 1920}});
        frameRow("frame 1 x 1", {1, 1}, 1, 1,
                 {{u"Transform.Center.1"_s, 100.}, {u"Transform.Center.2"_s, -49.}});
        frameRow("fractional frame rounded", {199.6, 100.4}, 200, 100,
                 {{u"Transform.Center.1"_s, .5}, {u"Transform.Center.2"_s, .5}});
        const QSizeF unusable[] = {{0, 0}, {-400, 200}, {400, 0.4}, {kNaN, 100}, {kInf, 100}};
        for (const QSizeF frame : unusable)
            frameRow("unusable frame " + QByteArray::number(frame.width()) + " x " +
                         QByteArray::number(frame.height()),
                     frame, 1920, 1080,
                     {{u"Transform.Center.1"_s, 100. / 1920},
                      {u"Transform.Center.2"_s, 1 - 50. / 1080}});

        // Template names become tool names.
        const std::pair<QString, QString> names[] = {
            {u"Lower Third 2"_s, u"Lower_Third_2"_s},
            {u"2 Lines"_s, u"T2_Lines"_s},
            {u"  --Big--  Title!! "_s, u"Big_Title"_s},
            {u"_keep_underscores_"_s, u"_keep_underscores_"_s},
            {u"\u00DCberschrift \u00E9l\u00E8ve"_s, u"Uberschrift_eleve"_s},
            {u"\u65E5\u672C\u8A9E"_s, u"Title"_s},
            {u""_s, u"Title"_s},
            {u"Quote \" and \\ and\nline"_s, u"Quote_and_and_line"_s},
            {u"TitleText"_s, u"TitleText_Macro"_s}, // never a tool inside the macro
            {u"TitleMerge"_s, u"TitleMerge_Macro"_s},
        };
        int index = 0;
        for (const auto &[name, tool] : names)
            QTest::addRow("name %d, %s", index++, qPrintable(tool))
                << name << Controls{} << hd << hd << tool << u"Title"_s << u"Regular"_s
                << Numbers{};
    }

    void loadsInLuaWithTheDerivedValues()
    {
        QFETCH(QString, macroName);
        QFETCH(Controls, controls);
        QFETCH(QSizeF, frame);
        QFETCH(QSizeF, pixels);
        QFETCH(QString, toolName);
        QFETCH(QString, title);
        QFETCH(QString, style);
        QFETCH(Numbers, numbers);

        test::FusionMacroExpectation expected{
            toolName,
            title,
            withDefaults(pixels.width(), pixels.height(), numbers),
            {{u"TextPlus.Style"_s, style}}};
        const QString macro = makeFusionMacro(macroName, controls, frame);
        const QString failures = test::checkFusionMacro(macro, expected);
        QVERIFY2(failures.isEmpty(), qPrintable(failures + u"\n"_s + macro));
        QCOMPARE(fusionToolName(macroName), toolName.chopped(toolName.endsWith(u"_Macro") ? 6 : 0));
    }

    // The checker must fail macros Fusion would not load, or every check above passes vacuously.
    void luaCheckRejectsBrokenMacros_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("reported");

        QTest::newRow("an undefined constructor")
            << u"Pivot = Input { Value = { 0.5, 0.5 }"_s
            << u"Pivot = Input { Value = Point(0.5, 0.5)"_s << u"undefined global Point"_s;
        QTest::newRow("a link out of the macro")
            << u"SourceOp = \"TitleMerge\", Source = \"Output\", },\n\t\t\t\t\t\tCenter"_s
            << u"SourceOp = \"Elsewhere\", Source = \"Output\", },\n\t\t\t\t\t\tCenter"_s
            << u"not a tool inside"_s;
        QTest::newRow("a published input its tool does not set")
            << u"Source = \"Angle\""_s << u"Source = \"Rotation\""_s << u"does not set"_s;
    }

    void luaCheckRejectsBrokenMacros()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, reported);
        const Controls controls{control("Source Text", {u"Hello"_s})};
        const test::FusionMacroExpectation expected{u"Lower_Third"_s, u"Hello"_s, {}, {}};
        QString macro = makeFusionMacro(u"Lower Third"_s, controls);
        QCOMPARE(test::checkFusionMacro(macro, expected), QString());
        QVERIFY2(macro.count(from) == 1, qPrintable(from));
        macro.replace(from, to);
        QVERIFY(test::checkFusionMacro(macro, expected).contains(reported));
    }

    void renamesTheMacroTool_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("plain") << u"Lower Third"_s << u"Upper Third 2"_s;
        QTest::newRow("to a leading digit") << u"A"_s << u"3D Title"_s;
        QTest::newRow("to a tool inside") << u"A"_s << u"TitleBox"_s;
        QTest::newRow("from a tool inside") << u"TitleBox"_s << u"B"_s;
        QTest::newRow("title holding the old name") << u"Same"_s << u"Other"_s;
    }

    void renamesTheMacroTool()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        const Controls controls{control("Source Text", {from + u"\n\tActiveTool = \"Same\","_s})};
        const std::optional<QString> renamed =
            renameFusionMacro(makeFusionMacro(from, controls, {640, 480}), to);
        QVERIFY(renamed);
        QCOMPARE(*renamed, makeFusionMacro(to, controls, {640, 480}));
    }

    void renameRefusesOtherTexts_data()
    {
        QTest::addColumn<QString>("text");
        const QString macro = makeFusionMacro(u"Name"_s, {});
        QTest::newRow("empty") << QString();
        QTest::newRow("the old shape") << u"{\n\tTools = orderedtable({\n\t}),\n\tActiveTool = "
                                          u"\"Xf1\",\n\tMacroOperator = \"Name\",\n}"_s;
        QTest::newRow("active tool another")
            << QString(macro).replace(u"ActiveTool = \"Name\""_s, u"ActiveTool = \"Other\""_s);
        QTest::newRow("a group, not a macro")
            << QString(macro).replace(u"MacroOperator"_s, u"GroupOperator"_s);
        QTest::newRow("text after the end") << macro + u"x"_s;
        QTest::newRow("cut short") << macro.left(macro.size() / 2);
    }

    void renameRefusesOtherTexts()
    {
        QFETCH(QString, text);
        QCOMPARE(renameFusionMacro(text, u"New"_s), std::nullopt);
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
