#include "games/ColorInvadersPainter.h"

#include "common/ColorHex.h"
#include "common/IconLibrary.h"
#include "games/ColorInvadersGame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <QVarLengthArray>

#include <cmath>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"Color Invaders"_s;
const QString kStartStory =
    u"Defend the grade from crushed blacks, clipped highlights, color casts, and noise."_s;
const QString kStartHowTo = u"Drag to move · Tap to shoot"_s;
const QString kStartKeys = u"Keys: ← → or A D to move · Space to shoot · P to pause"_s;
const QString kStartAction = u"Tap to start"_s;
const QString kGameOverTitle = u"Grade Compromised"_s;
const QString kFinalScore = u"Final Score: "_s;
const QString kLevelReached = u"Level Reached: "_s;
const QString kRestartAction = u"Tap to restart"_s;
const QString kEnterHint = u"or press Enter"_s;
const QString kPausedTitle = u"Paused"_s;
const QString kPausedByItself = u"The game paused itself when its screen lost focus."_s;
const QString kResumeAction = u"Press P to resume"_s;
const QString kScore = u"Score: "_s;
const QString kBest = u"Best: "_s;
const QString kLevel = u"Level: "_s;

const QColor kTeal = colorFromHex(u"#18D3BC"_s);
const QColor kViolet = colorFromHex(u"#6B5CE7"_s);
const QColor kAlarm = colorFromHex(u"#FC4444"_s);
const QColor kWhite(255, 255, 255);
const QColor kDimText(170, 170, 180);

constexpr qreal kInvaderCorner = 8;
constexpr qreal kCursorWidth = 44;
constexpr qreal kCursorHeight = 16;
constexpr qreal kCursorCorner = 6;
constexpr int kCursorSymbolSize = 22;
constexpr qreal kShotSize = 6;
constexpr qreal kShotGlow = 4;
constexpr qreal kParticleSize = 5;
constexpr qreal kHeadsUpSide = 16;
constexpr qreal kHeadsUpTop = 12;
constexpr int kHeartSize = 18;

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(alpha));
    return color;
}

QFont font(int pixelSize, bool bold)
{
    QFont result;
    result.setPixelSize(pixelSize);
    result.setBold(bold);
    return result;
}

// A soft halo around a rounded rectangle: rings that grow outwards and fade.
void drawGlow(QPainter &painter, const QRectF &rect, qreal corner, const QColor &color,
              double opacity, qreal spread)
{
    constexpr int kRings = 4;
    const qreal ring = spread / kRings;
    painter.setBrush(Qt::NoBrush);
    for (int k = 1; k <= kRings; ++k) {
        const qreal grow = ring * (k - 0.5);
        painter.setPen(
            QPen(withAlpha(color, opacity * (1.0 - double(k) / (kRings + 1)) / 2), ring));
        painter.drawRoundedRect(rect.adjusted(-grow, -grow, grow, grow), corner + grow,
                                corner + grow);
    }
}

// Black, with the trace and the bars in a band along the bottom. Only the band follows the
// score: on a background drawn before, only the band is drawn again.
//
// The band is written straight into the image's lines: over black, a bar's translucent violet
// is one opaque colour, and a hundred separate translucent fills cost far more (each is handed
// to the painting threads and waited for).
void drawBackground(QImage &image, QSizeF field, qint64 score, bool bandOnly)
{
    const double w = field.width();
    const double h = field.height();
    const qreal ratio = image.devicePixelRatio();
    const int rows = image.height();
    const int columns = image.width();
    // Above the trace's and the bars' highest reach, with room for the trace's pen.
    const double band = std::max(0.0, std::min(0.78 * h - 22, 0.85 * h - 41));
    const int firstRow = bandOnly ? std::clamp(int(std::floor(band * ratio)), 0, rows) : 0;

    constexpr double kBarOpacity = 0.12;
    const QRgb black = qRgb(0, 0, 0);
    const QRgb barColor = qRgb(int(std::lround(kViolet.red() * kBarOpacity)),
                               int(std::lround(kViolet.green() * kBarOpacity)),
                               int(std::lround(kViolet.blue() * kBarOpacity)));
    const int bars = int(w / 8);
    const int barWidth = std::max(1, int(std::lround(3 * ratio)));
    QVarLengthArray<int, 256> tops(bars);
    for (int i = 0; i < bars; ++i) {
        const double top = 0.85 * h + 40 * std::cos(0.08 * i + 0.03 * double(score));
        tops[i] = std::clamp(int(std::lround(top * ratio)), 0, rows);
    }
    for (int y = firstRow; y < rows; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        std::fill(line, line + columns, black);
        for (int i = 0; i < bars; ++i) {
            if (y < tops[i])
                continue;
            const int left = std::min(int(std::lround(8.0 * i * ratio)), columns);
            std::fill(line + left, line + std::min(left + barWidth, columns), barColor);
        }
    }

    const int points = int(w / 4);
    if (points < 2)
        return;
    QPolygonF trace;
    trace.reserve(points);
    for (int i = 0; i < points; ++i)
        trace.append({4.0 * i, 0.78 * h + 20 * std::sin(0.05 * i + 0.02 * double(score))});
    QPainter painter(&image);
    // Faint enough that it needs no antialiasing, which would make it the costliest part of a
    // frame after a hit.
    painter.setPen(QPen(withAlpha(kTeal, 0.15), 2));
    painter.drawPolyline(trace);
}

