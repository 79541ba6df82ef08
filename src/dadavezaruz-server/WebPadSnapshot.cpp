#include "dadavezaruz-server/WebPadSnapshot.h"

#include "dadavezaruz-server/WebPadMessage.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QCryptographicHash>

namespace hb {

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
        shown.buttons.append(WebPadButton{button.id, button.label, button.sfSymbol, button.colorHex,
                                          button.row, button.col, hash,
                                          !button.keyCombo.trimmed().isEmpty()});
        presses.insert(button.id, WebPadPress{ShortcutMessage{button.keyCombo, button.appTarget},
                                              button.label});
    }
    pages.append(shown);
}

void WebPadSnapshot::finish()
{
    pagesMessage = WebPadMessage::encodePages(pages);
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
