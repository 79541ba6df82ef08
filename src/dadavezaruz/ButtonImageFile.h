#pragma once

#include "common/Expected.h"

#include <QByteArray>
#include <QString>

namespace hb {

// Error codes of the refusals of ButtonImageFile::read(), domain `EditButtonSheet` (the screen
// that shows them).
enum class ButtonImageError {
    TooLarge = 1,   // more than kMaxBytes
    Unreadable = 2, // the file cannot be opened
    WrongKind = 3,  // not a PNG or JPEG image
};
inline QString errorDomain(ButtonImageError)
{
    return QStringLiteral("EditButtonSheet");
}

// The picture file a pad button may show instead of its symbol. Its bytes are stored as they
// are, in the button's record.
class ButtonImageFile {
public:
    // Larger files are refused.
    static constexpr qint64 kMaxBytes = 10 * 1024 * 1024;

    ButtonImageFile() = delete;

    // The bytes of a PNG or JPEG file of at most kMaxBytes, unchanged; anything else is refused
    // with a reason fit to show.
    static Expected<QByteArray> read(const QString &path);
};

} // namespace hb
