#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QTabBar>

#include <optional>

namespace hb {

class ShortcutPageListModel;

// The pad's page tabs: one per page of the list, by name, the current one in the accent colour.
// Says which page's tab the user picks and where they ask for a page's menu.
class PageTabBar : public QTabBar {
    Q_OBJECT

public:
    explicit PageTabBar(const ShortcutPageListModel &pages, QWidget *parent = nullptr);

    // Shows the list's pages, the tab of `current` selected, without signalling.
    void showPages(std::optional<qint64> current);

Q_SIGNALS:
    // The user clicked the tab of this page.
    void pageClicked(qint64 pageId);
    // The current tab moved to this page's, by the keyboard, the wheel or a click.
    void currentPageChanged(qint64 pageId);
    // The user asked for this page's menu at `globalPos`.
    void menuRequested(const hb::ShortcutPage &page, const QPoint &globalPos);

private:
    std::optional<qint64> pageIdAt(int index) const;

    const ShortcutPageListModel &m_pages;
};

} // namespace hb
