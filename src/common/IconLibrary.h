#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

namespace hb {

// The bundled icon set. Records and screens name their icons with symbol names
// ("paintpalette.fill", "wifi.slash", ...); one table maps each name to an SVG file under
// ":/icons". A name the table does not know gets a neutral fallback icon, so a record that
// stores a mistyped or foreign name still shows something.
//
// Icons are drawn in two colours: the duotone files' background layer in `secondary`, the
// outline layer in `primary`, each with its own alpha. A file of a single-colour weight uses
// `primary` only. For a one-colour look pass monochromeSecondary(colour) as `secondary`.
//
// lookup and render() may be called from any thread; pixmap() and icon() from the GUI thread.
class IconLibrary {
public:
    IconLibrary() = delete;

    // Every symbol name the table knows, sorted.
    static QStringList symbolNames();
    static bool isKnown(const QString &symbolName);

    // Resource path of the symbol's icon (":/icons/<file>.svg"); the fallback icon's path for
    // an unknown name. Never empty.
    static QString iconFile(const QString &symbolName);
    static QString fallbackIconFile();

    // The background-layer colour that keeps a duotone icon readable in a single colour.
    static QColor monochromeSecondary(const QColor &color);

    // The icon drawn into a transparent image of `size` pixels, kept centred at its aspect
    // ratio. A null image only for an empty size.
    static QImage render(const QString &symbolName, QSize size, const QColor &primary,
                         const QColor &secondary);
    // `size` in device-independent pixels; the pixmap holds size * devicePixelRatio pixels.
    static QPixmap pixmap(const QString &symbolName, QSize size, const QColor &primary,
                          const QColor &secondary, qreal devicePixelRatio = 1.0);
    // An icon that is drawn afresh for each size and pixel ratio a widget asks for.
    static QIcon icon(const QString &symbolName, const QColor &primary, const QColor &secondary);
};

} // namespace hb
