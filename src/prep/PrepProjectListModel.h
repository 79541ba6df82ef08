#pragma once

#include "common/Expected.h"
#include "prep/PrepRecords.h"

#include <QAbstractListModel>
#include <QList>

namespace hb {

class ModelStore;

// The projects as the list shows them (most recently updated first), kept current: it reloads
// after every change the store commits. An optional search keeps the projects whose name or
// notes contain the text, without regard to case.
class PrepProjectListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { ProjectIdRole = Qt::UserRole + 1, NotesRole };

    explicit PrepProjectListModel(ModelStore &store, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    // DisplayRole: the name; NotesRole: the notes; ProjectIdRole: the id.
    QVariant data(const QModelIndex &index, int role) const override;

    QString searchText() const { return m_search; }
    void setSearchText(const QString &text);
    // The rows as shown.
    const QList<PrepProject> &projects() const { return m_shown; }
    // Deletes the projects at these rows (positions in the list as shown).
    Expected<Done> deleteRows(const QList<int> &rows);
    // A read failure, or empty.
    QString errorText() const { return m_error; }

private:
    void reload();

    ModelStore &m_store;
    QString m_search;
    QList<PrepProject> m_shown;
    QString m_error;
};

} // namespace hb
