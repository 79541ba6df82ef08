#pragma once

#include "dadavezaruz-server/ControllerAccess.h"

#include <QHostAddress>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

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
    // Whether an address belongs to this machine (a pad here that connects through the local
    // network address is served like one on loopback). Called on the worker thread.
    std::function<bool(const QHostAddress &)> isOwnAddress;
    // Blocks the worker thread while an activated window comes to the front.
    std::function<void(std::chrono::milliseconds)> pause = [](std::chrono::milliseconds time) {
        std::this_thread::sleep_for(time);
    };
    // Runs `then` on the worker thread once `time` has passed, without blocking it meanwhile
    // (the pauses inside a key sequence); never once `context` is gone.
    std::function<void(QObject *context, std::chrono::milliseconds time,
                       std::function<void()> then)>
        later = [](QObject *context, std::chrono::milliseconds time, std::function<void()> then) {
            QTimer::singleShot(time, Qt::PreciseTimer, context, std::move(then));
        };
};

} // namespace hb
