#pragma once

#include "common/Expected.h"
#include "platform/documents/DocumentText.h"

#include <QByteArrayView>

#include <optional>
#include <utility>
#include <vector>

namespace hb {

class DocStream;

// The tracked deletions of a .doc: the runs of its text whose character properties mark them as
// deleted while changes were tracked, as ranges of byte offsets into the WordDocument stream.
// Inserted text needs nothing: with every change accepted it is ordinary text.
//
// The runs come from the character property pages (512-byte FKPs in the WordDocument stream)
// that the table stream's PlcBteChpx lists; a run's properties are a group of property
// modifiers (sprms), of which only sprmCFRMarkDel matters here.
class DocRevisionMarks {
public:
    // Whether the text at one offset is deleted, and the offset at which that stops holding.
    struct Span {
        bool deleted = false;
        qint64 end = 0;
    };

    // Reads the runs that the PlcBteChpx at `offset`, `length` bytes long, in `table` lists.
    // Gives a Damaged error for tables and pages that do not fit their streams, Cancelled when
    // `limits` says so between pages.
    static Expected<DocRevisionMarks> read(const DocStream &word, const DocStream &table,
                                           quint32 offset, quint32 length,
                                           const DocumentTextLimits &limits);

    Span at(qint64 fc) const;

    // What a group of property modifiers says of deletion: nothing, or whether the text is
    // deleted (the last modifier that says so wins). A group cut short counts up to the cut.
    static std::optional<bool> deletion(QByteArrayView grpprl);
    // The same for the one modifier a piece can carry by itself (a Prm0: its index and value).
    static std::optional<bool> deletion(quint8 isprm, quint8 value);

private:
    // [begin, end), sorted, apart; 32-bit as the pages give them, so that a file made of
    // nothing but runs takes no more memory than its own size.
    std::vector<std::pair<quint32, quint32>> m_deleted;
};

} // namespace hb
