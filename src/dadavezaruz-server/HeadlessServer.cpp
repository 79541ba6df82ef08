#include "dadavezaruz-server/HeadlessServer.h"

#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/TerminalQrCode.h"
#include "dadavezaruz-server/TrustedControllers.h"

#include <QFile>
#include <QHostAddress>

namespace hb {

HeadlessServer::HeadlessServer(const HeadlessServerOptions &options,
                               std::unique_ptr<DadavezaRuzServer> server, std::FILE *out,
                               QObject *parent)
    : QObject(parent), m_options(options), m_server(std::move(server)), m_out(out)
{
    connect(m_server.get(), &DadavezaRuzServer::statusTextChanged, this, &HeadlessServer::onStatus);
    connect(m_server.get(), &DadavezaRuzServer::failed, this, &HeadlessServer::failed);
    connect(m_server.get(), &DadavezaRuzServer::lastCommandChanged, this,
            [this](const QString &command) { print(QStringLiteral("Last command: ") + command); });
    connect(m_server.get(), &DadavezaRuzServer::approvalRequested, this, [this](const QString &address) {
        print(QStringLiteral("Controller %1 on the local network is not allowed; its presses are "
                             "ignored. To allow it, restart with --allow %1 or add it to %2")
                  .arg(address, m_options.trustFile.isEmpty() ? HeadlessServerOptions::defaultTrustFile()
                                                             : m_options.trustFile));
    });
}

HeadlessServer::~HeadlessServer() = default;

QStringList HeadlessServer::allowedAddresses(const HeadlessServerOptions &options, QStringList *problems)
{
    QStringList addresses = options.allowed;
    const QString path =
        options.trustFile.isEmpty() ? HeadlessServerOptions::defaultTrustFile() : options.trustFile;
    QFile file(path);
    if (!file.exists()) {
        if (!options.trustFile.isEmpty() && problems)
            problems->append(QStringLiteral("trust file ") + path + QStringLiteral(" does not exist"));
        return addresses;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (problems)
            problems->append(QStringLiteral("cannot read ") + path + QStringLiteral(": ") + file.errorString());
        return addresses;
    }
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QHostAddress address(line);
        if (address.isNull()) {
            if (problems)
                problems->append(QStringLiteral("%1:%2: not an IP address: %3").arg(path).arg(number).arg(line));
            continue;
        }
        addresses.append(ControllerAccess::addressText(address));
    }
    addresses.removeDuplicates();
    return addresses;
}

void HeadlessServer::start()
{
    m_server->start();
}

void HeadlessServer::stop()
{
    m_server->stop();
}

void HeadlessServer::onStatus(const QString &status)
{
    print(status);
    const std::optional<QString> address = m_server->readyAddress();
    if (!m_server->isRunning() || m_pairingShown || !address)
        return;
    // What a phone scans to connect: the address and port of the status line.
    const QString code = *address + u':' + QString::number(m_server->port());
    m_pairingShown = true;
    print(QStringLiteral("Pairing code: ") + code + u'\n' + terminalQrCode(code));
}

void HeadlessServer::print(const QString &line)
{
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

} // namespace hb
