#include "dadavezaruz-server/SystemServerPlatform.h"

#include "common/Settings.h"
#include "dadavezaruz-server/WebPadSecret.h"
#include "platform/dnssd/AvahiServicePublisher.h"
#include "platform/keyboard/X11AppActivator.h"
#include "platform/netif/LocalAddress.h"
#include "platform/netif/OwnAddresses.h"

namespace hb {

DadavezaRuzServerPlatform systemServerPlatform(CommandKey commandKey)
{
    DadavezaRuzServerPlatform platform;
    platform.makePoster = [commandKey] {
        return std::make_unique<X11KeyEventPoster>(QString(), commandKey);
    };
    platform.makeActivator = [] { return std::make_unique<X11AppActivator>(); };
    platform.makePublisher = [] { return std::make_unique<AvahiServicePublisher>(); };
    platform.localAddress = [] { return localIPv4Address(); };
    platform.isOwnAddress = [own = std::make_shared<OwnAddresses>()](const QHostAddress &address) {
        return own->contains(address);
    };
    return platform;
}

namespace ServerSettings {

std::optional<CommandKey> parseCommandKey(const QString &text)
{
    if (text.compare(u"control", Qt::CaseInsensitive) == 0)
        return CommandKey::Control;
    if (text.compare(u"super", Qt::CaseInsensitive) == 0)
        return CommandKey::Super;
    return std::nullopt;
}

CommandKey commandKey(const Settings &settings)
{
    return parseCommandKey(settings.text(kCommandKey)).value_or(CommandKey::Control);
}

QStringList trustedControllers(const Settings &settings)
{
    return settings.text(kTrustedControllers).split(u' ', Qt::SkipEmptyParts);
}

void setTrustedControllers(Settings &settings, const QStringList &addresses)
{
    settings.setText(kTrustedControllers, addresses.join(u' '));
}

QString webPadSecret(Settings &settings)
{
    QString stored = settings.text(kWebPadSecret);
    if (WebPadSecret::isWellFormed(stored))
        return stored;
    return replaceWebPadSecret(settings);
}

QString replaceWebPadSecret(Settings &settings)
{
    QString secret = WebPadSecret::generate();
    settings.setText(kWebPadSecret, secret);
    return secret;
}

bool webPadEnabled(const Settings &settings)
{
    return settings.integer(kWebPadEnabled).value_or(1) != 0;
}

void setWebPadEnabled(Settings &settings, bool enabled)
{
    settings.setInteger(kWebPadEnabled, enabled ? 1 : 0);
}

} // namespace ServerSettings
} // namespace hb
