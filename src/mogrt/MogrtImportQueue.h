#pragma once

#include "mogrt/MogrtConverter.h"
#include "mogrt/MogrtLibrary.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <optional>

class QThread;

namespace hb {

// Imports templates into the library one after another on the worker thread "MogrtImport",
// so a screen stays responsive while large files convert. Batches queue up; each reports its
// progress and, at its end, every file's outcome, on the thread that owns the queue.
class MogrtImportQueue : public QObject {
    Q_OBJECT

public:
    struct Outcome {
        QString source;
        std::optional<QString> stored; // the library file, when the import worked
        QString error;                 // the failure's description otherwise
        bool usesDefaults = false;     // stored, but none of the template's controls is known
    };

    explicit MogrtImportQueue(MogrtLibrary library, ArchiveLimits limits = {},
                              QObject *parent = nullptr);
    // Waits for the file being converted, drops the rest.
    ~MogrtImportQueue() override;

    void importFiles(const QStringList &paths);
    bool isBusy() const { return m_pendingBatches > 0; }

Q_SIGNALS:
    void progressChanged(int done, int total);
    void batchFinished(const QList<hb::MogrtImportQueue::Outcome> &outcomes);

private:
    MogrtLibrary m_library;
    ArchiveLimits m_limits;
    QThread *m_thread;
    QObject *m_worker;
    int m_pendingBatches = 0;
};

} // namespace hb
