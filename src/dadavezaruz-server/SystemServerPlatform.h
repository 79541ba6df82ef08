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
// default, or "super"), the local-network controllers the user approved, and the web pad's
// pairing secret and switch.
namespace ServerSettings {
inline constexpr QLatin1StringView kCommandKey{"dadavezaruz.server.commandKey"};
inline constexpr QLatin1StringView kTrustedControllers{"dadavezaruz.server.trustedControllers"};
inline constexpr QLatin1StringView kWebPadSecret{"dadavezaruz.server.webPadSecret"};
inline constexpr QLatin1StringView kWebPadEnabled{"dadavezaruz.server.webPadEnabled"};

// "control" or "super", case-insensitively; anything else is not a command key.
std::optional<CommandKey> parseCommandKey(const QString &text);
CommandKey commandKey(const Settings &settings);
QStringList trustedControllers(const Settings &settings);
void setTrustedControllers(Settings &settings, const QStringList &addresses);
// The web pad's secret; a missing or malformed one is replaced by a fresh one, stored first.
QString webPadSecret(Settings &settings);
// Makes, stores and returns a fresh secret: every link shown before stops working.
QString replaceWebPadSecret(Settings &settings);
// Whether the web pad is served; on unless switched off (stored as 0).
bool webPadEnabled(const Settings &settings);
void setWebPadEnabled(Settings &settings, bool enabled);
} // namespace ServerSettings

} // namespace hb
