#include "platform/documents/DocTextReader.h"

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
#include <utility>
#include <vector>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

constexpr char kCompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

// The file information block at the start of the WordDocument stream.
constexpr quint16 kWordIdentifier = 0xA5EC;
constexpr quint16 kFirstWord97Version = 0x00C1; // Word 6 and 95 files have smaller versions
constexpr quint16 kEncryptedFlag = 0x0100;      // also set for XOR-obfuscated files
constexpr quint16 kTableOneFlag = 0x0200;       // the table stream is "1Table", else "0Table"
constexpr qint64 kFlagsOffset = 10;
constexpr qint64 kShortsCountOffset = 32; // after the fixed base of 32 bytes
constexpr int kMainTextLong = 3;          // ccpText among the 32-bit values
constexpr int kClxPair = 33;              // fcClx/lcbClx among the offset/length pairs

// The piece table and its pieces.
constexpr char kPropertyEntry = 0x01;
constexpr char kPieceTableEntry = 0x02;
constexpr qint64 kPieceBytes = 8;
constexpr qint64 kPieceFcOffset = 2;
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

Error notADoc()
{
    return documentTextError(DocumentTextError::NotADocument,
                             u"This is not a Word document (.docx or .doc)."_s);
}

Error damaged(const QString &why)
{
    return documentTextError(DocumentTextError::Damaged,
                             u"The Word document (.doc) is damaged: %1."_s.arg(why));
}

Error encrypted()
{
    return documentTextError(DocumentTextError::Unsupported,
                             u"This Word document is password-protected. Remove the password in "
                             u"Word and save it again."_s);
}

