#pragma once

#include "platform/keyboard/AppActivator.h"
#include "platform/keyboard/KeyEventPoster.h"

#include <QString>

#include <functional>

namespace hb {

using Activation = AppActivator::Activation;
using Record = std::function<void(const QString &)>;

// The keyboard and the window system for server tests: records, on the server's worker thread, the
// key presses, activations and pauses asked of them. A `problem` makes the keyboard unavailable.
struct Recorder : KeyEventPoster, AppActivator {
    Recorder(Record log, QString reason = {}, Activation answer = Activation::Activated)
        : record(std::move(log)), problem(std::move(reason)), activation(answer)
    {
    }
    bool isAvailable() const override { return problem.isEmpty(); }
    QString unavailableReason() const override { return problem; }
    void postKeyPress(quint16 code, quint64 modifiers) override
    {
        record(QStringLiteral("key %1 %2").arg(code).arg(modifiers, 0, 16));
    }
    void setLostHandler(LostHandler handler) override { lost = std::move(handler); }
    Activation activate(const QString &window) override
    {
        record(QStringLiteral("activate ") + window);
        return activation;
    }
    Record record;
    QString problem;
    Activation activation;
    LostHandler lost;
};
} // namespace hb
