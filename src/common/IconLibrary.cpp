#include "common/IconLibrary.h"

#include <QCache>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>

#include <iterator>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

struct Entry {
    QLatin1StringView symbol;
    QLatin1StringView file;
};

// Symbol name -> file in resources/icons/. scripts/fetch-icons reads the quoted file names
// of this file to know which icons to bundle: name a file here, then run it. A file is
// <icon>-<weight>.svg; the duotone weight is the default, so catalogue rows show both of their
// colours. Where two names differ only by ".fill", the other one takes the fill weight (or the
// plain line weight, when the ".fill" name is the two-colour one) so the two stay apart. A few
// glyphs whose duotone layer is a backdrop square or a filled triangle use the line weight too.
constexpr Entry kTable[] = {
    // catalogue
    {"paintpalette.fill"_L1, "palette-duotone.svg"_L1},
    {"rectangle.grid.3x2.fill"_L1, "squares-four-duotone.svg"_L1},
    {"display.and.arrow.down"_L1, "monitor-arrow-up-duotone.svg"_L1},
    {"film"_L1, "film-strip-duotone.svg"_L1},
    {"doc.plaintext"_L1, "file-text-duotone.svg"_L1},
    {"captions.bubble"_L1, "subtitles-duotone.svg"_L1},
    {"checklist"_L1, "list-checks-duotone.svg"_L1},
    {"display.2"_L1, "browsers-duotone.svg"_L1},
    {"scope"_L1, "crosshair-duotone.svg"_L1},
    {"play.rectangle"_L1, "youtube-logo-duotone.svg"_L1},
    {"command.square.fill"_L1, "command-duotone.svg"_L1},
    {"arrow.left.arrow.right"_L1, "arrows-left-right-duotone.svg"_L1},
    // pad presets and the new button
    {"paintpalette"_L1, "palette-regular.svg"_L1},
    {"timeline.selection"_L1, "brackets-square-duotone.svg"_L1},
    {"scissors"_L1, "scissors-duotone.svg"_L1},
    {"arrow.up.doc"_L1, "file-arrow-up-duotone.svg"_L1},
    {"playpause.fill"_L1, "play-pause-duotone.svg"_L1},
    {"backward.fill"_L1, "rewind-duotone.svg"_L1},
    {"forward.fill"_L1, "fast-forward-duotone.svg"_L1},
    {"stop.fill"_L1, "stop-duotone.svg"_L1},
    {"i.circle.fill"_L1, "info-duotone.svg"_L1},
    {"o.circle.fill"_L1, "number-circle-zero-duotone.svg"_L1},
    {"plus.rectangle.fill"_L1, "plus-square-duotone.svg"_L1},
    {"arrow.counterclockwise"_L1, "arrow-counter-clockwise-duotone.svg"_L1},
    {"arrow.uturn.backward"_L1, "arrow-u-up-left-duotone.svg"_L1},
    {"arrow.uturn.forward"_L1, "arrow-u-up-right-duotone.svg"_L1},
    {"flag.fill"_L1, "flag-duotone.svg"_L1},
    {"arrow.up.left.and.arrow.down.right"_L1, "arrows-out-duotone.svg"_L1},
    {"square.and.arrow.up"_L1, "export-duotone.svg"_L1},
    {"dot.radiowaves.left.and.right"_L1, "broadcast-duotone.svg"_L1},
    {"stop.circle"_L1, "stop-circle-duotone.svg"_L1},
    {"record.circle"_L1, "record-duotone.svg"_L1},
    {"stop.circle.fill"_L1, "stop-circle-fill.svg"_L1},
    {"1.square.fill"_L1, "number-square-one-duotone.svg"_L1},
    {"2.square.fill"_L1, "number-square-two-duotone.svg"_L1},
    {"3.square.fill"_L1, "number-square-three-duotone.svg"_L1},
    {"4.square.fill"_L1, "number-square-four-duotone.svg"_L1},
    {"mic.slash.fill"_L1, "microphone-slash-duotone.svg"_L1},
    {"camera.fill"_L1, "camera-duotone.svg"_L1},
    {"bolt.fill"_L1, "lightning-duotone.svg"_L1},
    // screens
    {"wifi"_L1, "wifi-high-duotone.svg"_L1},
    {"wifi.slash"_L1, "wifi-slash-duotone.svg"_L1},
    {"plus"_L1, "plus-regular.svg"_L1},
    {"pencil"_L1, "pencil-simple-duotone.svg"_L1},
    {"trash"_L1, "trash-duotone.svg"_L1},
    {"rectangle.grid.3x2"_L1, "squares-four-regular.svg"_L1},
    {"wifi.circle"_L1, "network-duotone.svg"_L1},
    {"gear"_L1, "gear-duotone.svg"_L1},
    {"desktopcomputer"_L1, "desktop-duotone.svg"_L1},
    {"chevron.right"_L1, "caret-right-regular.svg"_L1},
    {"clock.arrow.circlepath"_L1, "clock-counter-clockwise-duotone.svg"_L1},
    {"checkmark"_L1, "check-regular.svg"_L1},
    {"arrow.right.circle.fill"_L1, "arrow-circle-right-duotone.svg"_L1},
    {"qrcode.viewfinder"_L1, "qr-code-duotone.svg"_L1},
    {"pencil.circle.fill"_L1, "pencil-circle-duotone.svg"_L1},
    {"plus.circle.fill"_L1, "plus-circle-duotone.svg"_L1},
    {"display"_L1, "monitor-duotone.svg"_L1},
    {"checkmark.circle.fill"_L1, "check-circle-duotone.svg"_L1},
    {"circle"_L1, "circle-duotone.svg"_L1},
    {"heart"_L1, "heart-regular.svg"_L1},
    {"heart.fill"_L1, "heart-fill.svg"_L1},
};

