#include "platform/documents/DocTextReader.h"

#include "platform/documents/DocMainText.h"
#include "platform/documents/DocRevisionMarks.h"
#include "platform/documents/DocStream.h"
#include "platform/documents/DocTextErrors.h"

#include <QByteArrayView>
#include <QtEndian>

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

constexpr char kCompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

// The file information block at the start of the WordDocument stream.
constexpr quint16 kWordIdentifier = 0xA5EC;
constexpr quint16 kFirstWord97Version = 0x00C1; // Word 6 and 95 files have smaller versions
constexpr quint16 kEncryptedFlag = 0x0100; // encrypted, or XOR-obfuscated when bit 15 is set too
constexpr quint16 kTableOneFlag = 0x0200;  // the table stream is "1Table", else "0Table"
constexpr qint64 kFlagsOffset = 10;
constexpr qint64 kShortsCountOffset = 32; // after the fixed base of 32 bytes
constexpr int kMainTextLong = 3;          // ccpText among the 32-bit values
constexpr int kChpxPair = 12;             // fcPlcfBteChpx/lcbPlcfBteChpx among the pairs
constexpr int kClxPair = 33;              // fcClx/lcbClx among the offset/length pairs

// The piece table and its pieces.
constexpr char kPropertyEntry = 0x01;
constexpr char kPieceTableEntry = 0x02;
constexpr qint64 kPieceBytes = 8;
constexpr qint64 kPieceFcOffset = 2;
constexpr qint64 kPiecePrmOffset = 6;
constexpr quint32 kCompressedFlag = 0x40000000;
constexpr quint32 kFcMask = 0x3FFFFFFF;

// Piece text is read in chunks of this size.
constexpr qint64 kChunkBytes = 64 * 1024;

// Bytes 0x80-0x9F of 8-bit pieces: Windows-1252, which is what Word writes there; the bytes that
// code page leaves undefined keep their Latin-1 value, as do all other bytes.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t fromCompressed(uchar byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

template <typename T> using GsfPointer = std::unique_ptr<T, Unref>;

void ignoreMessage(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

void initialiseGsf()
{
    [[maybe_unused]] static const bool initialised = [] {
        gsf_init();
        // libgsf logs warnings (and failed checks) about the damaged files it is given; this
        // reader reports damage through its errors, so they would only fill the terminal.
        const auto levels =
            GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                           G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG);
        for (const char *domain : {"libgsf", "libgsf:msole"})
            g_log_set_handler(domain, levels, ignoreMessage, nullptr);
        return true;
    }();
}

// What the text needs from the file information block.
struct FileInformation {
    qint64 mainTextLength = 0; // characters of the main document, before footnotes and the rest
    bool tableOne = false;
    quint32 clxOffset = 0; // the piece table and its properties, in the table stream
    quint32 clxLength = 0;
    quint32 chpxOffset = 0; // the pages of character formatting, in the table stream
    quint32 chpxLength = 0;
};

Expected<FileInformation> readFileInformation(const DocStream &word)
{
    const auto identifier = word.number<quint16>(0);
    if (!identifier || *identifier != kWordIdentifier)
        return docDamaged(u"its WordDocument stream does not start with a Word header"_s);
    const auto version = word.number<quint16>(2);
    const auto flags = word.number<quint16>(kFlagsOffset);
    if (!version || !flags)
        return docDamaged(u"its Word header is cut short"_s);
    if (*version < kFirstWord97Version)
        return docSavedByWord95();
    if (*flags & kEncryptedFlag)
        return docPasswordProtected();

    // After the fixed base come three counted arrays: 16-bit values, 32-bit values and
    // offset/length pairs, each preceded by its count.
    const auto shorts = word.number<quint16>(kShortsCountOffset);
    const qint64 longsCountAt = kShortsCountOffset + 2 + 2 * qint64(shorts.value_or(0));
    const auto longs = word.number<quint16>(longsCountAt);
    const qint64 pairsCountAt = longsCountAt + 2 + 4 * qint64(longs.value_or(0));
    const auto pairs = word.number<quint16>(pairsCountAt);
    if (!shorts || !longs || !pairs || *longs <= kMainTextLong || *pairs <= kClxPair)
        return docDamaged(u"its Word header is cut short"_s);
    const auto mainText = word.number<qint32>(longsCountAt + 2 + 4 * kMainTextLong);
    const auto pair = [&](int index, int half) {
        return word.number<quint32>(pairsCountAt + 2 + 8 * index + 4 * half);
    };
    const auto clxOffset = pair(kClxPair, 0), clxLength = pair(kClxPair, 1);
    const auto chpxOffset = pair(kChpxPair, 0), chpxLength = pair(kChpxPair, 1);
    if (!mainText || !clxOffset || !clxLength || !chpxOffset || !chpxLength)
        return docDamaged(u"its Word header is cut short"_s);
    if (*mainText < 0)
        return docDamaged(u"its Word header gives a negative text length"_s);
    return FileInformation{
        *mainText, (*flags & kTableOneFlag) != 0, *clxOffset, *clxLength, *chpxOffset, *chpxLength};
}

