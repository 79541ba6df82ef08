#pragma once

#include "dadavezaruz/QRScannerView.h"

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QLineEdit;

namespace hb {

class ConnectionStatusSection;
class DadavezaRuzConnection;
class DiscoveredHostsSection;
class FormSection;
class SavedHostsSection;
class Settings;
class ToggleSwitch;

// Where the pad finds its server: the connection's state, servers found on the network, servers
// used before, a host typed by hand or read from a pairing QR code, and how to set up the server.
class ConnectionSheet : public QDialog {
    Q_OBJECT

public:
    struct Inputs {
        QString host;
        QString port;
        friend bool operator==(const Inputs &, const Inputs &) = default;
    };

    // The host and port fields on opening: the current host, else the most recent saved host.
    static Inputs initialInputs(const DadavezaRuzConnection &connection);
    // The port typed by hand, or the standard port when it does not read as one.
    static quint16 manualPort(const QString &text);

    ConnectionSheet(DadavezaRuzConnection &connection, Settings &settings,
                    QWidget *parent = nullptr);

    // "Connect": the typed host and port.
    void connectManually();
    // What a scanned pairing code does: fills the fields and connects, or says it is unreadable.
    void applyScannedCode(const QString &text);
    void openScanner();
    // The scanner while it is open (for tests).
    QRScannerView *scanner() const { return m_scanner; }

private:
    QWidget *buildContent();
    QWidget *buildPreferences();
    QWidget *buildBlocked();
    QWidget *buildDiscovered();
    QWidget *buildRecent();
    QWidget *buildManual();
    QWidget *buildHelp();
    void followConnection();
    void refreshBlocked();

    DadavezaRuzConnection &m_connection;
    Settings &m_settings;

    ConnectionStatusSection *m_status = nullptr;
    ToggleSwitch *m_autoConnect = nullptr;
    ToggleSwitch *m_reconnect = nullptr;
    FormSection *m_blocked = nullptr;
    QLabel *m_blockedReason = nullptr;
    DiscoveredHostsSection *m_discovered = nullptr;
    SavedHostsSection *m_recent = nullptr;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_port = nullptr;
    QLabel *m_scannedError = nullptr;
    QPointer<QRScannerView> m_scanner;
};

} // namespace hb