// A transparent picture of `size` points plus `margin` on every side, at the pixel ratio, with
// `draw` painting into it (antialiased) around its centre.
template <typename Draw> QPixmap sprite(QSizeF size, qreal margin, qreal pixelRatio, Draw draw)
{
    const QSizeF outer(size.width() + 2 * margin, size.height() + 2 * margin);
    QPixmap pixmap((outer * pixelRatio).toSize().expandedTo(QSize(1, 1)));
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter, QRectF(QPointF(margin, margin), size));
    return pixmap;
}

// A sprite drawn with its centre at `centre`.
void drawCentred(QPainter &painter, QPointF centre, const QPixmap &pixmap)
{
    const QSizeF size = pixmap.deviceIndependentSize();
    painter.drawPixmap(QPointF(centre.x() - size.width() / 2, centre.y() - size.height() / 2),
                       pixmap);
}

struct PanelLine {
    QString text;
    QFont font;
    QColor color;
};

// A rounded, nearly opaque panel in the middle of the field with its lines centred.
void drawPanel(QPainter &painter, QSizeF field, const QList<PanelLine> &lines, const QColor &border)
{
    constexpr qreal kPadding = 24;
    constexpr qreal kLineGap = 10;
    const qreal width = std::max(120.0, std::min(field.width() - 48, 440.0));
    const qreal textWidth = width - 2 * kPadding;
    constexpr int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

    QList<qreal> heights;
    qreal height = 2 * kPadding + kLineGap * qreal(lines.size() - 1);
    for (const PanelLine &line : lines) {
        const QRectF bounds =
            QFontMetricsF(line.font).boundingRect(QRectF(0, 0, textWidth, 1e6), flags, line.text);
        heights.append(bounds.height());
        height += bounds.height();
    }
    const QRectF panel((field.width() - width) / 2, (field.height() - height) / 2, width, height);
    painter.setPen(QPen(withAlpha(border, 0.8), 1.5));
    painter.setBrush(QColor(10, 10, 18, 225));
    painter.drawRoundedRect(panel, 16, 16);

    qreal y = panel.top() + kPadding;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        painter.setFont(lines[i].font);
        painter.setPen(lines[i].color);
        painter.drawText(QRectF(panel.left() + kPadding, y, textWidth, heights[i]), flags,
                         lines[i].text);
        y += heights[i] + kLineGap;
    }
}

} // namespace

QString ColorInvadersPainter::title()
{
    return kTitle;
}

void ColorInvadersPainter::paint(QPainter &painter, QSizeF field, const ColorInvadersState &state,
                                 const Extras &extras)
{
    const qreal pixelRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    prepare(field, pixelRatio);
    painter.save();
    // Everything but the panels is a copy of a cached picture: no antialiasing needed.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(QPointF(0, 0), background(field, state.score));
    drawInvaders(painter, field, state.invaders);
    drawShots(painter, field, state.bullets);
    drawParticles(painter, field, state.particles);
    drawCursor(painter, field, state.playerX);
    drawHeadsUp(painter, field, state, extras.bestScore);

    painter.setRenderHint(QPainter::Antialiasing);
    if (state.showStartOverlay) {
        drawPanel(painter, field,
                  {{kTitle, font(30, true), kWhite},
                   {kStartStory, font(15, false), kDimText},
                   {kStartHowTo, font(15, true), kViolet.lighter(135)},
                   {kStartKeys, font(12, false), kDimText},
                   {kStartAction, font(20, true), kTeal}},
                  kViolet);
    } else if (state.gameState == GameState::gameOver) {
        drawPanel(painter, field,
                  {{kGameOverTitle, font(30, true), kAlarm},
                   {kFinalScore + QString::number(state.score), font(18, false), kWhite},
                   {kLevelReached + QString::number(state.level), font(18, false), kWhite},
                   {kRestartAction, font(20, true), kTeal},
                   {kEnterHint, font(12, false), kDimText}},
                  kAlarm);
    } else if (state.gameState == GameState::paused) {
        QList<PanelLine> lines{{kPausedTitle, font(30, true), kWhite}};
        if (extras.pausedAutomatically)
            lines.append({kPausedByItself, font(15, false), kDimText});
        lines.append({kResumeAction, font(20, true), kTeal});
        drawPanel(painter, field, lines, kViolet);
    }
    painter.restore();
}

