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
