#pragma once

#include "app/ToolCatalogue.h"

#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class QItemSelection;
class QListView;

namespace hb {

class CatalogueModel;
class NavigationViewWrapper;

// Builds a tool's screen afresh each time its row is chosen.
using ScreenFactory = std::function<std::unique_ptr<QWidget>()>;
using ScreenFactories = std::map<ToolId, ScreenFactory>;

// The tool catalogue: a sidebar of tools beside the chosen tool's screen. Rows without a
// screen factory are shown but cannot be chosen.
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(ScreenFactories screens, QWidget *parent = nullptr);
    ~ContentView() override;

    // Chooses a tool as if its row had been clicked; false if the tool has no screen.
    bool choose(ToolId tool);
    QWidget *currentScreen() const;
    // The tool whose screen is shown, if any.
    std::optional<ToolId> currentTool() const { return m_currentTool; }
    QListView *catalogueList() const { return m_list; }
    NavigationViewWrapper *navigation() const { return m_navigation; }

Q_SIGNALS:
    void screenChanged(QWidget *screen);

private:
    QWidget *buildSidebar();
    void onSelectionChanged(const QItemSelection &selected);

    ScreenFactories m_screens;
    CatalogueModel *m_model;
    QListView *m_list = nullptr;
    NavigationViewWrapper *m_navigation = nullptr;
    std::optional<ToolId> m_currentTool;
};

} // namespace hb
