#pragma once

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

class QWidget;

namespace hb {

class Settings;
class SettingsNotifier;

// What the application hands a screen that a plugin makes.
struct ScreenPluginContext {
    Settings &settings;
    // The application's notifier. A plugin carries its own copy of the settings code, whose
    // notifier nobody in the application listens to: the plugin forwards its reports here.
    SettingsNotifier &settingsNotifier;
    // Hands an address to the user's default browser; empty for the desktop's default.
    std::function<void(const QUrl &)> openUrl;
};

// A screen of the catalogue built in a plugin, so that the libraries it needs are mapped only
// when the screen is first opened. The plugin's metadata names the catalogue key of its screen
// ("screen") and the version of the program it was built with ("version").
class ScreenPlugin {
public:
    virtual ~ScreenPlugin() = default;

    // Called on the main thread, with the application object in place.
    virtual std::unique_ptr<QWidget> createScreen(const ScreenPluginContext &context) = 0;

protected:
    ScreenPlugin() = default;
    ScreenPlugin(const ScreenPlugin &) = default;
    ScreenPlugin &operator=(const ScreenPlugin &) = default;
};

} // namespace hb

// Changes whenever the interface or the context changes shape.
#define HB_SCREEN_PLUGIN_IID "io.github.huebench.ScreenPlugin/1"
Q_DECLARE_INTERFACE(hb::ScreenPlugin, HB_SCREEN_PLUGIN_IID)