Error tooOld()
{
    return documentTextError(DocumentTextError::Unsupported,
                             u"This Word document was saved by Word 95 or older. Save it again "
                             u"in a newer Word format (.docx)."_s);
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

// One stream of the compound file. Every read is checked against the stream's size first.
class Stream {
public:
    explicit Stream(GsfInput *input) : m_input(input), m_size(gsf_input_size(input)) {}

    qint64 size() const { return m_size; }

    bool read(qint64 offset, qint64 length, void *into) const
    {
        if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
            return false;
        if (length == 0)
            return true;
        // libgsf's seek returns true when it fails.
        return !gsf_input_seek(m_input, gsf_off_t(offset), G_SEEK_SET) &&
               gsf_input_read(m_input, size_t(length), static_cast<guint8 *>(into));
    }

    template <typename T> std::optional<T> number(qint64 offset) const
    {
        uchar bytes[sizeof(T)];
        if (!read(offset, qint64(sizeof(T)), bytes))
            return std::nullopt;
        return qFromLittleEndian<T>(bytes);
    }

private:
    GsfInput *m_input;
    qint64 m_size;
};

// What the text needs from the file information block.
struct FileInformation {
    qint64 mainTextLength = 0; // characters of the main document, before footnotes and the rest
    bool tableOne = false;
    quint32 clxOffset = 0; // the piece table and its properties, in the table stream
    quint32 clxLength = 0;
};

Expected<FileInformation> readFileInformation(const Stream &word)
{
    const auto identifier = word.number<quint16>(0);
    if (!identifier || *identifier != kWordIdentifier)
        return damaged(u"its WordDocument stream does not start with a Word header"_s);
    const auto version = word.number<quint16>(2);
    const auto flags = word.number<quint16>(kFlagsOffset);
    if (!version || !flags)
        return damaged(u"its Word header is cut short"_s);
    if (*version < kFirstWord97Version)
        return tooOld();
    if (*flags & kEncryptedFlag)
        return encrypted();

    // After the fixed base come three counted arrays: 16-bit values, 32-bit values and
    // offset/length pairs, each preceded by its count.
    const auto shorts = word.number<quint16>(kShortsCountOffset);
    const qint64 longsCountAt = kShortsCountOffset + 2 + 2 * qint64(shorts.value_or(0));
    const auto longs = word.number<quint16>(longsCountAt);
    const qint64 pairsCountAt = longsCountAt + 2 + 4 * qint64(longs.value_or(0));
    const auto pairs = word.number<quint16>(pairsCountAt);
    if (!shorts || !longs || !pairs || *longs <= kMainTextLong || *pairs <= kClxPair)
        return damaged(u"its Word header is cut short"_s);
    const auto mainText = word.number<qint32>(longsCountAt + 2 + 4 * kMainTextLong);
    const qint64 clxAt = pairsCountAt + 2 + 8 * kClxPair;
    const auto clxOffset = word.number<quint32>(clxAt);
    const auto clxLength = word.number<quint32>(clxAt + 4);
    if (!mainText || !clxOffset || !clxLength)
        return damaged(u"its Word header is cut short"_s);
    if (*mainText < 0)
        return damaged(u"its Word header gives a negative text length"_s);
    return FileInformation{*mainText, (*flags & kTableOneFlag) != 0, *clxOffset, *clxLength};
}

// The piece table: `count` pieces, piece i holding the characters from cp(i) to cp(i + 1).
struct PieceTable {
    QByteArray bytes; // the whole CLX, as read
    qsizetype at = 0; // where the piece table's character positions start
    qsizetype count = 0;

    qint64 cp(qsizetype index) const
    {
        return qFromLittleEndian<quint32>(bytes.constData() + at + 4 * index);
    }
    quint32 fc(qsizetype index) const
    {
        return qFromLittleEndian<quint32>(bytes.constData() + at + 4 * (count + 1) +
                                          kPieceBytes * index + kPieceFcOffset);
    }
};

Expected<PieceTable> readPieceTable(const Stream &table, const FileInformation &information)
{
    const qint64 offset = information.clxOffset;
    const qint64 length = information.clxLength;
    if (length == 0 || offset > table.size() || length > table.size() - offset)
        return damaged(u"its piece table lies outside the table stream"_s);
    PieceTable pieces;
    pieces.bytes = QByteArray(length, Qt::Uninitialized);
    if (!table.read(offset, length, pieces.bytes.data()))
        return damaged(u"its piece table cannot be read"_s);

    // Formatting entries come first; the piece table follows them.
    const QByteArray &clx = pieces.bytes;
    qsizetype at = 0;
    while (at < clx.size() && clx[at] == kPropertyEntry) {
        if (clx.size() - at < 3)
            return damaged(u"its piece table is cut short"_s);
        const qint16 entryLength = qFromLittleEndian<qint16>(clx.constData() + at + 1);
        if (entryLength < 0)
            return damaged(u"its piece table has an entry of negative length"_s);
        at += 3 + entryLength;
    }
    if (at >= clx.size() || clx[at] != kPieceTableEntry || clx.size() - at < 5)
        return damaged(u"it has no piece table"_s);
    const quint32 tableLength = qFromLittleEndian<quint32>(clx.constData() + at + 1);
    // n + 1 character positions of 4 bytes and n pieces of 8 bytes.
    if (tableLength > quint32(clx.size() - at - 5) || tableLength < 16 ||
        (tableLength - 4) % 12 != 0)
        return damaged(u"its piece table has a wrong length"_s);
    pieces.at = at + 5;
    pieces.count = qsizetype((tableLength - 4) / 12);
    if (pieces.cp(0) != 0)
        return damaged(u"its piece table does not start at the first character"_s);
    return pieces;
}

// Turns the characters of the main text into plain text: control characters become line
// breaks or disappear, and of each field only the result is kept.
class MainText {
public:
    explicit MainText(qint64 expectedLength) { m_text.reserve(qsizetype(expectedLength)); }

    void put(char16_t character)
    {
        switch (character) {
        case 0x13: // a field begins with its code
            m_fields.push_back(true);
            ++m_fieldCodes;
            return;
        case 0x14: // the code ends and the result begins
            if (!m_fields.empty() && m_fields.back()) {
                m_fields.back() = false;
                --m_fieldCodes;
            }
            return;
        case 0x15: // the field ends
            if (!m_fields.empty()) {
                if (m_fields.back())
                    --m_fieldCodes;
                m_fields.pop_back();
            }
            return;
        default:
            break;
        }
        if (m_fieldCodes > 0)
            return;
        QChar plain;
        switch (character) {
        case 0x0D: // paragraph mark
        case 0x07: // table cell or row mark
        case 0x0B: // line break
        case 0x0C: // page or section break
        case 0x0E: // column break
            plain = u'\n';
            break;
        case 0x09:
            plain = u'\t';
            break;
        case 0x1E: // non-breaking hyphen
            plain = u'-';
            break;
        default:
            // Optional hyphens, pictures, drawn objects, note and comment anchors, ...
            if (character < 0x20)
                return;
            plain = QChar(character);
            break;
        }
        m_text += plain;
        m_endsWithParagraph = character == 0x0D;
    }

    // The document's last paragraph mark ends the text, not a line.
    QString finish()
    {
        if (m_endsWithParagraph)
            m_text.chop(1);
        return std::move(m_text);
    }

private:
    QString m_text;
    std::vector<bool> m_fields; // open fields, innermost last: true while in the field's code
    qsizetype m_fieldCodes = 0; // how many of them are in their code
    bool m_endsWithParagraph = false;
};

} // namespace

