#pragma once

#include "dadavezaruz-server/WebPadPages.h"
#include "dadavezaruz/ShortcutMessage.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace hb {

struct ShortcutButton;
struct ShortcutPage;

// What a tap on a phone's button does: the press the desktop pad would send, and the label the
// page shows once it was typed.
struct WebPadPress {
    ShortcutMessage message;
    QString label;

    friend bool operator==(const WebPadPress &, const WebPadPress &) = default;
};

// The pad's pages as the phones see them, read once and shared by every phone: the pages message,
// what each button presses, and the custom images by the SHA-256 of their bytes.
struct WebPadSnapshot {
    QList<WebPadPage> pages;
    QByteArray pagesMessage;            // encodePages(pages), encoded once
    QHash<qint64, WebPadPress> presses; // by button id
    QHash<QString, QByteArray> images;  // PNG or JPEG bytes by lower-case SHA-256 hex

    // One page with its buttons, in the order given.
    void addPage(const ShortcutPage &page, const QList<ShortcutButton> &buttons);
    // Encodes the pages message; call once every page was added.
    void finish();

    // "image/png", "image/jpeg", or empty for bytes that are neither.
    static QByteArray imageType(const QByteArray &bytes);

    friend bool operator==(const WebPadSnapshot &, const WebPadSnapshot &) = default;
};

} // namespace hb
