#include "mogrt/MogrtDefinition.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

#include <algorithm>

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

// A member that is missing or null reads as absent; one of another kind than a string fails.
bool readText(const QJsonObject &object, const QString &key, std::optional<QString> &out)
{
    const QJsonValue json = object.value(key);
    if (json.isUndefined() || json.isNull())
        return true;
    if (!json.isString())
        return false;
    out = json.toString();
    return true;
}

std::optional<MogrtControl> decodeControl(const QJsonValue &json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    MogrtControl control;
    if (!readText(object, u"name"_s, control.name) ||
        !readText(object, u"displayName"_s, control.displayName))
        return std::nullopt;
    const QJsonValue value = object.value(u"value"_s);
    if (!value.isUndefined() && !value.isNull())
        control.value = decodeValue(value);
    return control;
}

// An array whose every element is a control; one bad element spoils the whole list.
std::optional<QList<MogrtControl>> decodeControls(const QJsonValue &json)
{
    if (!json.isArray())
        return std::nullopt;
    const QJsonArray array = json.toArray();
    QList<MogrtControl> controls;
    controls.reserve(array.size());
    for (const QJsonValue element : array) {
        auto control = decodeControl(element);
        if (!control)
            return std::nullopt;
        controls.append(std::move(*control));
    }
    return controls;
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

    const QJsonValue controls = document.object().value(kClientControls);
    MogrtDefinition definition;
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
