#include "mogrt/MogrtDefinition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

const QString kClientControls = u"clientControls"_s;

Error definitionError(MogrtDefinitionError code, const QString &description)
{
    return Error::make(code, description);
}

// Recursion follows the JSON's nesting, which QJsonDocument caps (1024 levels in Qt 6); deeper
// text does not parse at all, so this cannot run out of stack.
ControlAnyValue decodeValue(const QJsonValue &json)
{
    ControlAnyValue result;
    switch (json.type()) {
    case QJsonValue::Bool:
        result.value.emplace<bool>(json.toBool());
        break;
    case QJsonValue::Double:
        result.value.emplace<double>(json.toDouble());
        break;
    case QJsonValue::String:
        result.value.emplace<QString>(json.toString());
        break;
    case QJsonValue::Object: {
        const QJsonObject object = json.toObject();
        auto &members = result.value.emplace<ControlAnyValue::Object>();
        members.reserve(size_t(object.size()));
        for (auto it = object.begin(); it != object.end(); ++it)
            members.emplace_back(it.key(), decodeValue(it.value()));
        break;
    }
    case QJsonValue::Null:
    case QJsonValue::Array:
    case QJsonValue::Undefined:
        break;
    }
    return result;
}

// The text of a localized object ({"strDB": [{"localeString": ..., "str": ...}, ...]}): the
// en_US entry's, else the first entry's that has text; nothing for other values.
std::optional<QString> localizedText(const QJsonValue &json)
{
    const QJsonValue entries = json.toObject().value(u"strDB"_s);
    if (!entries.isArray())
        return std::nullopt;
    std::optional<QString> first;
    for (const QJsonValue entry : entries.toArray()) {
        const QJsonObject object = entry.toObject();
        const QJsonValue text = object.value(u"str"_s);
        if (!text.isString())
            continue;
        if (object.value(u"localeString"_s).toString() == u"en_US")
            return text.toString();
        if (!first)
            first = text.toString();
    }
    return first;
}

bool isLocalized(const QJsonValue &json)
{
    return json.isObject() && json.toObject().contains(u"strDB"_s);
}

// A member that is missing or null reads as absent, as does localized text without any text; one
// of another kind than text or localized text fails.
bool readText(const QJsonObject &object, const QString &key, std::optional<QString> &out)
{
    const QJsonValue json = object.value(key);
    if (json.isUndefined() || json.isNull())
        return true;
    if (json.isString()) {
        out = json.toString();
        return true;
    }
    if (!isLocalized(json))
        return false;
    out = localizedText(json);
    return true;
}

// Control type codes that motion-graphics apps write.
enum ControlType {
    kColourType = 4,
    kPointType = 5,
    kGroupType = 8,
    kVectorType = 9,
    kOtherGroupType = 10,
};

ControlAnyValue objectOf(const QStringList &keys, const QJsonArray &numbers)
{
    ControlAnyValue result;
    auto &members = result.value.emplace<ControlAnyValue::Object>();
    for (qsizetype i = 0; i < numbers.size() && i < keys.size(); ++i) {
        ControlAnyValue number;
        number.value.emplace<double>(numbers.at(i).toDouble());
        members.emplace_back(keys.at(i), std::move(number));
    }
    return result;
}

// "#RRGGBB" or "#RRGGBBAA" as a colour of 0 to 1 components.
std::optional<ControlAnyValue> hexColour(const QString &text)
{
    if (!text.startsWith(u'#') || (text.size() != 7 && text.size() != 9))
        return std::nullopt;
    QJsonArray components;
    for (qsizetype at = 1; at < text.size(); at += 2) {
        bool ok = false;
        const uint byte = QStringView(text).sliced(at, 2).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        components.append(double(byte) / 255.0);
    }
    return objectOf({u"r"_s, u"g"_s, u"b"_s, u"a"_s}, components);
}

