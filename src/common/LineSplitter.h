#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

namespace hb {

// Cuts a byte stream into lines at line feeds. Bytes after the last line feed wait for more.
// A line longer than the limit is dropped up to its line feed, without holding more than the
// limit in memory, and the lines after it are delivered as usual; `onDropped` hears of each such
// line once, when it is found too long. Carriage returns are kept.
class LineSplitter {
public:
    static constexpr qsizetype kDefaultMaxLineLength = 64 * 1024;

    explicit LineSplitter(qsizetype maxLineLength = kDefaultMaxLineLength);

    // Appends a chunk and calls `onLine` for each complete line, without its line feed, in order.
    void append(QByteArrayView chunk, const std::function<void(QByteArray)> &onLine,
                const std::function<void()> &onDropped = {});

    // Bytes held for an unfinished line.
    qsizetype pending() const { return m_buffer.size(); }
    // True while the rest of an over-long line is being skipped.
    bool isDiscarding() const { return m_discarding; }

private:
    qsizetype m_maxLineLength;
    QByteArray m_buffer;
    bool m_discarding = false;
};

} // namespace hb
