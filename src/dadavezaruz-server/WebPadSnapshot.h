#pragma once

#include "dadavezaruz-server/WebPadPages.h"
#include "dadavezaruz/ShortcutMessage.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace hb {

struct ShortcutButton;
struct ShortcutPage;

// What a tap on a phone's button does: the press the desktop pad would send, and the label the
// page shows once it was typed. A two-state button also holds its other state, the one a typed
// press turns it to.
struct WebPadPress {
    ShortcutMessage message;
    QString label;
    bool isToggle = false;
    bool toggledOn = false;
    ShortcutMessage otherMessage = {};
    QString otherLabel = {};
    QString otherColor = {};

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
    // Turns a two-state button to its other state, pages message included; gives the state it is
    // in now, or nothing for a button that has no two states.
    std::optional<bool> toggle(qint64 button);

    // "image/png", "image/jpeg", or empty for bytes that are neither.
    static QByteArray imageType(const QByteArray &bytes);

    friend bool operator==(const WebPadSnapshot &, const WebPadSnapshot &) = default;
};

} // namespace hb