// A control's value in the shapes the macro writer reads (see MogrtDefinition).
ControlAnyValue normalisedValue(const QJsonValue &json, int type)
{
    if (isLocalized(json)) {
        if (auto text = localizedText(json)) {
            ControlAnyValue result;
            result.value.emplace<QString>(std::move(*text));
            return result;
        }
    }
    if (json.isArray()) {
        const QJsonArray array = json.toArray();
        const bool numbers = std::all_of(array.begin(), array.end(),
                                         [](const QJsonValue &v) { return v.isDouble(); });
        const bool spatial = type == kPointType || type == kVectorType;
        if (numbers && array.size() == 2)
            return objectOf({u"x"_s, u"y"_s}, array);
        if (numbers && array.size() == 3 && spatial)
            return objectOf({u"x"_s, u"y"_s, u"z"_s}, array);
        if (numbers && (array.size() == 3 || array.size() == 4))
            return objectOf({u"r"_s, u"g"_s, u"b"_s, u"a"_s}, array);
    }
    if (type == kColourType && json.isString()) {
        if (auto colour = hexColour(json.toString()))
            return std::move(*colour);
    }
    return decodeValue(json);
}

// An id as text, whether the JSON gives it as a string or a number.
std::optional<QString> idText(const QJsonValue &json)
{
    if (json.isString())
        return json.toString();
    if (json.isDouble())
        return QString::number(json.toDouble(), 'g', 17);
    return std::nullopt;
}

// The ids of the controls of the list and of the groups nested in it.
void collectIds(const QJsonArray &controls, QSet<QString> &ids)
{
    for (const QJsonValue element : controls) {
        const QJsonObject object = element.toObject();
        if (const auto id = idText(object.value(u"id"_s)))
            ids.insert(*id);
        const QJsonValue value = object.value(u"value"_s);
        if (value.isArray())
            collectIds(value.toArray(), ids);
    }
}

// Whether the array is a group's list of the ids of other controls: ids given as strings, or as
// numbers by a control of a group type (a list of numbers is otherwise a point or a colour).
bool listsChildIds(const QJsonArray &array, int type, const QSet<QString> &ids)
{
    const bool group = type == kGroupType || type == kOtherGroupType;
    return !array.isEmpty() && std::all_of(array.begin(), array.end(), [&](const QJsonValue &v) {
        const auto id = idText(v);
        return (v.isString() || (group && v.isDouble())) && id && ids.contains(*id);
    });
}

bool holdsControls(const QJsonArray &array)
{
    return !array.isEmpty() && std::all_of(array.begin(), array.end(),
                                           [](const QJsonValue &v) { return v.isObject(); });
}

std::optional<MogrtControl> decodeControl(const QJsonObject &object)
{
    MogrtControl control;
    if (!readText(object, u"name"_s, control.name) ||
        !readText(object, u"displayName"_s, control.displayName))
        return std::nullopt;
    if (!control.displayName && !readText(object, u"uiName"_s, control.displayName))
        return std::nullopt;
    const QJsonValue value = object.value(u"value"_s);
    if (!value.isUndefined() && !value.isNull())
        control.value = normalisedValue(value, object.value(u"type"_s).toInt(-1));
    return control;
}

// Appends the controls of the array, groups flattened; false when an element is not a control.
// Recursion follows the JSON's nesting, which QJsonDocument caps.
bool appendControls(const QJsonArray &array, const QSet<QString> &ids, QList<MogrtControl> &out)
{
    for (const QJsonValue element : array) {
        if (!element.isObject())
            return false;
        const QJsonObject object = element.toObject();
        const QJsonValue value = object.value(u"value"_s);
        if (value.isArray()) {
            const QJsonArray members = value.toArray();
            if (holdsControls(members)) {
                if (!appendControls(members, ids, out))
                    return false;
                continue;
            }
            if (listsChildIds(members, object.value(u"type"_s).toInt(-1), ids))
                continue;
        }
        auto control = decodeControl(object);
        if (!control)
            return false;
        out.append(std::move(*control));
    }
    return true;
}

// An array whose every element is a control; one bad element spoils the whole list.
std::optional<QList<MogrtControl>> decodeControls(const QJsonValue &json)
{
    if (!json.isArray())
        return std::nullopt;
    const QJsonArray array = json.toArray();
    QSet<QString> ids;
    collectIds(array, ids);
    QList<MogrtControl> controls;
    controls.reserve(array.size());
    if (!appendControls(array, ids, controls))
        return std::nullopt;
    return controls;
}

