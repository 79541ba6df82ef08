#pragma once

#include "app/ToolCatalogue.h"

#include <QStandardItemModel>

#include <set>

namespace hb {

// The catalogue as a flat list model for the sidebar: the header, then each section's title
// followed by its tool rows. Only tool rows whose screen is available can be chosen.
class CatalogueModel : public QStandardItemModel {
    Q_OBJECT

public:
    enum class Kind { Header, Section, Tool };

    enum Role {
        KindRole = Qt::UserRole + 1,
        ToolRole,
        SymbolRole,
        PrimaryColorRole,
        SecondaryColorRole,
        SubtitleRole,
    };

    explicit CatalogueModel(const std::set<ToolId> &availableTools, QObject *parent = nullptr);

    static Kind kind(const QModelIndex &index);
    static ToolId tool(const QModelIndex &index);
    QModelIndex indexOf(ToolId tool) const;
};

} // namespace hb
