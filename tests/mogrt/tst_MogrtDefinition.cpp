#include "mogrt/MogrtDefinition.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QString text(const ControlAnyValue &value)
{
    QStringList members;
    for (const auto &[key, member] : value.object() ? *value.object() : ControlAnyValue::Object())
        members.append(key + u':' + text(member));
    members.sort();
    return value.boolean()  ? QString::fromLatin1(*value.boolean() ? "true" : "false")
           : value.number() ? QString::number(*value.number())
           : value.string() ? QString(u'"' + *value.string() + u'"')
           : value.object() ? QString(u'{' + members.join(u',') + u'}')
                            : u"null"_s;
}

// "name|displayName|value" per control, "-" for what is absent.
QString text(const std::optional<QList<MogrtControl>> &controls)
{
    QStringList shown;
    for (const MogrtControl &c : controls.value_or(QList<MogrtControl>{}))
        shown.append(c.name.value_or(u"-"_s) + u'|' + c.displayName.value_or(u"-"_s) + u'|' +
                     (c.value ? text(*c.value) : u"-"_s));
    return controls ? shown.join(u"; "_s) : u"absent"_s;
}

// The controls findsControlText() looks in; "hidden" is a name behind another display name.
const QByteArray kControls =
    R"({"clientControls":[{"displayName":" \u00c9clair ","value":"1"},{"displayName":"\u00e9clair")"
    R"(,"value":"2"},{"displayName":"","name":"Scale","value":{"text":"big"}},)"
    R"({"displayName":"Size","name":"hidden","value":"s"},{"value":"n"},)"
    R"({"name":"null","value":null},{"name":"empty","value":""},)"
    R"({"name":"no text","value":{"text":"","Text":"x"}},{"name":"text 5","value":{"text":5}}]})";

} // namespace

