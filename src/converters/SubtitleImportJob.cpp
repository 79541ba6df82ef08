#include "converters/SubtitleImportJob.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <atomic>

namespace hb {

// What a read shares with its job; the pool's task keeps it alive after the job is gone.
struct SubtitleImportJob::State {
    std::atomic_bool cancelled = false;
};

SubtitleImportJob::SubtitleImportJob(QObject *parent) : QObject(parent) {}

SubtitleImportJob::~SubtitleImportJob()
{
    cancel();
}

void SubtitleImportJob::start(const QString &path, const SubtitleOptions &options)
{
    cancel();
    auto state = std::make_shared<State>();
    m_state = state;
    QPointer<SubtitleImportJob> job(this);
    QThreadPool::globalInstance()->start([state, path, options, job] {
        Expected<DocToSRTResult> result =
            DocToSRTImport::importFile(path, options, &state->cancelled);
        // Back on the main thread, where `job` may only be looked at; the application object
        // outlives every screen, so the call cannot reach a destroyed receiver.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [state, job, result = std::move(result)] {
                if (job)
                    job->deliver(state, result);
            },
            Qt::QueuedConnection);
    });
}

void SubtitleImportJob::cancel()
{
    if (m_state)
        m_state->cancelled = true;
    m_state.reset();
}

void SubtitleImportJob::deliver(const std::shared_ptr<State> &state,
                                const Expected<DocToSRTResult> &result)
{
    if (state != m_state)
        return; // a read given up on
    m_state.reset();
    Q_EMIT finished(result);
}

} // namespace hb
