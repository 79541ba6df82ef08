#include "app/ContentView.h"

#include "app/CatalogueDelegate.h"
#include "app/CatalogueListView.h"
#include "app/CatalogueModel.h"
#include "app/NavigationViewWrapper.h"
#include "common/Backdrop.h"
#include "common/ScreenTitle.h"

#include <QLabel>
#include <QListView>
#include <QVBoxLayout>

namespace hb {
namespace {

std::set<ToolId> availableTools(const ScreenFactories &screens)
{
    std::set<ToolId> tools;
    for (const auto &[tool, factory] : screens) {
        if (factory)
            tools.insert(tool);
    }
    return tools;
}

} // namespace

ContentView::ContentView(ScreenFactories screens, QWidget *parent)
    : QWidget(parent), m_screens(std::move(screens)),
      m_model(new CatalogueModel(availableTools(m_screens), this))
{
    m_navigation =
        new NavigationViewWrapper(buildSidebar(), ToolCatalogue::placeholderText(), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_navigation);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection &selected, const QItemSelection &) {
                onSelectionChanged(selected);
            });
}

ContentView::~ContentView() = default;

QWidget *ContentView::buildSidebar()
{
    auto *sidebar = new Backdrop;
    sidebar->setObjectName(QStringLiteral("catalogueSidebar"));

    auto *title = new ScreenTitle(ToolCatalogue::sidebarTitle(), sidebar);
    title->setObjectName(QStringLiteral("sidebarTitle"));

    m_list = new CatalogueListView(sidebar);
    m_list->setObjectName(QStringLiteral("catalogueList"));
    m_list->setAccessibleName(ToolCatalogue::sidebarTitle());
    m_list->setModel(m_model);
    m_list->setItemDelegate(new CatalogueDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setMouseTracking(true);
    m_list->setFrameShape(QFrame::NoFrame);
    // The backdrop shows through the list.
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_list->setPalette(palette);
    m_list->viewport()->setAutoFillBackground(false);

    auto *layout = new QVBoxLayout(sidebar);
    layout->setContentsMargins(8, 12, 4, 4);
    layout->setSpacing(6);
    layout->addWidget(title);
    layout->addWidget(m_list, 1);
    return sidebar;
}

bool ContentView::choose(ToolId tool)
{
    const QModelIndex index = m_model->indexOf(tool);
    if (!index.isValid() || !(m_model->flags(index) & Qt::ItemIsSelectable))
        return false;
    m_list->setCurrentIndex(index);
    m_list->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    return true;
}

QWidget *ContentView::currentScreen() const
{
    return m_navigation->detail();
}

void ContentView::onSelectionChanged(const QItemSelection &selected)
{
    const QModelIndexList indexes = selected.indexes();
    if (indexes.isEmpty())
        return;
    const ToolId tool = CatalogueModel::tool(indexes.first());
    const auto factory = m_screens.find(tool);
    if (factory == m_screens.end() || !factory->second)
        return;
    if (tool == m_currentTool)
        return;
    QPointer<QWidget> &screen = m_built[tool];
    if (!screen)
        screen = factory->second().release();
    m_navigation->showDetail(screen);
    if (m_currentTool && m_rebuilt.contains(*m_currentTool))
        m_navigation->discardDetail(m_built[*m_currentTool]);
    m_currentTool = tool;
    Q_EMIT screenChanged(currentScreen());
}

} // namespace hb
