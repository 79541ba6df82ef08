#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

namespace hb {

// Every tool the catalogue can open.
enum class ToolId {
    DadavezaRuz,
    MonitorCalibration,
    FeetFrames,
    TextToFountain,
    DocToSrt,
    ProjectPrepChecklist,
    BouncingMonitors,
    ColorInvaders,
    YouTubeSearch,
    DadavezaRuzServer,
    MogrtToFusion,
};

// One catalogue row: a title beside a symbol drawn in two colours.
struct CatalogueRow {
    ToolId id;
    QString title;
    QString symbol;
    QColor primary;
    QColor secondary;
};

struct CatalogueSection {
    QString title;
    QList<CatalogueRow> rows;
};

// The header at the top of the catalogue (not a link).
struct CatalogueHeader {
    QString title;
    QString subtitle;
    QString symbol;
    QColor primary;
    QColor secondary;
};

// The fixed contents of the tool catalogue, in display order.
class ToolCatalogue {
public:
    static const CatalogueHeader &header();
    static const QList<CatalogueSection> &sections();
    // The sidebar column's title.
    static QString sidebarTitle();
    // What the detail column shows before a row is chosen.
    static QString placeholderText();

    // A tool's name in the settings file; stable across releases.
    static QString key(ToolId tool);
    static std::optional<ToolId> toolForKey(QStringView key);
    // The heading of the README section that explains the tool.
    static QString helpHeading(ToolId tool);
};

} // namespace hb