QPixmap ColorInvadersPainter::icon(const QString &symbol, int size, const QColor &color,
                                   qreal pixelRatio)
{
    if (pixelRatio != m_iconPixelRatio) {
        m_icons.clear();
        m_iconPixelRatio = pixelRatio;
    }
    const QString key = symbol + u'/' + QString::number(size) + u'/' + color.name();
    auto found = m_icons.constFind(key);
    if (found == m_icons.cend())
        found = m_icons.insert(key, IconLibrary::pixmap(symbol, QSize(size, size), color,
                                                        IconLibrary::monochromeSecondary(color),
                                                        pixelRatio));
    return *found;
}

void ColorInvadersPainter::prepare(QSizeF field, qreal pixelRatio)
{
    if (field == m_field && pixelRatio == m_pixelRatio)
        return;
    m_field = field;
    m_pixelRatio = pixelRatio;
    m_background = QImage();
    m_headsUp = QPixmap();
    m_cursor = QPixmap();
    m_invaders.fill(QPixmap());
    m_shots.fill(QPixmap());
    m_particles.clear();
}

const QImage &ColorInvadersPainter::background(QSizeF field, qint64 score)
{
    const bool drawn = !m_background.isNull();
    if (!drawn || score != m_backgroundScore) {
        if (!drawn) {
            // Opaque: copied onto the frame without blending.
            m_background = QImage((field * m_pixelRatio).toSize().expandedTo(QSize(1, 1)),
                                  QImage::Format_RGB32);
            m_background.setDevicePixelRatio(m_pixelRatio);
        }
        m_backgroundScore = score;
        drawBackground(m_background, field, score, drawn);
    }
    return m_background;
}

void ColorInvadersPainter::drawInvaders(QPainter &painter, QSizeF field,
                                        const QList<Invader> &invaders)
{
    constexpr qreal kGlowSpread = 8;
    const qreal s = ColorInvadersGame::invaderSize(field.width());
    for (const Invader &invader : invaders) {
        QPixmap &pixmap = m_invaders.at(std::size_t(invader.type));
        if (pixmap.isNull()) {
            pixmap = sprite(QSizeF(s, 0.7 * s), kGlowSpread + 1, m_pixelRatio,
                            [type = invader.type](QPainter &on, const QRectF &body) {
                                const QColor accent = invaderAccentColor(type);
                                drawGlow(on, body, kInvaderCorner, accent, 0.6, kGlowSpread);
                                on.setPen(QPen(accent, 2));
                                on.setBrush(invaderBodyColor(type));
                                on.drawRoundedRect(body, kInvaderCorner, kInvaderCorner);
                                on.setFont(font(12, true));
                                on.setPen(invaderLabelColor(type));
                                on.drawText(body, Qt::AlignCenter, invaderLabel(type));
                            });
        }
        painter.setOpacity(invader.isHit ? 0.3 : 1.0);
        drawCentred(painter, QPointF(field.width() * invader.x, field.height() * invader.y),
                    pixmap);
    }
    painter.setOpacity(1.0);
}

void ColorInvadersPainter::drawShots(QPainter &painter, QSizeF field, const QList<Bullet> &bullets)
{
    constexpr qreal outer = kShotSize / 2 + kShotGlow;
    for (const Bullet &bullet : bullets) {
        QPixmap &pixmap = m_shots.at(bullet.isPlayer ? 0 : 1);
        if (pixmap.isNull()) {
            const QColor color = bullet.isPlayer ? kTeal : kAlarm;
            pixmap = sprite(QSizeF(2 * outer, 2 * outer), 1, m_pixelRatio,
                            [color](QPainter &on, const QRectF &box) {
                                const QPointF centre = box.center();
                                QRadialGradient glow(centre, outer);
                                glow.setColorAt(0, withAlpha(color, 0.6));
                                glow.setColorAt(kShotSize / 2 / outer, withAlpha(color, 0.45));
                                glow.setColorAt(1, withAlpha(color, 0));
                                on.setPen(Qt::NoPen);
                                on.setBrush(glow);
                                on.drawEllipse(centre, outer, outer);
                                on.setBrush(color);
                                on.drawEllipse(centre, kShotSize / 2, kShotSize / 2);
                            });
        }
        drawCentred(painter, QPointF(field.width() * bullet.x, field.height() * bullet.y), pixmap);
    }
}

