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

} // namespace hb
