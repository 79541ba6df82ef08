#pragma once

#include <QWidget>

class QLabel;

namespace hb {

class DadavezaRuzServer;

// The controllers on the local network: those waiting for an answer, each with "Allow" and
// "Deny", then the approved ones, each with "Remove". Rows are rebuilt after the event that
// changed them has been handled, so a button may safely cause its own row to go.
class DadavezaRuzControllerList : public QWidget {
    Q_OBJECT

public:
    explicit DadavezaRuzControllerList(DadavezaRuzServer &server, QWidget *parent = nullptr);

private:
    void scheduleRefresh();
    void refresh();
    // A row of `list` showing `address`; the caller adds the buttons.
    QWidget *addRow(QWidget *list, const QString &address);

    DadavezaRuzServer &m_server;
    QWidget *m_pending;
    QWidget *m_approved;
    QLabel *m_noneApproved;
    bool m_refreshQueued = false;
};

} // namespace hb