constexpr auto kFallbackFile = "question-duotone.svg"_L1;
constexpr auto kResourcePrefix = ":/icons/"_L1;

// Alpha of the background layer in single-colour use: enough to tell an outlined glyph from
// its filled twin, faint enough that the outline stays the shape.
constexpr float kMonochromeLayerAlpha = 0.35f;
constexpr float kDisabledAlphaFactor = 0.4f;

// Rendered images are kept up to this many kilobytes; a pad page repaints the same few
// icons on every animation frame.
constexpr qsizetype kImageCacheKilobytes = 4096;

// Placeholders for the colour attributes in a prepared SVG text.
constexpr QByteArrayView kPrimaryToken = "@primary@";
constexpr QByteArrayView kSecondaryToken = "@secondary@";

struct RenderCache {
    QMutex mutex;
    QHash<QString, QByteArray> templates; // resource path -> prepared SVG text
    QCache<QString, QImage> images{kImageCacheKilobytes};
};

RenderCache &renderCache()
{
    static RenderCache cache;
    return cache;
}

const QHash<QString, QString> &fileBySymbol()
{
    static const QHash<QString, QString> files = [] {
        QHash<QString, QString> map;
        map.reserve(qsizetype(std::size(kTable)));
        for (const Entry &entry : kTable)
            map.insert(entry.symbol, kResourcePrefix + entry.file);
        return map;
    }();
    return files;
}

// The icon set's files paint the outline layer with the root's fill="currentColor" and mark
// the background layer with a low opacity. Both become placeholders for colour attributes.
QByteArray prepareTemplate(const QByteArray &svg)
{
    static const QRegularExpression currentColorFill(uR"(\sfill="currentColor")"_s);
    static const QRegularExpression layerOpacity(uR"(\sopacity="[0-9.]+")"_s);
    QString text = QString::fromUtf8(svg);
    text.replace(currentColorFill, u' ' + QString::fromLatin1(kPrimaryToken));
    text.replace(layerOpacity, u' ' + QString::fromLatin1(kSecondaryToken));
    return text.toUtf8();
}

QByteArray svgTemplate(const QString &path)
{
    RenderCache &cache = renderCache();
    QMutexLocker locker(&cache.mutex);
    auto it = cache.templates.constFind(path);
    if (it != cache.templates.constEnd())
        return *it;
    QFile file(path);
    QByteArray prepared =
        file.open(QIODevice::ReadOnly) ? prepareTemplate(file.readAll()) : QByteArray();
    cache.templates.insert(path, prepared);
    return prepared;
}

