#pragma once

#include "app/ContentView.h"
#include "app/HelpViewer.h"

#include <QMainWindow>
#include <QPointer>

namespace hb {

class Settings;

// The one window: the catalogue and the chosen tool, with the File and Help menus. It comes
// back where the user left it: size, position, sidebar width and the tool that was open.
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

    // The largest size at most `wanted` that fits `available`, a screen's free area.
    static QSize fittedSize(QSize wanted, QSize available);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();

    Settings &m_settings;
    ContentView *m_contentView;
    QPointer<HelpViewer> m_help;
};

} // namespace hb
