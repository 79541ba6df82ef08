#include "platform/documents/DocRevisionMarks.h"

#include "platform/documents/DocStream.h"
#include "platform/documents/DocTextErrors.h"

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

constexpr quint16 kMarkDeleted = 0x0800;   // sprmCFRMarkDel (0x0801, marking insertions, is moot)
constexpr quint8 kMarkDeletedIndex = 0x41; // the same modifier as a Prm0 index
// Variable-size modifiers whose size is not in their first byte; paragraph and table properties
// that never appear among a run's properties, so reading stops at them.
constexpr quint16 kTableDefinition = 0xD608;
constexpr quint16 kTabStopChanges = 0xC615;

constexpr qint64 kPageBytes = 512;
constexpr int kPageRunCount = 511; // the page's last byte counts its runs
constexpr int kMaxPageRuns = 0x65;
constexpr quint32 kPageNumberMask = 0x3FFFFF;

// A toggle: 0 off, 1 on, 0x80 as the style has it, 0x81 the style's opposite. No style marks
// text as deleted, so "as the style" is off and "opposite" is on.
bool toggledOn(quint8 value)
{
    return value == 0x01 || value == 0x81;
}

// The bytes of a modifier's operand at `at`, or -1 when reading has to stop there.
qsizetype operandBytes(quint16 sprm, QByteArrayView grpprl, qsizetype at)
{
    switch (sprm >> 13) {
    case 0:
    case 1:
        return 1;
    case 2:
    case 4:
    case 5:
        return 2;
    case 3:
        return 4;
    case 7:
        return 3;
    default: // 6: variable, the size in the first byte
        if (sprm == kTableDefinition || sprm == kTabStopChanges || at >= grpprl.size())
            return -1;
        return 1 + qsizetype(quint8(grpprl[at]));
    }
}

} // namespace

std::optional<bool> DocRevisionMarks::deletion(QByteArrayView grpprl)
{
    std::optional<bool> deleted;
    for (qsizetype at = 0; grpprl.size() - at >= 2;) {
        const quint16 sprm = qFromLittleEndian<quint16>(grpprl.data() + at);
        at += 2;
        const qsizetype operand = operandBytes(sprm, grpprl, at);
        if (operand < 0 || operand > grpprl.size() - at)
            break;
        if (sprm == kMarkDeleted)
            deleted = toggledOn(quint8(grpprl[at]));
        at += operand;
    }
    return deleted;
}

std::optional<bool> DocRevisionMarks::deletion(quint8 isprm, quint8 value)
{
    if (isprm == kMarkDeletedIndex)
        return toggledOn(value);
    return std::nullopt;
}

Expected<DocRevisionMarks> DocRevisionMarks::read(const DocStream &word, const DocStream &table,
                                                  quint32 offset, quint32 length,
                                                  const DocumentTextLimits &limits)
{
    DocRevisionMarks marks;
    if (length == 0)
        return marks;
    // n + 1 positions of 4 bytes, then n page numbers of 4 bytes.
    if (length < 12 || (length - 4) % 8 != 0)
        return docDamaged(u"its table of character formatting has a wrong length"_s);
    if (offset > table.size() || length > table.size() - offset)
        return docDamaged(u"its table of character formatting lies outside the table stream"_s);
    QByteArray plc(qsizetype(length), Qt::Uninitialized);
    if (!table.read(offset, length, plc.data()))
        return docDamaged(u"its table of character formatting cannot be read"_s);

    // Each page once, whatever the table says: the table may list one page many times.
    const qsizetype count = qsizetype((length - 4) / 8);
    std::vector<quint32> pages(size_t(count), 0);
    for (qsizetype i = 0; i < count; ++i)
        pages[size_t(i)] =
            qFromLittleEndian<quint32>(plc.constData() + 4 * (count + 1) + 4 * i) & kPageNumberMask;
    plc.clear();
    std::sort(pages.begin(), pages.end());
    pages.erase(std::unique(pages.begin(), pages.end()), pages.end());

    uchar page[kPageBytes];
    for (const quint32 number : pages) {
        if (limits.isCancelled())
            return documentTextCancelled();
        if (!word.read(qint64(number) * kPageBytes, kPageBytes, page))
            return docDamaged(u"a page of its character formatting lies outside the "
                              u"WordDocument stream"_s);
        const int runs = page[kPageRunCount];
        if (runs == 0 || runs > kMaxPageRuns)
            return docDamaged(u"a page of its character formatting has a wrong run count"_s);
        // runs + 1 positions of 4 bytes, then one byte per run: where its properties lie, in
        // 2-byte words from the page's start, 0 for none.
        for (int run = 0; run < runs; ++run) {
            const int at = 2 * page[4 * (runs + 1) + run];
            if (at == 0)
                continue;
            if (at >= kPageRunCount || page[at] > kPageRunCount - at - 1)
                return docDamaged(u"a run's properties lie outside their page"_s);
            const QByteArrayView grpprl(page + at + 1, page[at]);
            const quint32 begin = qFromLittleEndian<quint32>(page + 4 * run);
            const quint32 end = qFromLittleEndian<quint32>(page + 4 * (run + 1));
            if (begin >= end || !deletion(grpprl).value_or(false))
                continue;
            if (!marks.m_deleted.empty() && marks.m_deleted.back().second == begin)
                marks.m_deleted.back().second = end; // the usual case: runs one after another
            else
                marks.m_deleted.emplace_back(begin, end);
        }
    }

    // Sorted and merged, so that a lookup is one binary search.
    auto &ranges = marks.m_deleted;
    std::sort(ranges.begin(), ranges.end());
    qsizetype kept = 0;
    for (const auto &range : ranges) {
        if (kept > 0 && range.first <= ranges[size_t(kept - 1)].second)
            ranges[size_t(kept - 1)].second =
                std::max(ranges[size_t(kept - 1)].second, range.second);
        else
            ranges[size_t(kept++)] = range;
    }
    ranges.resize(size_t(kept));
    return marks;
}

DocRevisionMarks::Span DocRevisionMarks::at(qint64 fc) const
{
    const auto range = std::partition_point(m_deleted.begin(), m_deleted.end(),
                                            [fc](const auto &each) { return each.second <= fc; });
    if (range == m_deleted.end())
        return {false, std::numeric_limits<qint64>::max()};
    if (fc >= range->first)
        return {true, range->second};
    return {false, range->first};
}

} // namespace hb