// The piece table: `count` pieces, piece i holding the characters from cp(i) to cp(i + 1).
struct PieceTable {
    QByteArray bytes; // the whole CLX, as read
    qsizetype at = 0; // where the piece table's character positions start
    qsizetype count = 0;
    // What each group of properties before the table (a piece can refer to one) says of
    // deletion.
    std::vector<std::optional<bool>> groupDeletions;

    qint64 cp(qsizetype index) const
    {
        return qFromLittleEndian<quint32>(bytes.constData() + at + 4 * index);
    }
    const char *piece(qsizetype index) const
    {
        return bytes.constData() + at + 4 * (count + 1) + kPieceBytes * index;
    }
    quint32 fc(qsizetype index) const
    {
        return qFromLittleEndian<quint32>(piece(index) + kPieceFcOffset);
    }
    quint16 prm(qsizetype index) const
    {
        return qFromLittleEndian<quint16>(piece(index) + kPiecePrmOffset);
    }
};

Expected<PieceTable> readPieceTable(const DocStream &table, const FileInformation &information)
{
    const qint64 offset = information.clxOffset;
    const qint64 length = information.clxLength;
    if (length == 0 || offset > table.size() || length > table.size() - offset)
        return docDamaged(u"its piece table lies outside the table stream"_s);
    PieceTable pieces;
    pieces.bytes = QByteArray(length, Qt::Uninitialized);
    if (!table.read(offset, length, pieces.bytes.data()))
        return docDamaged(u"its piece table cannot be read"_s);

    // Groups of properties come first; the piece table follows them.
    const QByteArray &clx = pieces.bytes;
    qsizetype at = 0;
    while (at < clx.size() && clx[at] == kPropertyEntry) {
        if (clx.size() - at < 3)
            return docDamaged(u"its piece table is cut short"_s);
        const qint16 entryLength = qFromLittleEndian<qint16>(clx.constData() + at + 1);
        if (entryLength < 0 || entryLength > clx.size() - at - 3)
            return docDamaged(u"its piece table has an entry of a wrong length"_s);
        pieces.groupDeletions.push_back(
            DocRevisionMarks::deletion(QByteArrayView(clx.constData() + at + 3, entryLength)));
        at += 3 + entryLength;
    }
    if (at >= clx.size() || clx[at] != kPieceTableEntry || clx.size() - at < 5)
        return docDamaged(u"it has no piece table"_s);
    const quint32 tableLength = qFromLittleEndian<quint32>(clx.constData() + at + 1);
    // n + 1 character positions of 4 bytes and n pieces of 8 bytes.
    if (tableLength > quint32(clx.size() - at - 5) || tableLength < 16 ||
        (tableLength - 4) % 12 != 0)
        return docDamaged(u"its piece table has a wrong length"_s);
    pieces.at = at + 5;
    pieces.count = qsizetype((tableLength - 4) / 12);
    if (pieces.cp(0) != 0)
        return docDamaged(u"its piece table does not start at the first character"_s);
    return pieces;
}

// What a piece's own property says of deletion, which overrides its runs' formatting: one
// modifier by index, or a group before the piece table.
Expected<std::optional<bool>> pieceDeletion(const PieceTable &pieces, qsizetype index)
{
    const quint16 prm = pieces.prm(index);
    if ((prm & 1) == 0)
        return DocRevisionMarks::deletion(quint8((prm >> 1) & 0x7F), quint8(prm >> 8));
    const size_t group = prm >> 1;
    if (group >= pieces.groupDeletions.size())
        return docDamaged(u"a piece of its text refers to properties it does not have"_s);
    return pieces.groupDeletions[group];
}

} // namespace

