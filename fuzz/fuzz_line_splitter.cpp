// Line framing: however a byte stream is cut into chunks, the same lines come out, none longer
// than the limit, and no more than the limit is ever held.
#include "common/LineSplitter.h"

#include <QByteArrayList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kLimit = 64;

QByteArrayList split(QByteArrayView stream, QByteArrayView cuts)
{
    hb::LineSplitter splitter(kLimit);
    QByteArrayList lines;
    qsizetype at = 0;
    qsizetype cut = 0;
    while (at < stream.size()) {
        // Each cut byte gives the next chunk's length (1 to 256); one chunk when there are none.
        const qsizetype length =
            cuts.isEmpty() ? stream.size() : qsizetype(quint8(cuts[cut++ % cuts.size()])) + 1;
        const QByteArrayView chunk = stream.sliced(at, std::min(length, stream.size() - at));
        splitter.append(chunk, [&lines](const QByteArray &line) {
            if (line.size() > kLimit || line.contains('\n'))
                std::abort();
            lines.append(line);
        });
        if (splitter.pending() > kLimit)
            std::abort();
        at += chunk.size();
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte says how many of the following bytes are chunk lengths.
    if (size == 0)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const qsizetype cutCount = std::min(qsizetype(data[0] % 16), input.size());
    const QByteArrayView cuts = input.first(cutCount);
    const QByteArrayView stream = input.sliced(cutCount);
    if (split(stream, cuts) != split(stream, {}))
        std::abort();
    return 0;
}
