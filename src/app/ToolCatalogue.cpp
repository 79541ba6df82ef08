#include "app/ToolCatalogue.h"

namespace hb {
namespace {

QColor rgb(float r, float g, float b)
{
    return QColor::fromRgbF(r, g, b);
}

const QColor kViolet = rgb(0.48f, 0.36f, 1.0f);
const QColor kTeal = rgb(0.18f, 0.83f, 0.74f);
const QColor kOrange = rgb(0.99f, 0.62f, 0.22f);

} // namespace

const CatalogueHeader &ToolCatalogue::header()
{
    static const CatalogueHeader header{
        QStringLiteral("Huebench"),
        QStringLiteral("Pro tools including DadavezaRuz wireless controller."),
        QStringLiteral("paintpalette.fill"), kViolet, kTeal};
    return header;
}

const QList<CatalogueSection> &ToolCatalogue::sections()
{
    static const QList<CatalogueSection> sections{
        {QStringLiteral("Pro"),
         {
             {ToolId::DadavezaRuz, QStringLiteral("DadavezaRuz"),
              QStringLiteral("rectangle.grid.3x2.fill"), rgb(0.42f, 0.36f, 1.0f), kTeal},
         }},
        {QStringLiteral("Tools"),
         {
             {ToolId::MonitorCalibration, QStringLiteral("Monitor Calibration"),
              QStringLiteral("display.and.arrow.down"), kTeal, kViolet},
             {ToolId::FeetFrames, QStringLiteral("Feet & Frames"), QStringLiteral("film"), kViolet,
              kTeal},
             {ToolId::TextToFountain, QStringLiteral("Text to Fountain"),
              QStringLiteral("doc.plaintext"), kTeal, kViolet},
             {ToolId::DocToSrt, QStringLiteral("DOC to SRT"), QStringLiteral("captions.bubble"),
              kOrange, kTeal},
             {ToolId::ProjectPrepChecklist, QStringLiteral("Project Prep Checklist"),
              QStringLiteral("checklist"), kTeal, rgb(0.28f, 0.72f, 0.33f)},
             {ToolId::BouncingMonitors, QStringLiteral("Bouncing Monitors"),
              QStringLiteral("display.2"), kOrange, kViolet},
             {ToolId::ColorInvaders, QStringLiteral("Color Invaders"), QStringLiteral("scope"),
              kTeal, kOrange},
             {ToolId::YouTubeSearch, QStringLiteral("YouTube Search"),
              QStringLiteral("play.rectangle"), rgb(1.0f, 0.27f, 0.27f), rgb(0.95f, 0.96f, 1.0f)},
             {ToolId::DadavezaRuzServer, QStringLiteral("DadavezaRuz Server"),
              QStringLiteral("command.square.fill"), kTeal, kViolet},
             {ToolId::MogrtToFusion, QStringLiteral("MOGRT \u2192 Fusion"),
              QStringLiteral("arrow.left.arrow.right"), kViolet, kTeal},
         }},
    };
    return sections;
}

QString ToolCatalogue::sidebarTitle()
{
    return QStringLiteral("Tools");
}

QString ToolCatalogue::placeholderText()
{
    return QStringLiteral("Select an item");
}

QString ToolCatalogue::key(ToolId tool)
{
    switch (tool) {
    case ToolId::DadavezaRuz:
        return QStringLiteral("pad");
    case ToolId::MonitorCalibration:
        return QStringLiteral("calibration");
    case ToolId::FeetFrames:
        return QStringLiteral("feet-frames");
    case ToolId::TextToFountain:
        return QStringLiteral("text-to-fountain");
    case ToolId::DocToSrt:
        return QStringLiteral("doc-to-srt");
    case ToolId::ProjectPrepChecklist:
        return QStringLiteral("prep-checklist");
    case ToolId::BouncingMonitors:
        return QStringLiteral("bouncing-monitors");
    case ToolId::ColorInvaders:
        return QStringLiteral("color-invaders");
    case ToolId::YouTubeSearch:
        return QStringLiteral("tutorial-browser");
    case ToolId::DadavezaRuzServer:
        return QStringLiteral("shortcut-server");
    case ToolId::MogrtToFusion:
        return QStringLiteral("templates");
    }
    return {};
}

std::optional<ToolId> ToolCatalogue::toolForKey(QStringView key)
{
    for (const CatalogueSection &section : sections()) {
        for (const CatalogueRow &row : section.rows) {
            if (ToolCatalogue::key(row.id) == key)
                return row.id;
        }
    }
    return std::nullopt;
}

QString ToolCatalogue::helpHeading(ToolId tool)
{
    switch (tool) {
    case ToolId::DadavezaRuz:
        return QStringLiteral("The pad");
    case ToolId::MonitorCalibration:
        return QStringLiteral("Monitor calibration");
    case ToolId::FeetFrames:
        return QStringLiteral("Feet and frames");
    case ToolId::TextToFountain:
        return QStringLiteral("Text to Fountain");
    case ToolId::DocToSrt:
        return QStringLiteral("Word transcripts to subtitles");
    case ToolId::ProjectPrepChecklist:
        return QStringLiteral("Project prep checklist");
    case ToolId::BouncingMonitors:
    case ToolId::ColorInvaders:
        return QStringLiteral("Games");
    case ToolId::YouTubeSearch:
        return QStringLiteral("Tutorial browser");
    case ToolId::DadavezaRuzServer:
        return QStringLiteral("The shortcut server");
    case ToolId::MogrtToFusion:
        return QStringLiteral("Templates to Fusion macros");
    }
    return {};
}

} // namespace hb
