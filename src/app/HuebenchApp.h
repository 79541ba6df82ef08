#pragma once

#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "common/Expected.h"
#include "common/Settings.h"

#include <QString>

#include <memory>

class QWidget;

namespace hb {

class ControllerApprovalPrompt;
class DadavezaRuzServer;
class ModelStore;
class ScreenPluginLoader;

// The application: the one local model store every persistent tool shares, the user's
// settings, and the single window that shows the tool catalogue.
class HuebenchApp {
public:
    // Printed, followed by the reason, when the store cannot be created; the process then ends.
    static QString fatalStorePrefix();

    // Opens the store in the user's data folder. Fails only when the store cannot be created.
    static Expected<std::unique_ptr<HuebenchApp>> create();
    // Without `settings`, the user's settings file.
    explicit HuebenchApp(std::unique_ptr<ModelStore> store,
                         std::unique_ptr<Settings> settings = nullptr);
    ~HuebenchApp();

    HuebenchApp(const HuebenchApp &) = delete;
    HuebenchApp &operator=(const HuebenchApp &) = delete;

    ModelStore &sharedModelContainer() const { return *m_store; }
    Settings &settings() const { return *m_settings; }
    QWidget *window() const;
    MainWindow *mainWindow() const { return m_window.get(); }
    ContentView *contentView() const;

    void show();

private:
    ScreenFactories screenFactories();

    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<Settings> m_settings;
    // The tutorial browser's screen with its engine; loaded when that screen first opens.
    std::unique_ptr<ScreenPluginLoader> m_browserPlugin;
    // Made when its screen first opens; outlives the window, whose screens refer to it.
    std::unique_ptr<DadavezaRuzServer> m_server;
    std::unique_ptr<MainWindow> m_window;
    ControllerApprovalPrompt *m_approvalPrompt = nullptr;
};

} // namespace hb