Expected<QString> DocTextReader::read(const QByteArray &bytes, const DocumentTextLimits &limits)
{
    if (!bytes.startsWith(QByteArrayView(kCompoundFileSignature, 8)))
        return docNotAWordDocument();
    initialiseGsf();
    const GsfPointer<GsfInput> memory(gsf_input_memory_new(
        reinterpret_cast<const guint8 *>(bytes.constData()), gsf_off_t(bytes.size()), FALSE));
    GError *error = nullptr;
    const GsfPointer<GsfInfile> file(gsf_infile_msole_new(memory.get(), &error));
    if (!file) {
        const QString why = error ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
        return docDamaged(u"its compound file cannot be read (%1)"_s.arg(why));
    }

    const GsfPointer<GsfInput> wordStream(gsf_infile_child_by_name(file.get(), "WordDocument"));
    if (!wordStream) {
        // An encrypted .docx travels in a compound file too.
        if (GsfPointer<GsfInput>(gsf_infile_child_by_name(file.get(), "EncryptedPackage")))
            return docPasswordProtected();
        return docNotAWordDocument();
    }
    // No stream can be larger than the file that holds it.
    const DocStream word(wordStream.get());
    if (word.size() > bytes.size())
        return docDamaged(u"its WordDocument stream is larger than the file"_s);
    const auto information = readFileInformation(word);
    if (!information)
        return information.error();
    if (information->mainTextLength > limits.maxTextBytes / 2)
        return documentTextTooLarge(limits.maxTextBytes);

    const char *tableName = information->tableOne ? "1Table" : "0Table";
    const GsfPointer<GsfInput> tableStream(gsf_infile_child_by_name(file.get(), tableName));
    if (!tableStream)
        return docDamaged(u"it has no %1 stream"_s.arg(QLatin1StringView(tableName)));
    const DocStream table(tableStream.get());
    if (table.size() > bytes.size())
        return docDamaged(u"its table stream is larger than the file"_s);
    const auto pieces = readPieceTable(table, *information);
    if (!pieces)
        return pieces.error();
    const auto marks = DocRevisionMarks::read(word, table, information->chpxOffset,
                                              information->chpxLength, limits);
    if (!marks)
        return marks.error();

    // Pieces follow each other from the first character, so the main text is the first
    // mainTextLength characters of the pieces in their order. Its room is reserved up to the
    // stream's size: only pieces that repeat each other, which no writer makes, hold more.
    DocMainText text(qsizetype(std::min(information->mainTextLength, word.size())));
    qint64 remaining = information->mainTextLength;
    QByteArray chunk;
    for (qsizetype index = 0; index < pieces->count && remaining > 0; ++index) {
        if (limits.isCancelled())
            return documentTextCancelled();
        const qint64 pieceLength = pieces->cp(index + 1) - pieces->cp(index);
        if (pieceLength <= 0)
            return docDamaged(u"its piece table is out of order"_s);
        const qint64 length = std::min(pieceLength, remaining);
        remaining -= length;

        const quint32 fc = pieces->fc(index);
        const bool compressed = (fc & kCompressedFlag) != 0;
        const qint64 width = compressed ? 1 : 2;
        const qint64 start = compressed ? (fc & kFcMask) / 2 : (fc & kFcMask);
        if (start > word.size() || length > (word.size() - start) / width)
            return docDamaged(u"a piece of its text lies outside the WordDocument stream"_s);
        const auto pieceDeleted = pieceDeletion(*pieces, index);
        if (!pieceDeleted)
            return pieceDeleted.error();
        if (pieceDeleted->value_or(false))
            continue;
        // Deleted runs are looked up as the offsets pass their ends; within a piece the
        // offsets only grow.
        DocRevisionMarks::Span run{false, -1};
        for (qint64 done = 0; done < length;) {
            if (done > 0 && limits.isCancelled())
                return documentTextCancelled();
            const qint64 count = std::min(length - done, kChunkBytes / width);
            chunk.resize(qsizetype(count * width));
            if (!word.read(start + done * width, count * width, chunk.data()))
                return docDamaged(u"its text cannot be read"_s);
            const auto *data = reinterpret_cast<const uchar *>(chunk.constData());
            for (qint64 i = 0; i < count; ++i) {
                if (!pieceDeleted->has_value()) {
                    if (const qint64 at = start + (done + i) * width; at >= run.end)
                        run = marks->at(at);
                    if (run.deleted)
                        continue;
                }
                text.put(compressed ? fromCompressed(data[i])
                                    : char16_t(qFromLittleEndian<quint16>(data + 2 * i)));
            }
            done += count;
        }
    }
    return text.finish();
}

} // namespace hb