std::optional<QString> decodeTemplateName(const QJsonObject &top)
{
    auto localized = localizedText(top.value(u"capsuleNameLocalized"_s));
    if (localized && !localized->isEmpty())
        return localized;
    const QString plain = top.value(u"capsuleName"_s).toString();
    return plain.isEmpty() ? std::nullopt : std::optional(plain);
}

std::optional<double> extent(const QJsonObject &size, const QString &key, const QString &other)
{
    const QJsonValue json = size.contains(key) ? size.value(key) : size.value(other);
    if (!json.isDouble())
        return std::nullopt;
    const double value = json.toDouble();
    if (!std::isfinite(value) || value <= 0.0 || value > MogrtDefinition::kMaxFrameExtent)
        return std::nullopt;
    return value;
}

std::optional<QSizeF> decodeFrameSize(const QJsonObject &top)
{
    const QJsonObject infos = top.value(u"sourceInfoLocalized"_s).toObject();
    QJsonValue info = infos.value(u"en_US"_s);
    if (!info.isObject() && !infos.isEmpty())
        info = infos.begin().value();
    const QJsonObject frame = info.toObject().value(u"framesize"_s).toObject();
    const QJsonObject size =
        frame.value(u"size"_s).isObject() ? frame.value(u"size"_s).toObject() : frame;
    const auto width = extent(size, u"x"_s, u"width"_s);
    const auto height = extent(size, u"y"_s, u"height"_s);
    if (!width || !height)
        return std::nullopt;
    return QSizeF(*width, *height);
}

// Trimmed of white space and line breaks at both ends, then lower-cased without a locale.
// QChar::isSpace covers the separator categories (U+00A0, U+2028, U+3000, ...) as well as the
// ASCII controls and U+0085.
QString normalised(const QString &text)
{
    return text.trimmed().toLower();
}

QString controlKey(const MogrtControl &control)
{
    if (control.displayName && !control.displayName->isEmpty())
        return *control.displayName;
    if (control.name && !control.name->isEmpty())
        return *control.name;
    return {};
}

} // namespace

const ControlAnyValue *ControlAnyValue::member(QStringView key) const
{
    const Object *members = object();
    if (!members)
        return nullptr;
    const auto found = std::find_if(members->begin(), members->end(),
                                    [&](const auto &member) { return member.first == key; });
    return found == members->end() ? nullptr : &found->second;
}

Expected<MogrtDefinition> MogrtDefinition::decode(QByteArrayView json)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return definitionError(MogrtDefinitionError::InvalidJson,
                               u"The definition is not valid JSON: "_s % parseError.errorString() %
                                   u" at offset "_s % QString::number(parseError.offset) % u'.');
    if (!document.isObject())
        return definitionError(MogrtDefinitionError::NotAnObject,
                               u"The definition is not a JSON object."_s);

    const QJsonObject top = document.object();
    const QJsonValue controls = top.value(kClientControls);
    MogrtDefinition definition;
    definition.templateName = decodeTemplateName(top);
    definition.frameSize = decodeFrameSize(top);
    definition.clientControls = decodeControls(controls);
    // Some templates keep the list one level down, in an object of the same name.
    if (!definition.clientControls && controls.isObject())
        definition.clientControls = decodeControls(controls.toObject().value(kClientControls));
    return definition;
}

std::optional<MogrtControl> findControl(const QString &wanted, const QList<MogrtControl> &controls)
{
    const QString key = normalised(wanted);
    for (const MogrtControl &control : controls) {
        if (normalised(controlKey(control)) == key)
            return control;
    }
    return std::nullopt;
}

QString controlString(const QString &wanted, const QList<MogrtControl> &controls,
                      const QString &fallback)
{
    const auto control = findControl(wanted, controls);
    if (!control || !control->value)
        return fallback;
    const ControlAnyValue &value = *control->value;
    const ControlAnyValue *text = value.member(u"text");
    if (text && text->string() && !text->string()->isEmpty())
        return *text->string();
    if (value.string() && !value.string()->isEmpty())
        return *value.string();
    return fallback;
}

} // namespace hb
