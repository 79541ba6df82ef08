#pragma once

#include "dadavezaruz-server/ControllerAccess.h"

#include <QHostAddress>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace hb {

class AppActivator;
class KeyEventPoster;
class ServicePublisher;

// What the server asks of the system. The key poster and the activator are made on the
// server's worker thread and used only there; the publisher lives on the main thread.
struct DadavezaRuzServerPlatform {
    std::function<std::unique_ptr<KeyEventPoster>()> makePoster;
    std::function<std::unique_ptr<AppActivator>()> makeActivator;
    std::function<std::unique_ptr<ServicePublisher>()> makePublisher; // may be empty
    std::function<std::optional<QString>()> localAddress;
    QHostAddress listenAddress = QHostAddress::Any;
    // Which controllers are served at once, need approval, or are refused; by their address.
    std::function<ControllerAccess::Kind(const QHostAddress &)> classifyPeer =
        &ControllerAccess::classify;
};

} // namespace hb
