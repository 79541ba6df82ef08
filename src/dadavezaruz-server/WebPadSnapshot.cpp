#include "dadavezaruz-server/WebPadSnapshot.h"

#include "dadavezaruz-server/WebPadMessage.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QCryptographicHash>

namespace hb {
namespace {

// The press of a button's current state; no combination at all sends nothing.
ShortcutMessage messageFor(const ShortcutButton &button)
{
    QStringList keys = button.keysToSend();
    keys.removeIf([](const QString &key) { return key.trimmed().isEmpty(); });
    if (keys.isEmpty())
        return ShortcutMessage{{}, button.appTarget};
    const QString first = keys.takeFirst();
    return ShortcutMessage{first, button.appTarget, keys,
                           keys.isEmpty() ? 0 : button.sequenceDelayMs};
}

} // namespace

void WebPadSnapshot::addPage(const ShortcutPage &page, const QList<ShortcutButton> &buttons)
{
    WebPadPage shown{page.id, page.name, {}};
    shown.buttons.reserve(buttons.size());
    for (const ShortcutButton &button : buttons) {
        QString hash;
        if (button.customImageData && !imageType(*button.customImageData).isEmpty()) {
            hash = QString::fromLatin1(
                QCryptographicHash::hash(*button.customImageData, QCryptographicHash::Sha256)
                    .toHex());
            images.insert(hash, *button.customImageData);
        }
        WebPadPress press{messageFor(button), button.shownLabel()};
        if (button.isToggle) {
            ShortcutButton other = button;
            other.toggledOn = !button.toggledOn;
            press.isToggle = true;
            press.toggledOn = button.toggledOn;
            press.otherMessage = messageFor(other);
            press.otherLabel = other.shownLabel();
            press.otherColor = other.shownColorHex();
        }
        shown.buttons.append(WebPadButton{button.id, press.label, button.sfSymbol,
                                          button.shownColorHex(), button.row, button.col, hash,
                                          !press.message.keyCombo.isEmpty(), button.isToggle,
                                          button.isToggle && button.toggledOn});
        presses.insert(button.id, press);
    }
    pages.append(shown);
}

void WebPadSnapshot::finish()
{
    pagesMessage = WebPadMessage::encodePages(pages);
}

std::optional<bool> WebPadSnapshot::toggle(qint64 button)
{
    const auto press = presses.find(button);
    if (press == presses.end() || !press->isToggle)
        return std::nullopt;
    std::swap(press->message, press->otherMessage);
    std::swap(press->label, press->otherLabel);
    press->toggledOn = !press->toggledOn;
    for (WebPadPage &page : pages) {
        for (WebPadButton &shown : page.buttons) {
            if (shown.id != button)
                continue;
            shown.label = press->label;
            std::swap(shown.color, press->otherColor);
            shown.on = press->toggledOn;
            shown.sendsKeys = !press->message.keyCombo.isEmpty();
        }
    }
    finish();
    return press->toggledOn;
}

QByteArray WebPadSnapshot::imageType(const QByteArray &bytes)
{
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return QByteArrayLiteral("image/png");
    if (bytes.startsWith("\xff\xd8\xff"))
        return QByteArrayLiteral("image/jpeg");
    return {};
}

} // namespace hb
