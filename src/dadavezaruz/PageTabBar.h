#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QTabBar>
#include <QTimer>

#include <optional>

namespace hb {

class ShortcutPageListModel;

// The pad's page tabs: one per page of the list, by name, the current one in the accent colour.
// Says which page's tab the user picks and where they ask for a page's menu. While arranging,
// a tab is dragged to another place, and a button dragged over a tab that it rests on for
// kDragHoverMsec shows that tab's page, so that the button can be dropped on a cell there.
class PageTabBar : public QTabBar {
    Q_OBJECT

public:
    static constexpr int kDragHoverMsec = 600;

    explicit PageTabBar(const ShortcutPageListModel &pages, QWidget *parent = nullptr);

    // Shows the list's pages, the tab of `current` selected, without signalling.
    void showPages(std::optional<qint64> current);

    // Tabs are dragged, and take a dragged button's hover, only while arranging.
    bool isArranging() const { return isMovable(); }
    void setArranging(bool on);

    // The page whose tab a dragged button rests on, until it is shown or the drag moves off.
    std::optional<qint64> hoveredPage() const;
    // Makes the hovered page the current one, as a rest of kDragHoverMsec on its tab does.
    void showHoveredPage();

Q_SIGNALS:
    // The user clicked the tab of this page.
    void pageClicked(qint64 pageId);
    // The current tab moved to this page's, by the keyboard, the wheel, a click or a dragged
    // button resting on it.
    void currentPageChanged(qint64 pageId);
    // The user asked for this page's menu at `globalPos`.
    void menuRequested(const hb::ShortcutPage &page, const QPoint &globalPos);
    // The user dragged this page's tab to `newIndex` among the pages.
    void pageMoved(qint64 pageId, int newIndex);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    std::optional<qint64> pageIdAt(int index) const;
    void hoverTab(int index);

    const ShortcutPageListModel &m_pages;
    // The page pressed and the index of its tab then, while its tab may be dragged.
    std::optional<qint64> m_pressedPage;
    int m_pressedIndex = -1;
    QTimer m_hoverTimer;
    int m_hoverTab = -1;
};

} // namespace hb
