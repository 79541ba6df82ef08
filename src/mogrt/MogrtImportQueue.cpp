#include "mogrt/MogrtImportQueue.h"

#include "mogrt/MogrtImport.h"

#include <QPointer>
#include <QThread>

#include <atomic>

namespace hb {

MogrtImportQueue::MogrtImportQueue(MogrtLibrary library, ArchiveLimits limits, QObject *parent)
    : QObject(parent), m_library(std::move(library)), m_limits(limits), m_thread(new QThread(this)),
      m_worker(new QObject)
{
    m_thread->setObjectName(QStringLiteral("MogrtImport"));
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

MogrtImportQueue::~MogrtImportQueue()
{
    m_thread->requestInterruption();
    m_thread->quit();
    m_thread->wait();
}

void MogrtImportQueue::importFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    ++m_pendingBatches;
    QPointer<MogrtImportQueue> self(this);
    QMetaObject::invokeMethod(m_worker, [self, paths, library = m_library, limits = m_limits] {
        QList<Outcome> outcomes;
        for (const QString &path : paths) {
            if (QThread::currentThread()->isInterruptionRequested())
                return;
            MogrtConversionNotes notes;
            const auto stored = importMogrt(path, library, limits, &notes);
            outcomes.append(stored ? Outcome{path, *stored, {}, notes.recognisedControls == 0}
                                   : Outcome{path, std::nullopt, stored.error().description});
            const int done = int(outcomes.size());
            QMetaObject::invokeMethod(self, [self, done, total = int(paths.size())] {
                if (self)
                    Q_EMIT self->progressChanged(done, total);
            });
        }
        QMetaObject::invokeMethod(self, [self, outcomes] {
            if (!self)
                return;
            --self->m_pendingBatches;
            Q_EMIT self->batchFinished(outcomes);
        });
    });
}

} // namespace hb
