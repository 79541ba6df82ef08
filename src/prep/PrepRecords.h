#pragma once

#include <QDateTime>
#include <QList>
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

// A project with every task it holds (in id order): what putting it back after a deletion needs.
struct PrepProjectSnapshot {
    PrepProject project;
    QList<PrepTask> tasks;
    friend bool operator==(const PrepProjectSnapshot &, const PrepProjectSnapshot &) = default;
};

// What tells, without reading a project's texts, that it changed since it was read: every change
// of the checklist moves updatedAt, and an edit in the same millisecond almost always changes a
// length. Lengths are counted by the store (in characters), not as QString sizes.
struct PrepProjectStamp {
    qint64 id = 0;
    qint64 updatedAtMs = 0;
    qint64 nameLength = 0;
    qint64 notesLength = 0;
    friend bool operator==(const PrepProjectStamp &, const PrepProjectStamp &) = default;
};

} // namespace hb
