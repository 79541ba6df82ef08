#include "common/LineSplitter.h"

namespace hb {

LineSplitter::LineSplitter(qsizetype maxLineLength) : m_maxLineLength(maxLineLength) {}

void LineSplitter::append(QByteArrayView chunk, const std::function<void(QByteArray)> &onLine,
                          const std::function<void()> &onDropped)
{
    qsizetype scanFrom = m_buffer.size();
    m_buffer.append(chunk);

    // Cut every complete line first and drop them from the front in one go, so a chunk full of
    // short lines costs one pass over its bytes.
    qsizetype lineStart = 0;
    for (qsizetype end = m_buffer.indexOf('\n', scanFrom); end >= 0;
         end = m_buffer.indexOf('\n', lineStart)) {
        const qsizetype length = end - lineStart;
        if (m_discarding)
            m_discarding = false; // the feed that ends the over-long line
        else if (length > m_maxLineLength) {
            if (onDropped)
                onDropped();
        } else if (onLine)
            onLine(m_buffer.sliced(lineStart, length));
        lineStart = end + 1;
    }
    m_buffer.remove(0, lineStart);

    if (!m_discarding && m_buffer.size() > m_maxLineLength && onDropped)
        onDropped();
    if (m_discarding || m_buffer.size() > m_maxLineLength) {
        m_buffer.clear();
        m_discarding = true;
    }
}

} // namespace hb
