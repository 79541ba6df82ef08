#pragma once

#include "dadavezaruz/ShortcutPad.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QStackedWidget;

namespace hb {

class ConnectionSheet;
class DadavezaRuzConnection;
class DadavezaRuzTransport;
class EditButtonSheet;
class ModelStore;
class PadCommands;
class PadHeader;
class PadStatusLine;
class PageTabBar;
class ScreenUndo;
class ServiceDiscovery;
class Settings;
class ShortcutGridView;
class ShortcutPageListModel;

// The pad: a status line, the page tabs and the 4 x 4 grid of the current page. A tap sends the
// button's shortcut to the connected server; in edit mode a tap edits the button or makes one.
// Deleting a page or a button can be undone (the notice at the foot, or Ctrl+Z), which shows
// the page again; so can copying one (Ctrl+D or the button's menu, the page tab's menu) and, in
// edit mode, moving a page's tab (Ctrl+Shift+Page Up / Page Down, or dragging it) or a button
// (Ctrl+X on it, Ctrl+V on the cell it goes to, or dragging it there; resting on a page's tab
// on the way opens that page).
//
// The screen lives as long as the application; while it is hidden it leaves its sheets closed,
// stops reconnecting and reads the store again only when it is shown.
class DadavezaRuzView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFeedbackMsec = 300;

    // On the local network, through the DNS-SD daemon.
    DadavezaRuzView(ModelStore &store, Settings &settings, QWidget *parent = nullptr);
    DadavezaRuzView(ModelStore &store, Settings &settings,
                    std::unique_ptr<ServiceDiscovery> discovery,
                    std::unique_ptr<DadavezaRuzTransport> transport, QWidget *parent = nullptr);
    ~DadavezaRuzView() override;

    DadavezaRuzConnection &connection() const { return *m_connection; }
    std::optional<ShortcutPage> currentPage() const;
    bool isEditMode() const { return m_editMode; }
    void setEditMode(bool on);
    std::optional<qint64> feedbackButtonID() const { return m_feedbackButtonID; }

    void selectPage(qint64 pageId);
    void tapCell(int row, int col);
    void renamePage(qint64 pageId, const QString &name);
    // Both undoable; a failure shows in the pad's error line.
    void deletePage(qint64 pageId);
    Expected<Done> deleteButton(qint64 buttonId);
    // All three undoable; a full page or a failure shows in the pad's error line. A button's copy
    // goes to the next free cell after it on its own page, the first free cell on another; a
    // page's copy goes after the others and is selected.
    void duplicateButton(qint64 buttonId);
    void copyButtonToPage(qint64 buttonId, qint64 pageId);
    void duplicatePage(qint64 pageId);
    // Both undoable; a failure shows in the pad's error line. The page goes to `newIndex` among
    // the pages and stays selected; the button goes into the cell and shows there, and a button
    // already in that cell takes the place it left.
    void movePage(qint64 pageId, int newIndex);
    void moveButton(qint64 buttonId, qint64 pageId, int row, int col);
    // A button dropped on a cell of the current page, in edit mode: moved as by moveButton().
    void dropButton(qint64 buttonId, int row, int col);
    // The button Ctrl+X cut, for Ctrl+V to move; Esc or leaving edit mode forgets it.
    std::optional<qint64> cutButtonID() const { return m_cutButton; }
    ScreenUndo &undoHistory() const { return *m_undo; }
    // The pad's error line, empty when the last store change went through.
    QString storeErrorText() const;

    // The sheets; each is open until it closes (null otherwise).
    ConnectionSheet *openConnectionSheet();
    QWidget *openAddPageSheet();
    EditButtonSheet *openEditor(qint64 buttonId);

    // The menus a right-click opens on a page's tab and, in edit mode, on a button, with their
    // actions wired.
    std::unique_ptr<QMenu> pageMenu(const ShortcutPage &page);
    std::unique_ptr<QMenu> buttonMenu(const ShortcutButton &button);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *buildPage();
    QWidget *buildHeader();
    QWidget *buildEmptyState();
    void refreshPages();
    void refreshGrid();
    void flipToggle(qint64 buttonId);
    void showStoreError(const QString &text);
    void showPageMenu(const ShortcutPage &page, const QPoint &globalPos);
    void stepPage(int delta);
    void addPage(const QString &name);
    void showButtonMenu(const QPoint &at);
    void duplicateFocusedButton();
    void moveCurrentPage(int delta);
    void cutFocusedButton();
    void pasteOnFocusedCell();
    void forgetCut();
    void closeSheets();

    ModelStore &m_store;
    Settings &m_settings;
    ShortcutPad m_pad;
    std::unique_ptr<ServiceDiscovery> m_discovery;
    std::unique_ptr<DadavezaRuzTransport> m_transport;
    std::unique_ptr<DadavezaRuzConnection> m_connection;
    ShortcutPageListModel *m_pages;

    std::optional<qint64> m_selectedPage;
    bool m_editMode = false;
    bool m_parked = false;    // hidden after being shown: the store is read again on show
    bool m_gridStale = false; // the store changed while parked
    std::optional<qint64> m_feedbackButtonID;
    std::optional<qint64> m_cutButton;
    quint64 m_feedbackTap = 0; // each tap clears only its own feedback

    PadHeader *m_header = nullptr;
    PadStatusLine *m_statusLine = nullptr;
    QLabel *m_storeError = nullptr;
    QStackedWidget *m_body = nullptr;
    PageTabBar *m_tabs = nullptr;
    ShortcutGridView *m_grid = nullptr;
    QPointer<ConnectionSheet> m_connectionSheet;
    QPointer<QWidget> m_addPageSheet;
    QPointer<EditButtonSheet> m_editor;
    ScreenUndo *m_undo = nullptr;
    std::unique_ptr<PadCommands> m_commands;
    QAction *m_forgetCut = nullptr; // Esc, while a button is cut
};

} // namespace hb
