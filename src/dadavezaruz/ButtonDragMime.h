#pragma once

#include <QString>

#include <optional>

class QMimeData;

namespace hb {

// What a button dragged on the pad carries: its id, under a type of the pad's own, so that a
// drop can tell it from text, files or anything else dragged in from outside.
class ButtonDragMime {
public:
    static const QString kMimeType;

    ButtonDragMime() = delete;

    // New data for a drag of the button; the drag takes ownership.
    static QMimeData *make(qint64 buttonId);
    // The button a drag carries; none for any other data, or a mangled id.
    static std::optional<qint64> buttonId(const QMimeData *data);
};

} // namespace hb
