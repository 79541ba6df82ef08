#pragma once

#include <QObject>
#include <QPointer>

class QMessageBox;
class QWidget;

namespace hb {

class DadavezaRuzServer;

// Asks the user, over whatever screen is showing, whether a new controller on the local network
// may send shortcuts. One question at a time, oldest first. The question does not block the
// window (the server's switch and its list stay in reach), and every way of dismissing it that
// is not a click on "Allow" (Return, Escape, closing it) refuses. An answer given on the server
// screen, or the controller leaving, closes the question.
class ControllerApprovalPrompt : public QObject {
    Q_OBJECT

public:
    ControllerApprovalPrompt(DadavezaRuzServer &server, QWidget *window);
    ~ControllerApprovalPrompt() override;

    static QString question(const QString &address);

private:
    void askNext();
    void closeBox();

    DadavezaRuzServer &m_server;
    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_box;
    QString m_asking;
};

} // namespace hb
