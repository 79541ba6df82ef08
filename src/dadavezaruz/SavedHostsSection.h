#pragma once

#include "common/FormSection.h"

class QLabel;
class QListWidgetItem;

namespace hb {

class DadavezaRuzConnection;
class HostListWidget;
class ScreenUndo;

// "Recent Connections": the servers used before, the one in use ticked. Choosing one connects to
// it; Delete, or the row's menu, forgets it, and Undo puts it back.
class SavedHostsSection : public FormSection {
    Q_OBJECT

public:
    explicit SavedHostsSection(DadavezaRuzConnection &connection, QWidget *parent = nullptr);

    // Shows the saved servers as they are now, keeping the selected row where it was.
    void refresh();

Q_SIGNALS:
    // The user chose a server; the connection is trying it.
    void hostChosen();

private:
    void choose(QListWidgetItem *item);
    void showMenu(const QPoint &at);
    void forgetSelectedHost();

    DadavezaRuzConnection &m_connection;
    HostListWidget *m_list;
    QLabel *m_empty;
    ScreenUndo *m_undo;
};

} // namespace hb
