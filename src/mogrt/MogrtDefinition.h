#pragma once

#include "common/Expected.h"

#include <QByteArrayView>
#include <QList>
#include <QSizeF>
#include <QString>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace hb {

// One JSON value of a template's control, kept in the shape the JSON gives it, except for what
// MogrtDefinition::decode normalises (localized text, colour and point arrays). Other arrays are
// not kept: they read as null.
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
//
// Templates exported by motion-graphics apps give their texts per locale, as
// {"strDB": [{"localeString": "en_US", "str": "..."}, ...]}: such a text reads as the en_US
// string, else as the first entry's. Each control's name is its "name", its display name is its
// "displayName" or else its "uiName", and its value is normalised into the shapes the macro
// writer reads:
// - localized text becomes a string;
// - an array of two numbers becomes a point {x, y} (template pixels), of three or four numbers a
//   colour {r, g, b, a} (components as given, 0 to 1), or {x, y, z} for a control of type 5
//   (point) or 9 (vector); a colour control (type 4) given as "#RRGGBB" or "#RRGGBBAA" text
//   becomes a colour too;
// - numbers (sliders), bools (checkboxes), strings and objects stay as they are.
// Groups are flattened: a control whose value is an array of controls is replaced by them, and a
// control whose value lists the ids of other controls of the list is dropped (they are in the list
// themselves).
struct MogrtDefinition {
    std::optional<QList<MogrtControl>> clientControls;
    // "capsuleNameLocalized", else "capsuleName"; absent when neither is non-empty text.
    std::optional<QString> templateName;
    // The frame size in "sourceInfoLocalized" (en_US, else the first locale in key order):
    // "framesize": {"size": {"x": W, "y": H}}, or the same members directly in "framesize";
    // absent unless both are finite, positive and at most kMaxFrameExtent.
    std::optional<QSizeF> frameSize;

    static constexpr double kMaxFrameExtent = 65536.0;

    // "clientControls" as an array of controls, or as an object whose own "clientControls"
    // holds that array; in neither shape it is absent, and one element that is not a control (not
    // an object, or a name that is neither text nor localized text) makes it absent too. Fails
    // only when the bytes are not JSON or the top level is not an object.
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
