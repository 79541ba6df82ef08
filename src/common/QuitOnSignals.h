#pragma once

#include <QObject>

class QSocketNotifier;

namespace hb {

// Turns SIGINT and SIGTERM into a clean quit of the Qt event loop: the handler only writes a
// byte to a socket pair, and the loop reads it and emits `received`. One per process.
class QuitOnSignals : public QObject {
    Q_OBJECT

public:
    explicit QuitOnSignals(QObject *parent = nullptr);
    ~QuitOnSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace hb
