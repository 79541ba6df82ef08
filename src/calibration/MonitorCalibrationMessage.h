#pragma once

#include "common/Expected.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <variant>

namespace hb {

// What travels between the calibration host (this computer) and a light meter on the network.
//
// A frame is a compact JSON envelope {"payload":"<Base64>","type":"<wire value>"} followed by
// one line feed; the Base64 text holds the payload object, itself compact JSON in UTF-8.

// In declaration order; the value is the index of the payload in MonitorCalibrationPayload.
enum class MonitorCalibrationMessageType { Hello, ShowPatch, Measurement, Error };

// "hello", "showPatch", "measurement", "error".
QString wireValue(MonitorCalibrationMessageType type);

enum class MonitorCalibrationRole { Host, Meter };

// "host", "meter".
QString wireValue(MonitorCalibrationRole role);

// The colour the host is showing, as sRGB signal levels from 0 to 1.
struct MonitorCalibrationPatch {
    QString id; // canonical upper-case UUID, new for every patch made
    QString name;
    double r = 0;
    double g = 0;
    double b = 0;

    // A patch with a fresh id.
    static MonitorCalibrationPatch make(const QString &name, double r, double g, double b);
    static MonitorCalibrationPatch grey(const QString &name, double level)
    {
        return make(name, level, level, level);
    }

    friend bool operator==(const MonitorCalibrationPatch &,
                           const MonitorCalibrationPatch &) = default;
};

struct MonitorCalibrationHelloPayload {
    MonitorCalibrationRole role = MonitorCalibrationRole::Meter;
    QString deviceName;
    QString appVersion;

    friend bool operator==(const MonitorCalibrationHelloPayload &,
                           const MonitorCalibrationHelloPayload &) = default;
};

struct MonitorCalibrationShowPatchPayload {
    MonitorCalibrationPatch patch;

    friend bool operator==(const MonitorCalibrationShowPatchPayload &,
                           const MonitorCalibrationShowPatchPayload &) = default;
};

// One reading of the meter; the scale of the values is the meter's own.
struct MonitorCalibrationMeasurementPayload {
    double meanR = 0;
    double meanG = 0;
    double meanB = 0;
    double stddev = 0;
    double exposureDurationSeconds = 0;
    double iso = 0;

    friend bool operator==(const MonitorCalibrationMeasurementPayload &,
                           const MonitorCalibrationMeasurementPayload &) = default;
};

struct MonitorCalibrationErrorPayload {
    QString message;

    friend bool operator==(const MonitorCalibrationErrorPayload &,
                           const MonitorCalibrationErrorPayload &) = default;
};

// Alternatives in the order of MonitorCalibrationMessageType.
using MonitorCalibrationPayload =
    std::variant<MonitorCalibrationHelloPayload, MonitorCalibrationShowPatchPayload,
                 MonitorCalibrationMeasurementPayload, MonitorCalibrationErrorPayload>;

MonitorCalibrationMessageType messageType(const MonitorCalibrationPayload &payload);

struct MonitorCalibrationMessageEnvelope {
    MonitorCalibrationMessageType type = MonitorCalibrationMessageType::Hello;
    QByteArray payload; // the payload object's JSON, already Base64-decoded

    friend bool operator==(const MonitorCalibrationMessageEnvelope &,
                           const MonitorCalibrationMessageEnvelope &) = default;
};

// Error codes of the codec's error domain, `MonitorCalibrationMessage`.
enum class MonitorCalibrationMessageError {
    NotEncodable = 1, // a number that is not finite
    EmptyLine,        // nothing but line ends
    InvalidJson,      // the line or the payload does not parse
    NotAnObject,      // JSON, but not an object
    MissingKey,       // a required key is absent
    WrongType,        // a key holds the wrong JSON type
    UnknownType,      // the envelope's "type", or a role that is not a wire value
    InvalidBase64,    // the payload is not strict Base64
    NonFiniteNumber,  // a number out of a double's range
    InvalidId,        // a patch id that is not a UUID
};
inline QString errorDomain(MonitorCalibrationMessageError)
{
    return QStringLiteral("MonitorCalibrationMessage");
}

// The whole frame for the payload, its type taken from the alternative held. Fails only for a
// number that is not finite. Compact JSON, "/" written as is, numbers as the shortest text that
// reads back the same double.
Expected<QByteArray> encodeFrame(const MonitorCalibrationPayload &payload);

// One received line without its line feed; trailing line feeds and carriage returns are trimmed
// first. Every key required, "type" one of the four wire values, "payload" strict Base64 (the
// standard alphabet with "=" padding, nothing else).
Expected<MonitorCalibrationMessageEnvelope> decodeEnvelope(QByteArrayView line);

// The payload bytes of an envelope as the object its type names. Every listed key is required
// with its JSON type; other keys are ignored; numbers must be finite.
Expected<MonitorCalibrationPayload> decodePayload(MonitorCalibrationMessageType type,
                                                  QByteArrayView bytes);

} // namespace hb
