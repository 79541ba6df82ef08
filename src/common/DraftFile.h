#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace hb {

// A text the user is typing, kept in a file of its own so that it comes back after a restart.
// Changes are written a moment after typing pauses, and at once when the application is asked
// to save (session end, SIGTERM, quit) and when the draft is destroyed. Writes replace the file
// as a whole; a failed write leaves the last good copy.
class DraftFile : public QObject {
    Q_OBJECT

public:
    static constexpr int kDelayMilliseconds = 500;

    // An empty path keeps nothing.
    explicit DraftFile(QString path, QObject *parent = nullptr);
    ~DraftFile() override;

    // The saved text; empty when there is none or it cannot be read.
    QString load() const;
    // Schedules the text to be written.
    void save(const QString &text);
    // Writes a scheduled text now.
    void flush();
    // The reason the last write failed; empty after a good one.
    QString errorText() const { return m_errorText; }

Q_SIGNALS:
    void errorChanged(const QString &text);

private:
    // Returns the reason of a failure.
    QString write();

    QString m_path;
    QString m_pending;
    QString m_errorText;
    QTimer *m_timer;
    bool m_dirty = false;
};

} // namespace hb
