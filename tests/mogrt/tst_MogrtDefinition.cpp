#include "mogrt/MogrtDefinition.h"

#include <QTest>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

QString text(const ControlAnyValue &value)
{
    if (const bool *b = value.boolean())
        return *b ? u"true"_s : u"false"_s;
    if (const double *n = value.number())
        return QString::number(*n);
    if (const QString *s = value.string())
        return u'"' + *s + u'"';
    if (!value.object())
        return u"null"_s;
    QStringList members;
    for (const auto &[key, member] : *value.object())
        members.append(key + u':' + text(member));
    members.sort();
    return u'{' + members.join(u',') + u'}';
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

} // namespace

class TestMogrtDefinition : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decode_data();
    void decode();
    void find_data();
    void find();
};

void TestMogrtDefinition::decode_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("result"); // the controls, or "error: " and the description's start

    const auto row = [](const char *name, const QByteArray &controls, const QString &result) {
        QTest::newRow(name) << "{\"x\":1,\"clientControls\":" + controls + '}' << result;
    };
    row("array, in order", R"([{"name":"b","value":"t"},{"displayName":"A","extra":[]}])",
        u"b|-|\"t\"; -|A|-"_s);
    row("one level down", R"({"clientControls":[{"name":"a"}],"other":2})", u"a|-|-"_s);
    row("object without the list", R"({"other":[{"name":"a"}]})", u"absent"_s);
    row("null", "null", u"absent"_s);
    row("one name not a string", R"([{"name":"a"},{"name":5}])", u"absent"_s);
    row("element not an object", R"([{"name":"a"},[]])", u"absent"_s);
    row("bad list one level down", R"({"clientControls":[{"displayName":true}]})", u"absent"_s);
    row("nulls are absent", R"([{"name":null,"displayName":null,"value":null}])", u"-|-|-"_s);
    row("keys exactly", R"([{"Name":"a","value ":1,"VALUE":2}])", u"-|-|-"_s);
    row("values",
        R"([{"name":"a","value":[1,2]},{"name":"b","value":true},{"name":"c","value":1},)"
        R"({"name":"e","value":"s"},{"name":"f","value":{"text":"T","n":{"x":null,)"
        R"("y":[false]},"b":false}}])",
        u"a|-|null; b|-|true; c|-|1; e|-|\"s\"; f|-|{b:false,n:{x:null,y:null},text:\"T\"}"_s);
    row("deep value",
        "[{\"value\":" + "{\"a\":"_ba.repeated(1000) + "0" + QByteArray(1001, '}') + ']',
        u"-|-|"_s + u"{a:"_s.repeated(1000) + u'0' + QString(1000, u'}'));
    QTest::newRow("missing") << "{}"_ba << u"absent"_s;
    QTest::newRow("cut short") << R"({"clientControls":[)"_ba
                               << u"error: The definition is not valid JSON"_s;
    QTest::newRow("array") << "[{}]"_ba << u"error: The definition is not a JSON object."_s;
    // Qt's parser stops at 1024 levels, before the reader recurses into them.
    QTest::newRow("too deep") << "{\"a\":"_ba.repeated(1100) + "1" + QByteArray(1100, '}')
                              << u"error: The definition is not valid JSON: too deeply nested"_s;
}

void TestMogrtDefinition::decode()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, result);

    const auto definition = MogrtDefinition::decode(json);
    if (result.startsWith(u"error: "_s)) {
        QVERIFY(!definition);
        QCOMPARE(definition.error().domain, u"MogrtDefinition"_s);
        QCOMPARE(definition.error().description.left(result.size() - 7), result.mid(7));
    } else {
        QVERIFY(definition);
        QCOMPARE(text(definition->clientControls), result);
    }
}

void TestMogrtDefinition::find_data()
{
    QTest::addColumn<QByteArray>("controls");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("found");  // the value of the control found, or "none"
    QTest::addColumn<QString>("string"); // controlString with the fallback "FB"

    const auto row = [](const char *name, const QByteArray &controls, const QString &wanted,
                        const QString &found, const QString &string) {
        QTest::newRow(name) << controls << wanted << found << string;
    };
    row("case and spaces, earlier wins",
        R"([{"displayName":" Title ","value":"1"},{"displayName":"title","value":"2"}])",
        u"TITLE"_s, u"\"1\""_s, u"1"_s);
    row("empty display name, then name",
        R"([{"displayName":"","name":"Scale","value":{"text":"big"}}])", u"  sCALE\n"_s,
        u"{text:\"big\"}"_s, u"big"_s);
    row("display name hides name", R"([{"displayName":"Size","name":"Scale","value":"s"}])",
        u"Scale"_s, u"none"_s, u"FB"_s);
    row("Unicode spaces and case", R"([{"name":"\u00c9clair","value":"e"}])",
        u"\u00a0\u00e9CLAIR\u2028\u3000"_s, u"\"e\""_s, u"e"_s);
    row("blank finds a nameless control", R"([{"name":"a","value":"a"},{"value":"n"}])", u" \t"_s,
        u"\"n\""_s, u"n"_s);
    row("value null", R"([{"name":"t","value":null}])", u"t"_s, u"-"_s, u"FB"_s);
    row("empty string", R"([{"name":"t","value":""}])", u"t"_s, u"\"\""_s, u"FB"_s);
    row("text empty, Text not text", R"([{"name":"t","value":{"text":"","Text":"x"}}])", u"t"_s,
        u"{Text:\"x\",text:\"\"}"_s, u"FB"_s);
    row("text a number", R"([{"name":"t","value":{"text":5}}])", u"t"_s, u"{text:5}"_s, u"FB"_s);
}

void TestMogrtDefinition::find()
{
    QFETCH(QByteArray, controls);
    QFETCH(QString, wanted);
    QFETCH(QString, found);
    QFETCH(QString, string);

    const auto list = *MogrtDefinition::decode(QByteArray("{\"clientControls\":" + controls + '}'))
                           ->clientControls;
    const auto control = findControl(wanted, list);
    QCOMPARE(!control ? u"none"_s : control->value ? text(*control->value) : u"-"_s, found);
    QCOMPARE(controlString(wanted, list, u"FB"_s), string);
}

QTEST_APPLESS_MAIN(TestMogrtDefinition)
#include "tst_MogrtDefinition.moc"
