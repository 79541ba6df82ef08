#include "games/ColorInvadersPainter.h"

#include "common/ColorHex.h"
#include "common/IconLibrary.h"
#include "games/ColorInvadersGame.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

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

void drawBackground(QPainter &painter, QSizeF field, qint64 score)
{
    const double w = field.width();
    const double h = field.height();
    painter.fillRect(QRectF(QPointF(0, 0), field), Qt::black);

    const int bars = int(w / 8);
    const QColor barColor = withAlpha(kViolet, 0.12);
    for (int i = 0; i < bars; ++i) {
        const double top = 0.85 * h + 40 * std::cos(0.08 * i + 0.03 * double(score));
        painter.fillRect(QRectF(8.0 * i, top, 3, std::max(0.0, h - top)), barColor);
    }

    const int points = int(w / 4);
    if (points < 2)
        return;
    QPainterPath trace;
    for (int i = 0; i < points; ++i) {
        const QPointF point(4.0 * i, 0.78 * h + 20 * std::sin(0.05 * i + 0.02 * double(score)));
        if (i == 0)
            trace.moveTo(point);
        else
            trace.lineTo(point);
    }
    painter.strokePath(trace, QPen(withAlpha(kTeal, 0.15), 2));
}

void drawInvaders(QPainter &painter, QSizeF field, const QList<Invader> &invaders)
{
    const qreal s = ColorInvadersGame::invaderSize(field.width());
    painter.setFont(font(12, true));
    for (const Invader &invader : invaders) {
        const QColor accent = invaderAccentColor(invader.type);
        const QRectF body(field.width() * invader.x - s / 2, field.height() * invader.y - 0.35 * s,
                          s, 0.7 * s);
        painter.setOpacity(invader.isHit ? 0.3 : 1.0);
        drawGlow(painter, body, kInvaderCorner, accent, 0.6, 8);
        painter.setPen(QPen(accent, 2));
        painter.setBrush(invaderBodyColor(invader.type));
        painter.drawRoundedRect(body, kInvaderCorner, kInvaderCorner);
        painter.setPen(invaderLabelColor(invader.type));
        painter.drawText(body, Qt::AlignCenter, invaderLabel(invader.type));
    }
    painter.setOpacity(1.0);
}

void drawShots(QPainter &painter, QSizeF field, const QList<Bullet> &bullets)
{
    constexpr qreal outer = kShotSize / 2 + kShotGlow;
    painter.setPen(Qt::NoPen);
    for (const Bullet &bullet : bullets) {
        const QColor color = bullet.isPlayer ? kTeal : kAlarm;
        const QPointF centre(field.width() * bullet.x, field.height() * bullet.y);
        QRadialGradient glow(centre, outer);
        glow.setColorAt(0, withAlpha(color, 0.6));
        glow.setColorAt(kShotSize / 2 / outer, withAlpha(color, 0.45));
        glow.setColorAt(1, withAlpha(color, 0));
        painter.setBrush(glow);
        painter.drawEllipse(centre, outer, outer);
        painter.setBrush(color);
        painter.drawEllipse(centre, kShotSize / 2, kShotSize / 2);
    }
}

void drawParticles(QPainter &painter, QSizeF field, const QList<Particle> &particles)
{
    painter.setPen(Qt::NoPen);
    for (const Particle &particle : particles) {
        painter.setBrush(withAlpha(particle.color, std::clamp(particle.life, 0.0, 1.0)));
        painter.drawEllipse(QPointF(field.width() * particle.x, field.height() * particle.y),
                            kParticleSize / 2, kParticleSize / 2);
    }
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
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawBackground(painter, field, state.score);
    drawInvaders(painter, field, state.invaders);
    drawShots(painter, field, state.bullets);
    drawParticles(painter, field, state.particles);
    drawCursor(painter, field, state.playerX, pixelRatio);
    drawHeadsUp(painter, field, state, extras.bestScore, pixelRatio);

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

void ColorInvadersPainter::drawCursor(QPainter &painter, QSizeF field, double playerX,
                                      qreal pixelRatio)
{
    const QPointF centre(field.width() * playerX, field.height() * ColorInvadersGame::kCursorLine);
    const QRectF body(centre.x() - kCursorWidth / 2, centre.y() - kCursorHeight / 2, kCursorWidth,
                      kCursorHeight);
    drawGlow(painter, body, kCursorCorner, kTeal, 0.7, 10);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTeal);
    painter.drawRoundedRect(body, kCursorCorner, kCursorCorner);
    const QPixmap scope = icon(u"scope"_s, kCursorSymbolSize, kWhite, pixelRatio);
    painter.drawPixmap(
        QPointF(centre.x() - kCursorSymbolSize / 2.0, centre.y() - kCursorSymbolSize / 2.0), scope);
}

void ColorInvadersPainter::drawHeadsUp(QPainter &painter, QSizeF field,
                                       const ColorInvadersState &state, qint64 bestScore,
                                       qreal pixelRatio)
{
    const QFont headsUp = font(16, true);
    const QFontMetricsF metrics(headsUp);
    const qreal lineHeight = std::max<qreal>(metrics.height(), kHeartSize);
    const QRectF line(kHeadsUpSide, kHeadsUpTop, field.width() - 2 * kHeadsUpSide, lineHeight);
    constexpr int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setFont(headsUp);

    // Score and best on the left.
    const QString score = kScore + QString::number(state.score);
    painter.setPen(kWhite);
    painter.drawText(line, Qt::AlignLeft | flags, score);
    painter.setPen(kDimText);
    painter.drawText(line.adjusted(metrics.horizontalAdvance(score) + 16, 0, 0, 0),
                     Qt::AlignLeft | flags,
                     kBest + QString::number(std::max(bestScore, state.score)));

    // The hearts at the right, the level before them.
    constexpr qreal kHeartGap = 4;
    qreal x = line.right() - kHeartSize;
    for (int i = 2; i >= 0; --i) {
        const bool full = i < state.lives;
        painter.drawPixmap(
            QPointF(x, line.center().y() - kHeartSize / 2.0),
            icon(full ? u"heart.fill"_s : u"heart"_s, kHeartSize, kAlarm, pixelRatio));
        x -= kHeartSize + kHeartGap;
    }
    painter.setPen(kWhite);
    painter.drawText(QRectF(line.left(), line.top(), x + kHeartSize - 12 - line.left(), lineHeight),
                     Qt::AlignRight | flags, kLevel + QString::number(state.level));
}

} // namespace hb
