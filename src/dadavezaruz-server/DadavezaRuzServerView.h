#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace hb {

class DadavezaRuzServer;
class ToggleSwitch;

// The shortcut server's screen: a switch that runs it, its port and this machine's address with
// the pairing QR code (the phone pad's link while it is served), the phone pad's switch, its
// status and last command (and why pads cannot discover it, if so), the
// controllers on the local network, what it refused or did not type, and what key posting needs
// from the system. The screen shows the server as it is when opened and
// follows every change; closing the screen leaves the server as it is.
class DadavezaRuzServerView : public QWidget {
    Q_OBJECT

public:
    using LocalAddress = std::function<std::optional<QString>()>;

    // The server must outlive the screen. `localAddress` gives the address a pad on the local
    // network reaches this machine at; it is read when the screen opens and whenever the server
    // starts running.
    DadavezaRuzServerView(DadavezaRuzServer &server, LocalAddress localAddress,
                          QWidget *parent = nullptr);
    ~DadavezaRuzServerView() override;

private:
    QWidget *buildServerSection();
    QWidget *buildStatusSection();
    QWidget *buildActivitySection();
    QWidget *buildRequirementsSection();
    void onSwitchClicked(bool on);
    void onRunningChanged(bool running);
    void refresh();
    void refreshPairingCode();

    DadavezaRuzServer &m_server;
    LocalAddress m_localAddress;
    std::optional<QString> m_address;
    // Between turning the switch on and the server's answer; the switch stays on meanwhile.
    bool m_startPending = false;
    QTimer m_startWait;
    QString m_pairingText;

    ToggleSwitch *m_switch = nullptr;
    QLabel *m_port = nullptr;
    QLabel *m_addressLabel = nullptr;
    QWidget *m_pairing = nullptr;
    QLabel *m_qrCode = nullptr;
    QLabel *m_pairingCode = nullptr;
    QLabel *m_pairingHint = nullptr;
    ToggleSwitch *m_webPadSwitch = nullptr;
    QLabel *m_webPadStatus = nullptr;
    QPushButton *m_newLink = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_lastCommand = nullptr;
    QLabel *m_advertisement = nullptr;
    QPlainTextEdit *m_log = nullptr;
};

} // namespace hb
