#include "dadavezaruz/PageTabBar.h"

#include "dadavezaruz/ButtonDragMime.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/ShortcutPageListModel.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMouseEvent>

#include <algorithm>
#include <utility>

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
        const std::optional<qint64> id = pageIdAt(tabAt(at));
        if (!id)
            return;
        const QList<ShortcutPage> &all = m_pages.pages();
        if (const auto page = std::ranges::find(all, *id, &ShortcutPage::id); page != all.end())
            Q_EMIT menuRequested(*page, mapToGlobal(at));
    });
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kDragHoverMsec);
    connect(&m_hoverTimer, &QTimer::timeout, this, &PageTabBar::showHoveredPage);
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
        setTabData(i, pages[i].id);
    }
    if (current)
        setCurrentIndex(m_pages.rowOf(*current));
    // A tab bar that is not shown yet does not tell its layout that it grew: without this, the
    // layout keeps the height it had with no tabs (none) and the tabs are never seen.
    updateGeometry();
}

// By the tab's own data, not its index: a dragged tab takes its page along.
std::optional<qint64> PageTabBar::pageIdAt(int index) const
{
    const QVariant id = tabData(index);
    if (!id.isValid())
        return std::nullopt;
    return id.toLongLong();
}

void PageTabBar::setArranging(bool on)
{
    setMovable(on);
    setAcceptDrops(on);
    if (!on) {
        m_pressedPage.reset();
        hoverTab(-1);
    }
}

void PageTabBar::mousePressEvent(QMouseEvent *event)
{
    if (isMovable() && event->button() == Qt::LeftButton) {
        m_pressedIndex = tabAt(event->position().toPoint());
        m_pressedPage = pageIdAt(m_pressedIndex);
    }
    QTabBar::mousePressEvent(event);
}

// The tab slides while the drag goes on; once it ends, its new place is asked for.
void PageTabBar::mouseReleaseEvent(QMouseEvent *event)
{
    QTabBar::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !m_pressedPage)
        return;
    const qint64 page = *std::exchange(m_pressedPage, std::nullopt);
    for (int i = 0; i < count(); ++i) {
        if (pageIdAt(i) == page && i != m_pressedIndex)
            Q_EMIT pageMoved(page, i);
    }
}

std::optional<qint64> PageTabBar::hoveredPage() const
{
    return pageIdAt(m_hoverTab);
}

void PageTabBar::hoverTab(int index)
{
    // The current page is already shown: nothing to wait for.
    if (index == currentIndex() || !pageIdAt(index))
        index = -1;
    if (index == m_hoverTab)
        return;
    m_hoverTab = index;
    if (index < 0)
        m_hoverTimer.stop();
    else
        m_hoverTimer.start();
}

void PageTabBar::showHoveredPage()
{
    m_hoverTimer.stop();
    const int index = std::exchange(m_hoverTab, -1);
    if (pageIdAt(index))
        setCurrentIndex(index);
}

void PageTabBar::dragEnterEvent(QDragEnterEvent *event)
{
    if (!isArranging() || !ButtonDragMime::buttonId(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    hoverTab(tabAt(event->position().toPoint()));
}

// A tab takes no button: the drag is only told where it rests, and drops on a cell.
void PageTabBar::dragMoveEvent(QDragMoveEvent *event)
{
    if (isArranging() && ButtonDragMime::buttonId(event->mimeData()))
        hoverTab(tabAt(event->position().toPoint()));
    event->ignore();
}

void PageTabBar::dragLeaveEvent(QDragLeaveEvent *event)
{
    hoverTab(-1);
    QTabBar::dragLeaveEvent(event);
}

void PageTabBar::dropEvent(QDropEvent *event)
{
    hoverTab(-1);
    event->ignore();
}

} // namespace hb
