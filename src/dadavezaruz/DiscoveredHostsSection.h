#pragma once

#include <QWidget>

class QLabel;
class QListWidgetItem;

namespace hb {

class DadavezaRuzConnection;
class HostListWidget;

// The servers found on the local network, with Rescan, help when none is found, and the
// connection's last error below them. Choosing a server connects to it.
class DiscoveredHostsSection : public QWidget {
    Q_OBJECT

public:
    explicit DiscoveredHostsSection(DadavezaRuzConnection &connection, QWidget *parent = nullptr);

    // Shows the servers found as they are now.
    void refresh();
    // Shows the connection's last error as it is now.
    void refreshError();

Q_SIGNALS:
    // The user chose a server; the connection is trying it.
    void hostChosen();

private:
    QLayout *buildHeader();
    void choose(QListWidgetItem *item);

    DadavezaRuzConnection &m_connection;
    HostListWidget *m_list;
    QLabel *m_empty;
    QLabel *m_help;
    QLabel *m_error;
};

} // namespace hb
