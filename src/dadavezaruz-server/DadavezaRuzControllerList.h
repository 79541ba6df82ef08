#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace hb {

class AddressRowList;
class DadavezaRuzServer;
class ScreenUndo;

// The controllers on the local network: those waiting for an answer ("Allow", "Deny"), how many
// requests were given up, the allowed ones ("Remove"), the ones refused while Huebench runs
// ("Allow", "Ask Again"), and a field to allow a pad by its address (for addresses that are never
// asked about, such as those of a VPN). Rows follow the server one by one.
class DadavezaRuzControllerList : public QWidget {
    Q_OBJECT

public:
    explicit DadavezaRuzControllerList(DadavezaRuzServer &server, QWidget *parent = nullptr);

private:
    void remove(const QString &address);
    void refresh();
    void allowTypedAddress();

    DadavezaRuzServer &m_server;
    ScreenUndo *m_undo = nullptr;
    QLabel *m_pendingTitle;
    AddressRowList *m_pending;
    QLabel *m_dropped;
    AddressRowList *m_approved;
    QLabel *m_noneApproved;
    QLabel *m_refusedTitle;
    AddressRowList *m_refused;
    QLineEdit *m_address;
    QLabel *m_addressProblem;
};

} // namespace hb
