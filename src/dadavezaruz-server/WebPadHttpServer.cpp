#include "dadavezaruz-server/WebPadHttpServer.h"

#include "common/IconLibrary.h"
#include "dadavezaruz-server/ControllerAccess.h"
#include "dadavezaruz-server/WebPadOrigin.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>

namespace hb {
namespace {

using namespace Qt::StringLiterals;
using Status = QHttpServerResponder::StatusCode;

struct Asset {
    const char *path;
    const char *resource;
    const char *type;
};

// The page is fetched afresh each time (it may change with an update of this program); the rest
// is named by the page, which changes with it.
constexpr Asset kAssets[] = {
    {"/", ":/webpad/index.html", "text/html; charset=utf-8"},
    {"/pad.js", ":/webpad/pad.js", "text/javascript; charset=utf-8"},
    {"/pad.css", ":/webpad/pad.css", "text/css; charset=utf-8"},
    {"/manifest.webmanifest", ":/webpad/manifest.webmanifest", "application/manifest+json"},
    {"/icon-192.png", ":/webpad/icon-192.png", "image/png"},
    {"/icon-512.png", ":/webpad/icon-512.png", "image/png"},
};

const QString kIconPrefix = u"/icons/"_s;
const QString kIconSuffix = u".svg"_s;
const QString kImagePrefix = u"/images/"_s;
const QString kSocketPath = u"/socket"_s;

// Everything the page needs comes from here; nothing may frame it.
const QByteArray kPolicy = "default-src 'self'; img-src 'self'; style-src 'self'; "
                           "script-src 'self'; connect-src 'self'; manifest-src 'self'; "
                           "frame-ancestors 'none'; base-uri 'none'; form-action 'none'";

void respond(QHttpServerResponder &responder, Status status, const QByteArray &type,
             const QByteArray &body, const QByteArray &cache)
{
    responder.writeStatusLine(status);
    responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Cache-Control", cache);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("X-Frame-Options", "DENY");
    responder.writeHeader("Content-Security-Policy", kPolicy);
    responder.writeBody(body);
}

void respondText(QHttpServerResponder &responder, Status status, const QByteArray &text)
{
    respond(responder, status, "text/plain; charset=utf-8", text + '\n', "no-store");
}

bool isUpgrade(const QHttpServerRequest &request)
{
    return request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

QByteArray resource(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

WebPadHttpServer::WebPadHttpServer(QStringList ownNames, QObject *parent)
    : QAbstractHttpServer(parent), m_ownNames(std::move(ownNames)),
      m_snapshot(std::make_shared<WebPadSnapshot>())
{
}

void WebPadHttpServer::setSnapshot(std::shared_ptr<const WebPadSnapshot> snapshot)
{
    m_snapshot = std::move(snapshot);
}

bool WebPadHttpServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    const QString host = QString::fromLatin1(request.value("host"));
    if (isUpgrade(request)) {
        // Handled means "upgrade it"; anything else gets the missing handler's answer.
        return request.url().path() == kSocketPath &&
               WebPadOrigin::isAcceptableHost(host, m_ownNames) &&
               WebPadOrigin::isSameOrigin(QString::fromLatin1(request.value("origin")), host);
    }
    QHttpServerResponder responder = makeResponder(request, socket);
    if (!WebPadOrigin::isAcceptableHost(host, m_ownNames)) {
        respondText(responder, Status::MisdirectedRequest, "This server answers only by address.");
        return true;
    }
    if (request.method() != QHttpServerRequest::Method::Get) {
        respondText(responder, Status::MethodNotAllowed, "Only GET is served here.");
        return true;
    }
    const QString path = request.url().path();
    for (const Asset &asset : kAssets) {
        if (path == QLatin1StringView(asset.path)) {
            const bool page = path == u"/";
            respond(responder, Status::Ok, asset.type,
                    resource(QString::fromLatin1(asset.resource)),
                    page ? "no-cache" : "max-age=300");
            return true;
        }
    }
    if (path.startsWith(kIconPrefix) && path.endsWith(kIconSuffix)) {
        const QString symbol =
            path.mid(kIconPrefix.size(), path.size() - kIconPrefix.size() - kIconSuffix.size());
        respond(responder, Status::Ok, "image/svg+xml", resource(IconLibrary::iconFile(symbol)),
                "max-age=86400");
        return true;
    }
    if (path.startsWith(kImagePrefix)) {
        const auto image = m_snapshot->images.constFind(path.mid(kImagePrefix.size()));
        if (image != m_snapshot->images.cend()) {
            // Named by the hash of its bytes: the same name always means the same picture.
            respond(responder, Status::Ok, WebPadSnapshot::imageType(*image), *image,
                    "max-age=31536000, immutable");
            return true;
        }
    }
    return false;
}

void WebPadHttpServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QHttpServerResponder responder = makeResponder(request, socket);
    if (isUpgrade(request)) {
        Q_EMIT socketRefused(ControllerAccess::addressText(request.remoteAddress()));
        respondText(responder, Status::Forbidden, "Only the pad's own page may open its socket.");
        return;
    }
    respondText(responder, Status::NotFound, "Not found.");
}

} // namespace hb