class TestMogrtDefinition : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decode_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("result"); // the controls, or the error's start
        const auto row = [](const char *tag, const QByteArray &controls, const QString &result) {
            QTest::newRow(tag) << "{\"x\":1,\"clientControls\":" + controls + '}' << result;
        };
        row("array", R"([{"name":"b","value":"t"},{"displayName":"A"}])", u"b|-|\"t\"; -|A|-"_s);
        row("one level down", R"({"clientControls":[{"name":"a"}],"other":2})", u"a|-|-"_s);
        row("null", "null", u"absent"_s);
        row("object without the list", R"({"other":[{"name":"a"}]})", u"absent"_s);
        row("a name not a string", R"([{"name":"a"},{"name":5}])", u"absent"_s);
        row("nested, not an object", R"({"clientControls":[{"name":"a"},[]]})", u"absent"_s);
        row("nulls absent", R"([{"name":null,"displayName":null,"value":null}])", u"-|-|-"_s);
        row("values",
            R"([{"value":[1]},{"value":true},{"value":1},{"value":{"n":{"x":null,"y":[]},"b":0}}])",
            u"-|-|null; -|-|true; -|-|1; -|-|{b:0,n:{x:null,y:null}}"_s);
        QTest::newRow("empty object") << "{}"_ba << u"absent"_s;
        QTest::newRow("not JSON") << "{\"a\":"_ba << u"The definition is not valid JSON"_s;
        QTest::newRow("not an object") << "[{}]"_ba << u"The definition is not a JSON object."_s;
    }

    void decode()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, result);
        const auto d = MogrtDefinition::decode(json);
        QCOMPARE(d ? text(d->clientControls) : d.error().description.left(result.size()), result);
    }

    // Templates as motion-graphics apps export them, normalised into the shapes the macro
    // writer reads.
    void decodesExportedShapes_data()
    {
        QTest::addColumn<QByteArray>("controls");
        QTest::addColumn<QString>("result");
        const auto row = [](const char *tag, const char *controls, const QString &result) {
            QTest::newRow(tag) << QByteArray(controls) << result;
        };
        row("localized name and text, en_US first",
            R"([{"id":"a","type":6,"uiName":{"strDB":[{"localeString":"fr_FR","str":"Texte"},)"
            R"({"localeString":"en_US","str":"Source Text"}]},"value":{"strDB":[)"
            R"({"localeString":"fr_FR","str":"Bonjour"},{"localeString":"en_US","str":"Hi"}]}}])",
            u"-|Source Text|\"Hi\""_s);
        row("first locale without en_US",
            R"([{"uiName":{"strDB":[{"localeString":"de_DE"},{"localeString":"fr_FR","str":"T"},)"
            R"({"localeString":"ja_JP","str":"J"}]},"value":{"strDB":[{"str":"a\tb"}]}}])",
            u"-|T|\"a\tb\""_s);
        row("localized without any text",
            R"([{"uiName":{"strDB":[]},"value":{"strDB":[{"str":1}]}}])", u"-|-|{strDB:null}"_s);
        row("displayName before uiName", R"([{"displayName":"D","uiName":"U","name":"N"}])",
            u"N|D|-"_s);
        row("uiName of another kind", R"([{"uiName":"A"},{"uiName":{"str":"B"}}])", u"absent"_s);
        row("colour, four components", R"([{"type":4,"value":[0.25,0.5,0.75,0.5]}])",
            u"-|-|{a:0.5,b:0.75,g:0.5,r:0.25}"_s);
        row("colour, three components", R"([{"value":[1,0,0.5]}])", u"-|-|{b:0.5,g:0,r:1}"_s);
        row("colour as text", R"([{"type":4,"value":"#FF8000"},{"type":4,"value":"#00000080"}])",
            u"-|-|{b:0,g:0.501961,r:1}; -|-|{a:0.501961,b:0,g:0,r:0}"_s);
        row("text that is not a colour", R"([{"type":4,"value":"#F80"},{"value":"#FF8000"}])",
            u"-|-|\"#F80\"; -|-|\"#FF8000\""_s);
        row("point", R"([{"type":5,"value":[960.5,-20]}])", u"-|-|{x:960.5,y:-20}"_s);
        row("point in depth", R"([{"type":5,"value":[1,2,3]},{"type":9,"value":[4,5,6]}])",
            u"-|-|{x:1,y:2,z:3}; -|-|{x:4,y:5,z:6}"_s);
        row("slider and checkbox", R"([{"type":2,"value":42.5},{"type":1,"value":true}])",
            u"-|-|42.5; -|-|true"_s);
        row("other arrays", R"([{"value":[1,2,3,4,5]},{"value":[1,"2"]},{"value":[]}])",
            u"-|-|null; -|-|null; -|-|null"_s);
        row("group listing ids",
            R"([{"id":"g","type":8,"value":["t","c"]},{"id":"t","value":"x"},{"id":"c"}])",
            u"-|-|\"x\"; -|-|-"_s);
        row("group listing numeric ids",
            R"([{"id":1,"type":10,"value":[2]},{"id":2,"type":2,"value":7}])", u"-|-|7"_s);
        row("numbers of a control not a group",
            R"([{"id":1,"value":[2,1]},{"id":2,"value":["1",2]}])", u"-|-|{x:2,y:1}; -|-|null"_s);
        row("unknown id", R"([{"id":"g","value":["t","nope"]},{"id":"t"}])", u"-|-|null; -|-|-"_s);
        row("nested groups flattened in place",
            R"([{"name":"first"},{"uiName":"G","value":[{"name":"A","value":1},)"
            R"({"name":"B","value":[{"name":"C","value":false}]}]},{"name":"last"}])",
            u"first|-|-; A|-|1; C|-|false; last|-|-"_s);
        row("a bad nested control spoils the list",
            R"([{"name":"a"},{"value":[{"name":"b"},{"name":[1]}]}])", u"absent"_s);
    }

    void decodesExportedShapes()
    {
        QFETCH(QByteArray, controls);
        QFETCH(QString, result);
        const auto d = MogrtDefinition::decode(QByteArray("{\"clientControls\":" + controls + "}"));
        QVERIFY(d);
        QCOMPARE(text(d->clientControls), result);
    }

    void decodesNameAndFrame_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("result"); // "name|WxH", "-" for what is absent
        const auto row = [](const char *tag, const char *json, const QString &result) {
            QTest::newRow(tag) << QByteArray(json) << result;
        };
        row("localized name first",
            R"({"capsuleName":"plain","capsuleNameLocalized":{"strDB":[)"
            R"({"localeString":"de_DE","str":"Titel"},{"localeString":"en_US","str":"Title"}]}})",
            u"Title|-"_s);
        row("plain name", R"({"capsuleName":"Lower Third 2","capsuleNameLocalized":{}})",
            u"Lower Third 2|-"_s);
        row("empty names", R"({"capsuleName":"","capsuleNameLocalized":{"strDB":[{"str":""}]}})",
            u"-|-"_s);
        row("frame of en_US",
            R"({"sourceInfoLocalized":{"de_DE":{"framesize":{"size":{"x":1,"y":1}}},)"
            R"("en_US":{"framesize":{"size":{"x":3840,"y":2160}}}}})",
            u"-|3840x2160"_s);
        row("frame of the first locale",
            R"({"sourceInfoLocalized":{"fr_FR":{"framesize":{"size":{"x":720,"y":576}}},)"
            R"("de_DE":{"framesize":{"size":{"x":1280,"y":720}}}}})",
            u"-|1280x720"_s);
        row("frame as width and height",
            R"({"sourceInfoLocalized":{"en_US":{"framesize":{"width":1080,"height":1920}}}})",
            u"-|1080x1920"_s);
        row("zero", R"({"sourceInfoLocalized":{"en_US":{"framesize":{"size":{"x":0,"y":9}}}}})",
            u"-|-"_s);
        row("negative",
            R"({"sourceInfoLocalized":{"en_US":{"framesize":{"size":{"x":-5,"y":9}}}}})", u"-|-"_s);
        row("text", R"({"sourceInfoLocalized":{"en_US":{"framesize":{"size":{"x":"5","y":9}}}}})",
            u"-|-"_s);
        row("too large",
            R"({"sourceInfoLocalized":{"en_US":{"framesize":{"size":{"x":1e9,"y":9}}}}})",
            u"-|-"_s);
        row("not an object", R"({"sourceInfoLocalized":[{"framesize":{"x":5,"y":9}}]})", u"-|-"_s);
    }

    void decodesNameAndFrame()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, result);
        const auto d = MogrtDefinition::decode(json);
        QVERIFY(d);
        const QString frame = d->frameSize ? QString::number(d->frameSize->width()) + u'x' +
                                                 QString::number(d->frameSize->height())
                                           : u"-"_s;
        QCOMPARE(d->templateName.value_or(u"-"_s) + u'|' + frame, result);
    }

    void findsControlText_data()
    {
        QTest::addColumn<QString>("wanted");
        QTest::addColumn<QString>("found"); // controlString with the fallback "FB"
        QTest::newRow("case, spaces, earlier wins") << u"\u00a0\u00e9CLAIR\u2028"_s << u"1"_s;
        QTest::newRow("empty display name, then name; text member") << u"  sCALE\n"_s << u"big"_s;
        QTest::newRow("blank finds a nameless control") << u" \t"_s << u"n"_s;
        for (const QString &fallback :
             {u"hidden"_s, u"null"_s, u"empty"_s, u"no text"_s, u"text 5"_s, u"x"_s})
            QTest::newRow(qPrintable(fallback)) << fallback << u"FB"_s;
    }

    void findsControlText()
    {
        QFETCH(QString, wanted);
        QFETCH(QString, found);
        const auto definition = MogrtDefinition::decode(kControls);
        QCOMPARE(controlString(wanted, *definition->clientControls, u"FB"_s), found);
    }
};

QTEST_APPLESS_MAIN(TestMogrtDefinition)
#include "tst_MogrtDefinition.moc"
