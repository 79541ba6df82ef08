#pragma once

#include "common/Expected.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace hb {

// One page of a pad layout file: its name and its buttons (ids and page ids 0).
struct PadLayoutPage {
    QString name;
    QList<ShortcutButton> buttons;

    friend bool operator==(const PadLayoutPage &, const PadLayoutPage &) = default;
};

// Error codes of the `PadLayoutFile` error domain.
enum class PadLayoutFileError {
    TooLarge = 1,     // the file, or there are too many pages or an image is too large
    NotJson = 2,      // not a JSON object
    BadVersion = 3,   // no version, or one that is not a whole number from 1
    NewerVersion = 4, // made by a newer version of the program
    BadPage = 5,      // a page without a name or buttons
    BadButton = 6,    // a field of a button is missing or wrong
    BadImage = 7,     // not Base64, not a PNG or JPEG image
};
inline QString errorDomain(PadLayoutFileError)
{
    return QStringLiteral("PadLayoutFile");
}

// Pad layout files (.huebenchpad): pages of the pad with their buttons and images, as one JSON
// object that another installation can import.
//
//   {"version": 1, "pages": [{"name": "Resolve", "buttons": [{"label": "Cut",
//     "icon": "scissors", "color": "#FF3B30", "keys": "cmd+b", "target": "resolve",
//     "row": 0, "col": 0, "image": {"type": "image/png", "data": "<Base64>"}}]}]}
//
// "image" is optional; unknown keys are ignored, so later versions can add fields. A sequence
// names the combinations typed after "keys", and a two-state button its second state:
//
//   "sequence": {"keys": ["up", "cmd+shift+v"], "delayMs": 100}
//   "toggle": {"label": "Live", "color": "#E5484D", "keys": "cmd+l", "on": false}
//
// A file with either is format 2: an older reader, which would send only part of a sequence,
// refuses it as newer. Other files stay format 1.
class PadLayoutFile {
public:
    // The newest format read, written when a button is a sequence or has two states.
    static constexpr int kFormatVersion = 2;
    static constexpr int kPlainFormatVersion = 1;
    static constexpr qsizetype kMaxPages = 100;
    static constexpr qint64 kMaxFileBytes = 200 * 1024 * 1024;
    static constexpr auto kSuffix = "huebenchpad";

    PadLayoutFile() = delete;

    // The pages as the file's UTF-8 bytes (indented JSON). The image type follows the bytes.
    static QByteArray write(const QList<PadLayoutPage> &pages);
    // The pages of a file; anything this version cannot import whole is refused with a message
    // that names what is wrong and where ("Page 2, button 5: ...").
    static Expected<QList<PadLayoutPage>> read(QByteArrayView bytes);
    // Whether read() would take these pages back: page count and names, cells, colours, key
    // combinations, sequences, second states and images.
    static Expected<Done> check(const QList<PadLayoutPage> &pages);
};

} // namespace hb
