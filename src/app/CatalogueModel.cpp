#include "app/CatalogueModel.h"

namespace hb {
namespace {

QStandardItem *makeItem(CatalogueModel::Kind kind, const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setData(QVariant::fromValue(int(kind)), CatalogueModel::KindRole);
    item->setEditable(false);
    item->setSelectable(false);
    return item;
}

} // namespace

CatalogueModel::CatalogueModel(const std::set<ToolId> &availableTools, QObject *parent)
    : QStandardItemModel(parent)
{
    const CatalogueHeader &header = ToolCatalogue::header();
    QStandardItem *headerItem = makeItem(Kind::Header, header.title);
    headerItem->setData(header.subtitle, SubtitleRole);
    headerItem->setData(header.symbol, SymbolRole);
    headerItem->setData(header.primary, PrimaryColorRole);
    headerItem->setData(header.secondary, SecondaryColorRole);
    appendRow(headerItem);

    for (const CatalogueSection &section : ToolCatalogue::sections()) {
        appendRow(makeItem(Kind::Section, section.title));
        for (const CatalogueRow &row : section.rows) {
            QStandardItem *item = makeItem(Kind::Tool, row.title);
            item->setData(int(row.id), ToolRole);
            item->setData(row.symbol, SymbolRole);
            item->setData(row.primary, PrimaryColorRole);
            item->setData(row.secondary, SecondaryColorRole);
            const bool available = availableTools.contains(row.id);
            item->setEnabled(available);
            item->setSelectable(available);
            appendRow(item);
        }
    }
}

CatalogueModel::Kind CatalogueModel::kind(const QModelIndex &index)
{
    return Kind(index.data(KindRole).toInt());
}

ToolId CatalogueModel::tool(const QModelIndex &index)
{
    return ToolId(index.data(ToolRole).toInt());
}

QModelIndex CatalogueModel::indexOf(ToolId toolId) const
{
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex candidate = index(row, 0);
        if (kind(candidate) == Kind::Tool && tool(candidate) == toolId)
            return candidate;
    }
    return {};
}

} // namespace hb
