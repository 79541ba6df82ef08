#pragma once

#include "mogrt/MogrtLibrary.h"

#include <QAbstractListModel>

#include <functional>

namespace hb {

// How an undo command of the library says that its undo or redo failed.
using MogrtUndoReport = std::function<void(bool undoing, const QString &description)>;

// The library's templates as a list, in library order. Changes arrive one template at a time as
// row inserts, removes and moves, so that a view over thousands of templates redraws only what
// changed; only `setItems` (reading the whole folder again) resets the list.
class MogrtLibraryModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole, // the item's id (its path)
        FileNameRole,          // the file's name with its extension
    };

    explicit MogrtLibraryModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QList<LibraryItem> &items() const { return m_items; }
    // The items, already in library order.
    void setItems(QList<LibraryItem> items);

    // -1 when the id is not listed.
    int rowOf(const QString &id) const;
    // Inserts the item at its place in library order and gives its row; an item already listed
    // keeps its row.
    int insert(const LibraryItem &item);
    bool remove(const QString &id);
    // The item with this id becomes `item` (a renamed file) and moves to its place; gives its
    // row, or -1 when the id is not listed.
    int replace(const QString &id, const LibraryItem &item);

private:
    // Where the name goes in library order, among the rows other than `skipped`.
    int placeFor(const QString &displayName, int skipped = -1) const;

    QList<LibraryItem> m_items;
};

} // namespace hb
