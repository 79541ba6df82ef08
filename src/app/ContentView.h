#pragma once

#include "app/ToolCatalogue.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

class QItemSelection;
class QListView;

namespace hb {

class CatalogueModel;
class NavigationViewWrapper;

// Builds a tool's screen the first time its row is chosen.
using ScreenFactory = std::function<std::unique_ptr<QWidget>()>;
using ScreenFactories = std::map<ToolId, ScreenFactory>;

// The tool catalogue: a sidebar of tools beside the chosen tool's screen. Rows without a
// screen factory are shown but cannot be chosen. A tool's screen, once built, is kept while the
// catalogue lives, so that going back to a tool finds it as it was left; the tools set as
// rebuilt get a new screen each time and lose the old one when another tool is chosen.
class ContentView : public QWidget {
    Q_OBJECT

public:
    explicit ContentView(ScreenFactories screens, QWidget *parent = nullptr);
    ~ContentView() override;

    // Tools whose screen is built afresh each time they are chosen.
    void setRebuiltTools(std::set<ToolId> tools) { m_rebuilt = std::move(tools); }
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
    std::set<ToolId> m_rebuilt;
    std::map<ToolId, QPointer<QWidget>> m_built;
    CatalogueModel *m_model;
    QListView *m_list = nullptr;
    NavigationViewWrapper *m_navigation = nullptr;
    std::optional<ToolId> m_currentTool;
};

} // namespace hb
