#pragma once

#include "common/ScreenPlugin.h"

#include <QObject>

namespace hb {

// The tutorial browser's screen with its embedded browser, as a plugin: the program maps the
// browser engine only when this plugin is loaded.
class YouTubeSearchPlugin : public QObject, public ScreenPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID HB_SCREEN_PLUGIN_IID FILE "YouTubeSearchPlugin.json")
    Q_INTERFACES(hb::ScreenPlugin)

public:
    std::unique_ptr<QWidget> createScreen(const ScreenPluginContext &context) override;
};

} // namespace hb
