#include "browser/YouTubeSearchPlugin.h"

#include "browser/YouTubeSearchView.h"
#include "common/Settings.h"
#include "common/SettingsNotifier.h"

namespace hb {

std::unique_ptr<QWidget> YouTubeSearchPlugin::createScreen(const ScreenPluginContext &context)
{
    // This plugin's own notifier: failed writes of the site setting reach the application's.
    SettingsNotifier &own = Settings::notifier();
    if (&own != &context.settingsNotifier) {
        connect(&own, &SettingsNotifier::writeFailed, &context.settingsNotifier,
                &SettingsNotifier::writeFailed, Qt::UniqueConnection);
    }
    return std::make_unique<YouTubeSearchView>(context.settings, context.openUrl);
}

} // namespace hb