Expected<QString> DocTextReader::read(const QByteArray &bytes, const DocumentTextLimits &limits)
{
    if (!bytes.startsWith(QByteArrayView(kCompoundFileSignature, 8)))
        return notADoc();
    initialiseGsf();
    const GsfPointer<GsfInput> memory(gsf_input_memory_new(
        reinterpret_cast<const guint8 *>(bytes.constData()), gsf_off_t(bytes.size()), FALSE));
    GError *error = nullptr;
    const GsfPointer<GsfInfile> file(gsf_infile_msole_new(memory.get(), &error));
    if (!file) {
        const QString why = error ? QString::fromUtf8(error->message) : QString();
        g_clear_error(&error);
        return damaged(u"its compound file cannot be read (%1)"_s.arg(why));
    }

    const GsfPointer<GsfInput> wordStream(gsf_infile_child_by_name(file.get(), "WordDocument"));
    if (!wordStream) {
        // An encrypted .docx travels in a compound file too.
        if (GsfPointer<GsfInput>(gsf_infile_child_by_name(file.get(), "EncryptedPackage")))
            return encrypted();
        return damaged(u"it has no WordDocument stream"_s);
    }
    // No stream can be larger than the file that holds it.
    const Stream word(wordStream.get());
    if (word.size() > bytes.size())
        return damaged(u"its WordDocument stream is larger than the file"_s);
    const auto information = readFileInformation(word);
    if (!information)
        return information.error();
    if (information->mainTextLength > limits.maxTextBytes / 2)
        return documentTextTooLarge(limits.maxTextBytes);

    const char *tableName = information->tableOne ? "1Table" : "0Table";
    const GsfPointer<GsfInput> tableStream(gsf_infile_child_by_name(file.get(), tableName));
    if (!tableStream)
        return damaged(u"it has no %1 stream"_s.arg(QLatin1StringView(tableName)));
    const Stream table(tableStream.get());
    if (table.size() > bytes.size())
        return damaged(u"its table stream is larger than the file"_s);
    const auto pieces = readPieceTable(table, *information);
    if (!pieces)
        return pieces.error();

    // Pieces follow each other from the first character, so the main text is the first
    // mainTextLength characters of the pieces in their order. Its room is reserved up to the
    // stream's size: only pieces that repeat each other, which no writer makes, hold more.
    MainText text(std::min(information->mainTextLength, word.size()));
    qint64 remaining = information->mainTextLength;
    QByteArray chunk;
    for (qsizetype index = 0; index < pieces->count && remaining > 0; ++index) {
        const qint64 pieceLength = pieces->cp(index + 1) - pieces->cp(index);
        if (pieceLength <= 0)
            return damaged(u"its piece table is out of order"_s);
        const qint64 length = std::min(pieceLength, remaining);
        remaining -= length;

        const quint32 fc = pieces->fc(index);
        const bool compressed = (fc & kCompressedFlag) != 0;
        const qint64 width = compressed ? 1 : 2;
        const qint64 start = compressed ? (fc & kFcMask) / 2 : (fc & kFcMask);
        if (start > word.size() || length > (word.size() - start) / width)
            return damaged(u"a piece of its text lies outside the WordDocument stream"_s);
        for (qint64 done = 0; done < length;) {
            const qint64 count = std::min(length - done, kChunkBytes / width);
            chunk.resize(qsizetype(count * width));
            if (!word.read(start + done * width, count * width, chunk.data()))
                return damaged(u"its text cannot be read"_s);
            const auto *data = reinterpret_cast<const uchar *>(chunk.constData());
            for (qint64 i = 0; i < count; ++i)
                text.put(compressed ? fromCompressed(data[i])
                                    : char16_t(qFromLittleEndian<quint16>(data + 2 * i)));
            done += count;
        }
    }
    return text.finish();
}

} // namespace hb
