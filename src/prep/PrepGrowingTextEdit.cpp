#include "prep/PrepGrowingTextEdit.h"

#include <QAbstractTextDocumentLayout>

#include <algorithm>
#include <cmath>

namespace hb {

PrepGrowingTextEdit::PrepGrowingTextEdit(int minimumLines, int maximumLines, QWidget *parent)
    : QPlainTextEdit(parent), m_minimumLines(minimumLines),
      m_maximumLines(std::max(minimumLines, maximumLines))
{
    setTabChangesFocus(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The plain-text layout measures its document in lines.
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &PrepGrowingTextEdit::fitHeight);
    fitHeight();
}

int PrepGrowingTextEdit::visibleLines() const
{
    return m_lines;
}

int PrepGrowingTextEdit::heightForLines(int lines) const
{
    const QMargins margins = contentsMargins();
    const qreal documentMargin = document()->documentMargin();
    return lines * fontMetrics().lineSpacing() + margins.top() + margins.bottom() +
           int(std::ceil(2 * documentMargin)) + 2;
}

void PrepGrowingTextEdit::fitHeight()
{
    const qreal documentLines = document()->documentLayout()->documentSize().height();
    const int lines = std::clamp(int(std::ceil(documentLines)), m_minimumLines, m_maximumLines);
    if (lines == m_lines)
        return;
    m_lines = lines;
    setFixedHeight(heightForLines(lines));
    ensureCursorVisible();
}

void PrepGrowingTextEdit::resizeEvent(QResizeEvent *event)
{
    QPlainTextEdit::resizeEvent(event);
    fitHeight(); // a new width wraps the text afresh
}

} // namespace hb