QByteArray fillAttributes(const QColor &color)
{
    return "fill=\"" + color.name(QColor::HexRgb).toLatin1() + "\" fill-opacity=\"" +
           QByteArray::number(double(color.alphaF()), 'g', 4) + '"';
}

QString imageKey(const QString &path, QSize size, const QColor &primary, const QColor &secondary)
{
    return path % u'|' % QString::number(size.width()) % u'x' % QString::number(size.height()) %
           u'|' % QString::number(primary.rgba(), 16) % u'|' %
           QString::number(secondary.rgba(), 16);
}

QImage drawSvg(const QByteArray &svg, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QColor withAlphaFactor(QColor color, float factor)
{
    color.setAlphaF(color.alphaF() * factor);
    return color;
}

// Draws the symbol afresh for every size and pixel ratio a widget asks for.
class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(const QString &symbolName, const QColor &primary, const QColor &secondary)
        : m_symbolName(symbolName), m_primary(primary), m_secondary(secondary)
    {
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawImage(QRectF(rect), imageFor((QSizeF(rect.size()) * ratio).toSize(), mode));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        return QPixmap::fromImage(imageFor(size, mode));
    }

    QIconEngine *clone() const override { return new SymbolIconEngine(*this); }
    QString key() const override { return u"hb.IconLibrary"_s; }

private:
    QImage imageFor(QSize size, QIcon::Mode mode) const
    {
        if (mode == QIcon::Disabled)
            return IconLibrary::render(m_symbolName, size,
                                       withAlphaFactor(m_primary, kDisabledAlphaFactor),
                                       withAlphaFactor(m_secondary, kDisabledAlphaFactor));
        return IconLibrary::render(m_symbolName, size, m_primary, m_secondary);
    }

    QString m_symbolName;
    QColor m_primary;
    QColor m_secondary;
};

} // namespace

QStringList IconLibrary::symbolNames()
{
    QStringList names = fileBySymbol().keys();
    names.sort();
    return names;
}

bool IconLibrary::isKnown(const QString &symbolName)
{
    return fileBySymbol().contains(symbolName);
}

QString IconLibrary::iconFile(const QString &symbolName)
{
    return fileBySymbol().value(symbolName, fallbackIconFile());
}

QString IconLibrary::fallbackIconFile()
{
    return kResourcePrefix + kFallbackFile;
}

QColor IconLibrary::monochromeSecondary(const QColor &color)
{
    return withAlphaFactor(color, kMonochromeLayerAlpha);
}

QImage IconLibrary::render(const QString &symbolName, QSize size, const QColor &primary,
                           const QColor &secondary)
{
    if (size.isEmpty())
        return {};
    QString path = iconFile(symbolName);
    QByteArray svg = svgTemplate(path);
    if (svg.isEmpty()) { // an unreadable bundled file: show what an unknown name shows
        path = fallbackIconFile();
        svg = svgTemplate(path);
    }

    RenderCache &cache = renderCache();
    const QString key = imageKey(path, size, primary, secondary);
    {
        QMutexLocker locker(&cache.mutex);
        if (const QImage *hit = cache.images.object(key))
            return *hit;
    }

    svg.replace(kPrimaryToken, fillAttributes(primary));
    svg.replace(kSecondaryToken, fillAttributes(secondary));
    QImage image = drawSvg(svg, size);

    QMutexLocker locker(&cache.mutex);
    cache.images.insert(key, new QImage(image), qMax<qsizetype>(1, image.sizeInBytes() / 1024));
    return image;
}

QPixmap IconLibrary::pixmap(const QString &symbolName, QSize size, const QColor &primary,
                            const QColor &secondary, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QPixmap result =
        QPixmap::fromImage(render(symbolName, (QSizeF(size) * ratio).toSize(), primary, secondary));
    result.setDevicePixelRatio(ratio);
    return result;
}

QIcon IconLibrary::icon(const QString &symbolName, const QColor &primary, const QColor &secondary)
{
    return QIcon(new SymbolIconEngine(symbolName, primary, secondary));
}

} // namespace hb
