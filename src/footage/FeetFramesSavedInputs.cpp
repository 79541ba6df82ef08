#include "footage/FeetFramesSavedInputs.h"

#include "footage/FeetFramesInput.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <optional>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kFormat = u"format"_s;
const QString kMode = u"mode"_s;

// The field names in the saved object, in the order of FeetFramesInput.
constexpr std::array<const char16_t *, kFeetFramesInputCount> kFieldKeys{
    u"feet",    u"frames",         u"totalFrames", u"hours", u"minutes",
    u"seconds", u"timecodeFrames", u"meters",      u"fps"};

template <typename Enum, std::size_t size>
std::optional<Enum> fromKey(const std::array<Enum, size> &values, const QJsonValue &value)
{
    for (Enum candidate : values) {
        if (value.isString() && storageKey(candidate) == value.toString())
            return candidate;
    }
    return std::nullopt;
}

} // namespace

QString savedInputsText(const FeetFramesState &state)
{
    QJsonObject object{{kFormat, storageKey(state.format)}, {kMode, storageKey(state.mode)}};
    for (int i = 0; i < kFeetFramesInputCount; ++i) {
        const auto input = static_cast<FeetFramesInput>(i);
        object.insert(QString::fromUtf16(kFieldKeys[static_cast<std::size_t>(i)]),
                      inputText(state, input, QLocale::c()));
    }
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

FeetFramesState restoredInputs(QStringView text)
{
    FeetFramesState state;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject())
        return state;
    const QJsonObject object = document.object();
    if (const auto format = fromKey(kFilmFormats, object.value(kFormat)))
        state.format = *format;
    if (const auto mode = fromKey(kInputModes, object.value(kMode)))
        state.mode = *mode;
    for (int i = 0; i < kFeetFramesInputCount; ++i) {
        const auto input = static_cast<FeetFramesInput>(i);
        const QJsonValue value =
            object.value(QString::fromUtf16(kFieldKeys[static_cast<std::size_t>(i)]));
        if (!value.isString())
            continue;
        // Only a number the field takes as it stands: one that it would change is damage.
        FeetFramesState candidate = state;
        const InputReading reading = setInputText(candidate, input, value.toString(), QLocale::c());
        if (reading.check == InputTextCheck::acceptable && reading.note.isEmpty())
            state = candidate;
    }
    return state;
}

} // namespace hb
