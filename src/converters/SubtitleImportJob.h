#pragma once

#include "common/Expected.h"
#include "converters/DocToSRTImport.h"

#include <QObject>

#include <memory>

namespace hb {

// One Word transcript read on the application's thread pool, for a screen on the main thread.
// The read owns its state, not this object: cancelling or destroying the job only raises the
// flag the reader polls and returns at once; the read then stops soon by itself and its result
// is dropped. QCoreApplication waits for the pool on exit, so no read outlives the process.
class SubtitleImportJob : public QObject {
    Q_OBJECT

public:
    explicit SubtitleImportJob(QObject *parent = nullptr);
    ~SubtitleImportJob() override;

    SubtitleImportJob(const SubtitleImportJob &) = delete;
    SubtitleImportJob &operator=(const SubtitleImportJob &) = delete;

    // Starts reading `path`, giving up on a read still running.
    void start(const QString &path, const SubtitleOptions &options);
    // Gives up on the running read; finished() is not emitted for it.
    void cancel();
    bool isRunning() const { return m_state != nullptr; }

Q_SIGNALS:
    void finished(const hb::Expected<hb::DocToSRTResult> &result);

private:
    struct State;

    void deliver(const std::shared_ptr<State> &state, const Expected<DocToSRTResult> &result);

    std::shared_ptr<State> m_state; // of the running read
};

} // namespace hb
