#include "dadavezaruz-server/HeadlessServer.h"

#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/TerminalQrCode.h"

#include <QFile>
#include <QHostAddress>

namespace hb {

using namespace Qt::StringLiterals;

HeadlessServer::HeadlessServer(const HeadlessServerOptions &options,
                               std::unique_ptr<DadavezaRuzServer> server, std::FILE *out,
                               std::FILE *err, QObject *parent)
    : QObject(parent), m_options(options), m_server(std::move(server)), m_out(out), m_err(err)
{
    connect(m_server.get(), &DadavezaRuzServer::statusTextChanged, this, &HeadlessServer::onStatus);
    connect(m_server.get(), &DadavezaRuzServer::failed, this, [this](const QString &status) {
        print(m_err, status);
        m_failed = true;
        Q_EMIT failed();
    });
    connect(m_server.get(), &DadavezaRuzServer::lastCommandChanged, this,
            [this](const QString &command) { print(m_out, u"Last command: "_s + command); });
    connect(m_server.get(), &DadavezaRuzServer::logged, this,
            [this](const QString &line) { print(m_out, line); });
    connect(m_server.get(), &DadavezaRuzServer::webPadChanged, this,
            &HeadlessServer::onWebPadChanged);
}

HeadlessServer::~HeadlessServer() = default;

DadavezaRuzServerOptions HeadlessServer::serverOptions(const HeadlessServerOptions &options)
{
    DadavezaRuzServerOptions server;
    server.asksForApproval = false;
    server.requiresKeyboard = true;
    server.allowHint = [file = options.trustFilePath()](const QString &address) -> QString {
        return u"To allow it, restart with --allow "_s + address + u" or add it to "_s + file;
    };
    server.webPadEnabled = options.web;
    server.webPadPort = options.webPort;
    server.ownHostNames = DadavezaRuzServer::ownHostNames();
    return server;
}

QStringList HeadlessServer::allowedAddresses(const HeadlessServerOptions &options,
                                             QStringList *problems)
{
    QStringList addresses = options.allowed;
    const QString path = options.trustFilePath();
    QFile file(path);
    if (!file.exists()) {
        if (!options.trustFile.isEmpty() && problems)
            problems->append(u"trust file "_s + path + u" does not exist"_s);
        return addresses;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (problems)
            problems->append(u"cannot read "_s + path + u": "_s + file.errorString());
        return addresses;
    }
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        if (const std::optional<QString> problem = ControllerAccess::allowProblem(line)) {
            if (problems)
                problems->append(u"%1:%2: %3"_s.arg(path).arg(number).arg(*problem));
            continue;
        }
        addresses.append(ControllerAccess::addressText(QHostAddress(line)));
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
    // A failure is printed as an error when the server reports it, and the stop on the way out
    // after it goes without saying.
    if (m_server->isRunning() || (status == u"Stopped" && !m_failed))
        print(m_out, status);
    const std::optional<QString> address = m_server->readyAddress();
    if (!m_server->isRunning() || m_pairingShown || !address)
        return;
    // What a pad scans to connect: the address and port of the status line.
    const QString code = *address + u':' + QString::number(m_server->port());
    m_pairingShown = true;
    print(m_out, u"Pairing code: "_s + code);
    // With the phone pad the QR code is its link, which the desktop pad reads as well.
    if (!m_server->webPadEnabled())
        showQrCode(code);
}

void HeadlessServer::onWebPadChanged()
{
    if (!m_pairingShown || m_qrShown)
        return;
    if (const std::optional<QString> url = m_server->webPadUrl()) {
        // The link holds the pairing secret: not for the journal.
        print(m_out, u"Phone pad: "_s + (m_options.quiet ? url->section(u'#', 0, 0) +
                                                               u" (huebench-server --pad-link "
                                                               u"shows the pairing link)"_s
                                                         : *url));
        showQrCode(*url);
    } else if (!m_server->isWebPadRunning() && m_server->isRunning()) {
        // It could not start: the pads' code is what can be scanned.
        showQrCode(*m_server->readyAddress() + u':' + QString::number(m_server->port()));
    }
}

void HeadlessServer::showQrCode(const QString &text)
{
    m_qrShown = true;
    if (!m_options.quiet)
        print(m_out, terminalQrCode(text));
}

void HeadlessServer::print(std::FILE *to, const QString &line)
{
    const QByteArray bytes = (line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

} // namespace hb
