#pragma once

#include "app/ContentView.h"
#include "app/HelpViewer.h"

#include <QMainWindow>
#include <QPointer>

class QFrame;
class QLabel;
class QTimer;

namespace hb {

class Settings;

// The one window: the catalogue and the chosen tool, with the File and Help menus. It comes
// back where the user left it: size, position, sidebar width and the tool that was open. The
// first change to the settings that cannot be saved shows a notice above the tools, once.
//
// A screen holding a texture-based widget (the tutorial browser's web view) makes Qt re-create
// the window's native window for OpenGL composition, which costs every later screen far more
// CPU on a software renderer. Qt chooses raster or OpenGL only when it creates the native
// window, so once such a screen is destroyed the window makes a new one, keeping its geometry,
// window state and focus; the user sees one redraw.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    static constexpr QSize kDefaultSize{1100, 720};

    MainWindow(ScreenFactories screens, Settings &settings, QWidget *parent = nullptr);
    ~MainWindow() override;

    ContentView *contentView() const { return m_contentView; }

    // Puts the window where it was last closed, or at its default size on the current screen,
    // never larger than the screen's free area; reopens the last tool.
    void restoreState();
    void saveState();

    // F1: the README section of the open tool.
    void showHelp();
    void showAbout();
    HelpViewer *helpViewer() const { return m_help; }

    // Shows `message` in the notice above the tools unless a notice was shown before.
    void showSettingsNotice(const QString &message);
    QFrame *settingsNotice() const { return m_settingsNotice; }

    // The largest size at most `wanted` that fits `available`, a screen's free area.
    static QSize fittedSize(QSize wanted, QSize available);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    QFrame *buildSettingsNotice();
    // After a screen is destroyed: a window composed through OpenGL gets a new native window,
    // which Qt composes with raster flushing unless a widget still needs textures.
    void restoreRasterComposition();
    // A new native window, made by Qt or by the above, takes over the window's `states` and the
    // other windows that belong to this one.
    void adoptNativeWindow(Qt::WindowStates states);

    Settings &m_settings;
    ContentView *m_contentView;
    QFrame *m_settingsNotice = nullptr;
    QLabel *m_settingsNoticeText = nullptr;
    bool m_settingsNoticeShown = false;
    QPointer<HelpViewer> m_help;
    // Started by the destruction of any screen; runs once control is back in the event loop.
    QTimer *m_compositionReview;
};

} // namespace hb
