#include "dadavezaruz/PageTabBar.h"

#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/ShortcutPageListModel.h"

namespace hb {

using namespace Qt::StringLiterals;

PageTabBar::PageTabBar(const ShortcutPageListModel &pages, QWidget *parent)
    : QTabBar(parent), m_pages(pages)
{
    setExpanding(false);
    setDocumentMode(true);
    setDrawBase(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setStyleSheet(u"QTabBar::tab:selected { color: %1; }"_s.arg(PadColors::purpleText.name()));
    connect(this, &QTabBar::tabBarClicked, this, [this](int index) {
        if (const std::optional<qint64> id = pageIdAt(index))
            Q_EMIT pageClicked(*id);
    });
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (const std::optional<qint64> id = pageIdAt(index))
            Q_EMIT currentPageChanged(*id);
    });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const int index = tabAt(at);
        if (pageIdAt(index))
            Q_EMIT menuRequested(m_pages.pages()[index], mapToGlobal(at));
    });
}

void PageTabBar::showPages(std::optional<qint64> current)
{
    const QList<ShortcutPage> &pages = m_pages.pages();
    const QSignalBlocker blocker(this);
    while (count() > pages.size())
        removeTab(count() - 1);
    for (int i = 0; i < pages.size(); ++i) {
        if (i < count())
            setTabText(i, pages[i].name);
        else
            addTab(pages[i].name);
    }
    if (current)
        setCurrentIndex(m_pages.rowOf(*current));
    // A tab bar that is not shown yet does not tell its layout that it grew: without this, the
    // layout keeps the height it had with no tabs (none) and the tabs are never seen.
    updateGeometry();
}

std::optional<qint64> PageTabBar::pageIdAt(int index) const
{
    if (index < 0 || index >= m_pages.pages().size())
        return std::nullopt;
    return m_pages.pages()[index].id;
}

} // namespace hb
