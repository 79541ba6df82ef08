#pragma once

#include "common/FormSection.h"

class QLabel;
class QPushButton;

namespace hb {

class DadavezaRuzConnection;

// The top of the connection sheet: the connection's state with a coloured dot, the server's
// address while connected, and Disconnect.
class ConnectionStatusSection : public FormSection {
    Q_OBJECT

public:
    explicit ConnectionStatusSection(DadavezaRuzConnection &connection, QWidget *parent = nullptr);

    // Shows the connection as it is now.
    void refresh();

private:
    DadavezaRuzConnection &m_connection;
    QLabel *m_dot;
    QLabel *m_headline;
    QLabel *m_endpoint;
    QPushButton *m_disconnect;
};

} // namespace hb
