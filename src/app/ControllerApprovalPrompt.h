#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

namespace hb {

class DadavezaRuzServer;

// Asks the user, over whatever screen is showing, whether a new controller on the local network
// may send shortcuts. One question at a time; an answer given on the server screen closes it.
class ControllerApprovalPrompt : public QObject {
    Q_OBJECT

public:
    ControllerApprovalPrompt(DadavezaRuzServer &server, QWidget *window);

    static QString question(const QString &address);

private:
    void askNext();

    DadavezaRuzServer &m_server;
    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_box;
    QString m_asking;
};

} // namespace hb
