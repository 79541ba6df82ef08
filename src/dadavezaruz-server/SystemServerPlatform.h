#pragma once

#include "dadavezaruz-server/DadavezaRuzServerPlatform.h"
#include "platform/keyboard/X11KeyEventPoster.h"

#include <QStringList>

#include <optional>

namespace hb {

class Settings;

// The real system behind the shortcut server: key posting and window activation on the X
// display of $DISPLAY, DNS-SD through the Avahi daemon, and this machine's local address.
DadavezaRuzServerPlatform systemServerPlatform(CommandKey commandKey);

// The server's own settings: which key stands for the Mac's command key ("control", the
// default, or "super"), and the local-network controllers the user approved.
namespace ServerSettings {
inline constexpr QLatin1StringView kCommandKey{"dadavezaruz.server.commandKey"};
inline constexpr QLatin1StringView kTrustedControllers{"dadavezaruz.server.trustedControllers"};

// "control" or "super", case-insensitively; anything else is not a command key.
std::optional<CommandKey> parseCommandKey(const QString &text);
CommandKey commandKey(const Settings &settings);
QStringList trustedControllers(const Settings &settings);
void setTrustedControllers(Settings &settings, const QStringList &addresses);
} // namespace ServerSettings

} // namespace hb
