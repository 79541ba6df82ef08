#pragma once

#include <QObject>

namespace hb {

// The moments the application must not lose what is still waiting to be written: the desktop
// session ending, a termination request (SIGTERM) and the ordinary quit. Whatever holds unsaved
// work (an editor's pending autosave, for one) connects to saveRequested() and writes it at
// once, on the main thread, before the call returns.
class AppLifecycle : public QObject {
    Q_OBJECT

public:
    static AppLifecycle &instance();

    // Emits saveRequested(); the application calls it, tests too.
    void requestSave();

Q_SIGNALS:
    void saveRequested();

private:
    AppLifecycle() = default;
};

} // namespace hb
