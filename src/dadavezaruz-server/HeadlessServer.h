#pragma once

#include "dadavezaruz-server/DadavezaRuzServerOptions.h"
#include "dadavezaruz-server/HeadlessServerOptions.h"

#include <QObject>

#include <cstdio>
#include <memory>

namespace hb {

class DadavezaRuzServer;

// The shortcut server without a window: it starts at once and prints its status lines, what it
// refused and the pairing code (as text and, unless quiet, as a QR code) to `out`, and its
// failures to `err`. No one is there to ask, so a controller on the local network is served
// only when the command line or the trust file allows it; others are refused with a line that
// says how to allow them. Phones that open the phone pad's link are served: the link holds
// the pairing secret.
class HeadlessServer : public QObject {
    Q_OBJECT

public:
    HeadlessServer(const HeadlessServerOptions &options, std::unique_ptr<DadavezaRuzServer> server,
                   std::FILE *out = stdout, std::FILE *err = stderr, QObject *parent = nullptr);
    ~HeadlessServer() override;

    // How the server must behave without a window.
    static DadavezaRuzServerOptions serverOptions(const HeadlessServerOptions &options);

    // The addresses of the command line and the trust file (comments after '#', blank lines and
    // text that is no address that could be allowed are skipped, each with a problem).
    static QStringList allowedAddresses(const HeadlessServerOptions &options,
                                        QStringList *problems);

    DadavezaRuzServer &server() const { return *m_server; }
    void start();
    void stop();

Q_SIGNALS:
    // The server cannot run, or stopped running; the process should end with status 1.
    void failed();

private:
    static void print(std::FILE *to, const QString &line);
    void onStatus(const QString &status);
    void onWebPadChanged();
    void showQrCode(const QString &text);

    HeadlessServerOptions m_options;
    std::unique_ptr<DadavezaRuzServer> m_server;
    std::FILE *m_out;
    std::FILE *m_err;
    bool m_pairingShown = false;
    bool m_qrShown = false;
    bool m_failed = false;
};

} // namespace hb
