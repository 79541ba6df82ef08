#pragma once

#include "common/Expected.h"
#include "prep/PrepRecords.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>

#include <optional>

namespace hb {

class ModelStore;

// The projects as the list shows them (most recently updated first), kept current: after every
// change the store commits it reads the projects' stamps, fetches only the projects whose stamp
// moved, and inserts, removes, moves or updates just their rows. Many changes at once (more than
// kIncrementalLimit) read everything again and reset. An optional search keeps the projects
// whose name or notes contain the text, without regard to case; it filters the projects already
// read, without a query.
class PrepProjectListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { ProjectIdRole = Qt::UserRole + 1, NotesRole };
    static constexpr qsizetype kIncrementalLimit = 100;

    explicit PrepProjectListModel(ModelStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    // DisplayRole: the name; NotesRole: the notes; ProjectIdRole: the id.
    QVariant data(const QModelIndex &index, int role) const override;

    QString searchText() const { return m_search; }
    void setSearchText(const QString &text);
    // The rows as shown.
    const QList<PrepProject> &projects() const { return m_shown; }
    // The row showing the project, or -1.
    int rowOf(qint64 projectId) const;
    // A read failure, or empty. A failed read keeps the rows as they were.
    QString errorText() const { return m_error; }
    // Brings the rows up to date with the store (done after each of its changes).
    void refresh();

Q_SIGNALS:
    void errorTextChanged();

private:
    struct Known {
        PrepProjectStamp stamp;
        quint32 generation = 0;
    };

    void reloadAll();
    // The project `id` is now `current` (nullopt: it is gone).
    void apply(qint64 id, const std::optional<PrepProject> &current);
    bool matches(const PrepProject &project) const;
    // The projects the search keeps, in list order.
    QList<PrepProject> filtered() const;
    void setError(const QString &text);

    ModelStore &m_store;
    QString m_search;
    bool m_loaded = false;
    // Every project in list order, and what was read of each.
    QList<PrepProject> m_all;
    QHash<qint64, Known> m_known;
    quint32 m_generation = 0;
    QList<PrepProject> m_shown;
    QString m_error;
};

} // namespace hb
