#pragma once

#include <QObject>
#include <QString>

namespace hb {

// Tells the application that a change to the user's settings was not saved. One object serves
// every Settings of the process (Settings::notifier()); it may emit on any thread, so receivers
// on the main thread connect with the default (queued across threads) connection type.
class SettingsNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    // `message` is a sentence for the user: which file and why, and what it means.
    void writeFailed(const QString &message);
};

} // namespace hb
