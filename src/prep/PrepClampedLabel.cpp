#include "prep/PrepClampedLabel.h"

#include <QPainter>
#include <QTextLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr int kPreferredWidth = 240;

} // namespace

PrepClampedLabel::PrepClampedLabel(int maximumLines, QWidget *parent)
    : QWidget(parent), m_maximumLines(maximumLines)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setForegroundRole(QPalette::PlaceholderText);
}

QStringList PrepClampedLabel::clampedLines(const QString &text, const QFont &font, int width,
                                           int maximumLines)
{
    QStringList lines;
    if (text.isEmpty() || width <= 0 || maximumLines <= 0)
        return lines;
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s);
    shown.replace(QChar::CarriageReturn, QChar::LineFeed);
    // The text layout breaks lines at line separators, not at line feeds.
    shown.replace(QChar::LineFeed, QChar::LineSeparator);

    QTextLayout layout(shown, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    const QFontMetrics metrics(font);
    layout.beginLayout();
    while (lines.size() < maximumLines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        QString part = shown.mid(line.textStart(), line.textLength());
        if (part.endsWith(QChar::LineSeparator))
            part.chop(1);
        const bool more = line.textStart() + line.textLength() < shown.size();
        if (lines.size() == maximumLines - 1 && more)
            part = metrics.elidedText(part + u'\u2026', Qt::ElideRight, width);
        lines.append(part);
    }
    layout.endLayout();
    return lines;
}

void PrepClampedLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    updateGeometry();
    update();
}

QStringList PrepClampedLabel::shownLines() const
{
    return clampedLines(m_text, font(), width(), m_maximumLines);
}

int PrepClampedLabel::heightForWidth(int width) const
{
    return int(clampedLines(m_text, font(), width, m_maximumLines).size()) *
           fontMetrics().lineSpacing();
}

QSize PrepClampedLabel::sizeHint() const
{
    return {kPreferredWidth, heightForWidth(kPreferredWidth)};
}

QSize PrepClampedLabel::minimumSizeHint() const
{
    return {0, m_text.isEmpty() ? 0 : fontMetrics().lineSpacing()};
}

void PrepClampedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QFontMetrics metrics = fontMetrics();
    int y = 0;
    for (const QString &line : shownLines()) {
        painter.drawText(QRect(0, y, width(), metrics.lineSpacing()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += metrics.lineSpacing();
    }
}

} // namespace hb
