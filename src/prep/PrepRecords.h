#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace hb {

// A post-production project with notes and a checklist. Times are UTC with millisecond
// precision (stored as milliseconds since 1970-01-01 UTC).
struct PrepProject {
    qint64 id = 0;
    QString name;
    QString notes;
    QDateTime createdAt;
    QDateTime updatedAt;
    friend bool operator==(const PrepProject &, const PrepProject &) = default;
};

// One checklist item of a project.
struct PrepTask {
    qint64 id = 0;
    QString title;
    QString details;
    bool isDone = false;
    QDateTime createdAt;
    QDateTime updatedAt;
    qint64 sortOrder = 0;
    std::optional<qint64> project;
    friend bool operator==(const PrepTask &, const PrepTask &) = default;
};

} // namespace hb