void ColorInvadersPainter::drawParticles(QPainter &painter, QSizeF field,
                                         const QList<Particle> &particles)
{
    for (const Particle &particle : particles) {
        const QRgb rgb = particle.color.rgb();
        auto found = m_particles.constFind(rgb);
        if (found == m_particles.cend()) {
            const QColor color = QColor::fromRgb(rgb);
            found = m_particles.insert(rgb, sprite(QSizeF(kParticleSize, kParticleSize), 0.5,
                                                   m_pixelRatio,
                                                   [color](QPainter &on, const QRectF &box) {
                                                       on.setPen(Qt::NoPen);
                                                       on.setBrush(color);
                                                       on.drawEllipse(box);
                                                   }));
        }
        painter.setOpacity(std::clamp(particle.life, 0.0, 1.0) * particle.color.alphaF());
        drawCentred(painter, QPointF(field.width() * particle.x, field.height() * particle.y),
                    *found);
    }
    painter.setOpacity(1.0);
}

void ColorInvadersPainter::drawCursor(QPainter &painter, QSizeF field, double playerX)
{
    constexpr qreal kGlowSpread = 10;
    if (m_cursor.isNull()) {
        const QPixmap scope = icon(u"scope"_s, kCursorSymbolSize, kWhite, m_pixelRatio);
        // As tall as the symbol at least, which stands out over the body.
        const qreal margin = std::max(kGlowSpread + 1, (kCursorSymbolSize - kCursorHeight) / 2);
        m_cursor = sprite(QSizeF(kCursorWidth, kCursorHeight), margin, m_pixelRatio,
                          [&scope](QPainter &on, const QRectF &body) {
                              drawGlow(on, body, kCursorCorner, kTeal, 0.7, kGlowSpread);
                              on.setPen(Qt::NoPen);
                              on.setBrush(kTeal);
                              on.drawRoundedRect(body, kCursorCorner, kCursorCorner);
                              const QPointF centre = body.center();
                              on.drawPixmap(QPointF(centre.x() - kCursorSymbolSize / 2.0,
                                                    centre.y() - kCursorSymbolSize / 2.0),
                                            scope);
                          });
    }
    drawCentred(painter,
                QPointF(field.width() * playerX, field.height() * ColorInvadersGame::kCursorLine),
                m_cursor);
}

void ColorInvadersPainter::drawHeadsUp(QPainter &painter, QSizeF field,
                                       const ColorInvadersState &state, qint64 bestScore)
{
    painter.drawPixmap(QPointF(kHeadsUpSide, kHeadsUpTop), headsUp(field, state, bestScore));
}

const QPixmap &ColorInvadersPainter::headsUp(QSizeF field, const ColorInvadersState &state,
                                             qint64 bestScore)
{
    const std::array<qint64, 4> shows{state.score, std::max(bestScore, state.score), state.level,
                                      state.lives};
    if (!m_headsUp.isNull() && shows == m_headsUpShows)
        return m_headsUp;
    m_headsUpShows = shows;

    const QFont headsUpFont = font(16, true);
    const QFontMetricsF metrics(headsUpFont);
    const qreal lineHeight = std::max<qreal>(metrics.height(), kHeartSize);
    const QRectF line(0, 0, std::max<qreal>(field.width() - 2 * kHeadsUpSide, 1), lineHeight);
    m_headsUp = sprite(line.size(), 0, m_pixelRatio, [&](QPainter &on, const QRectF &) {
        constexpr int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        on.setFont(headsUpFont);

        // Score and best on the left.
        const QString score = kScore + QString::number(state.score);
        on.setPen(kWhite);
        on.drawText(line, Qt::AlignLeft | flags, score);
        on.setPen(kDimText);
        on.drawText(line.adjusted(metrics.horizontalAdvance(score) + 16, 0, 0, 0),
                    Qt::AlignLeft | flags, kBest + QString::number(shows[1]));

        // The hearts at the right, the level before them.
        constexpr qreal kHeartGap = 4;
        qreal x = line.right() - kHeartSize;
        for (int i = 2; i >= 0; --i) {
            const bool full = i < state.lives;
            on.drawPixmap(
                QPointF(x, line.center().y() - kHeartSize / 2.0),
                icon(full ? u"heart.fill"_s : u"heart"_s, kHeartSize, kAlarm, m_pixelRatio));
            x -= kHeartSize + kHeartGap;
        }
        on.setPen(kWhite);
        on.drawText(QRectF(line.left(), line.top(), x + kHeartSize - 12 - line.left(), lineHeight),
                    Qt::AlignRight | flags, kLevel + QString::number(state.level));
    });
    return m_headsUp;
}

} // namespace hb
