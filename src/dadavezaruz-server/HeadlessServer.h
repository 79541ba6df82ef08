#pragma once

#include "dadavezaruz-server/HeadlessServerOptions.h"

#include <QObject>

#include <cstdio>
#include <memory>

namespace hb {

class DadavezaRuzServer;

// The shortcut server without a window: it starts at once, prints its status lines and the
// pairing code (as text and as a QR code) to standard output, and tells how to allow a
// controller from the local network, which only the command line or the trust file can do.
class HeadlessServer : public QObject {
    Q_OBJECT

public:
    // `out` receives every line the server prints.
    HeadlessServer(const HeadlessServerOptions &options, std::unique_ptr<DadavezaRuzServer> server,
                   std::FILE *out = stdout, QObject *parent = nullptr);
    ~HeadlessServer() override;

    // The addresses of the command line and the trust file (comments after '#', blank lines and
    // text that is no address are skipped).
    static QStringList allowedAddresses(const HeadlessServerOptions &options, QStringList *problems);

    DadavezaRuzServer &server() const { return *m_server; }
    void start();
    void stop();

Q_SIGNALS:
    // The listener could not be created or failed; the process should end.
    void failed();

private:
    void print(const QString &line);
    void onStatus(const QString &status);

    HeadlessServerOptions m_options;
    std::unique_ptr<DadavezaRuzServer> m_server;
    std::FILE *m_out;
    bool m_pairingShown = false;
};

} // namespace hb
