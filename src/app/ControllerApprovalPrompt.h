#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>

class QMessageBox;
class QPushButton;
class QWidget;

namespace hb {

class DadavezaRuzServer;

// Asks the user, over whatever screen is showing, whether a new controller on the local network
// may send shortcuts. One question at a time, oldest first. The question does not block the
// window (the server's switch and its list stay in reach), and every way of dismissing it that
// is not a click on "Allow" (Return, Escape, closing it) refuses. An answer given on the server
// screen, or the controller leaving, moves the question on to the next controller or closes it.
class ControllerApprovalPrompt : public QObject {
    Q_OBJECT

public:
    // How long "Allow" stays disabled after the question changed.
    static constexpr std::chrono::milliseconds kArmingDelay{1000};

    ControllerApprovalPrompt(DadavezaRuzServer &server, QWidget *window);
    ~ControllerApprovalPrompt() override;

    static QString question(const QString &address);

private:
    void askNext();
    void makeBox();
    void closeBox();

    DadavezaRuzServer &m_server;
    QPointer<QWidget> m_window;
    QPointer<QMessageBox> m_box;
    QPointer<QPushButton> m_allow;
    QTimer m_arming;
    QString m_asking;
};

} // namespace hb
