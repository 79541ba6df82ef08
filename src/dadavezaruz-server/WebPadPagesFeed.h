#pragma once

#include "dadavezaruz-server/WebPadSnapshot.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace hb {

class ModelStore;

// The pad's pages, read from the store for the phones and read again whenever they change: at
// once after a change made in this process, and within a second after one made by another process
// on the same store file (both through the store's changed()). Lives on the main thread with the
// store.
class WebPadPagesFeed : public QObject {
    Q_OBJECT

public:
    static constexpr int kPollIntervalMs = 1000;

    explicit WebPadPagesFeed(ModelStore &store, QObject *parent = nullptr);

    // Seeds the default pages when the store holds none, reads the pages, and follows changes.
    void start();
    // The latest pages read; an empty snapshot before start() or while the store cannot be read.
    std::shared_ptr<const WebPadSnapshot> snapshot() const { return m_snapshot; }
    // Why the pages could not be read last time, or empty.
    QString problem() const { return m_problem; }

Q_SIGNALS:
    void snapshotChanged(std::shared_ptr<const WebPadSnapshot> snapshot);

private:
    void read();

    ModelStore &m_store;
    std::shared_ptr<const WebPadSnapshot> m_snapshot;
    QString m_problem;
    QTimer m_readSoon;
};

} // namespace hb
