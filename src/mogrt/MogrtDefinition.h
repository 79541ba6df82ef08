#pragma once

#include "common/Expected.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace hb {

// One JSON value of a template's control, kept in the shape the JSON gives it. Arrays are not
// kept: they read as null.
struct ControlAnyValue {
    using Object = std::vector<std::pair<QString, ControlAnyValue>>; // unique keys, any order
    // In this order: number, bool, string, object, null.
    std::variant<double, bool, QString, Object, std::monostate> value = std::monostate{};

    bool isNull() const { return std::holds_alternative<std::monostate>(value); }
    const double *number() const { return std::get_if<double>(&value); }
    const bool *boolean() const { return std::get_if<bool>(&value); }
    const QString *string() const { return std::get_if<QString>(&value); }
    const Object *object() const { return std::get_if<Object>(&value); }
    // The member of an object value with exactly this key; nothing for other values.
    const ControlAnyValue *member(QStringView key) const;

    friend bool operator==(const ControlAnyValue &, const ControlAnyValue &) = default;
};

// One entry of a template's client-control list.
struct MogrtControl {
    std::optional<QString> name;
    std::optional<QString> displayName;
    std::optional<ControlAnyValue> value; // absent for a missing key or JSON null

    friend bool operator==(const MogrtControl &, const MogrtControl &) = default;
};

// The part of a template's "definition.json" the converter reads.
struct MogrtDefinition {
    std::optional<QList<MogrtControl>> clientControls;

    // "clientControls" as an array of controls, or as an object whose own "clientControls"
    // holds that array; in neither shape it is absent. Fails only when the bytes are not JSON or
    // the top level is not an object.
    static Expected<MogrtDefinition> decode(QByteArrayView json);
};

// Error codes of the `MogrtDefinition` error domain.
enum class MogrtDefinitionError {
    InvalidJson = 1, // the bytes do not parse
    NotAnObject = 2, // the top level is not an object
};
inline QString errorDomain(MogrtDefinitionError)
{
    return QStringLiteral("MogrtDefinition");
}

// The first control whose display name (or, when that is absent or empty, name) equals `wanted`
// once both are trimmed of white space and lower-cased.
std::optional<MogrtControl> findControl(const QString &wanted, const QList<MogrtControl> &controls);

// The text of the control named `wanted`: its non-empty string value, or the non-empty string
// member "text" of its object value; otherwise `fallback`.
QString controlString(const QString &wanted, const QList<MogrtControl> &controls,
                      const QString &fallback);

} // namespace hb
