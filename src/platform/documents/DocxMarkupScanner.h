#pragma once

#include "platform/documents/DocumentText.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace hb {

// Follows the bytes of an XML part, chunk by chunk, before the XML reader gets them, and refuses
// the chunk in which a token passes its bound. It finds tokens as the XML reader would in a
// well-formed part; where the part is not well-formed the reader stops with an error anyway.
// A document type declaration is refused outright: entities are the only way to make a small
// part expand, and no word processor writes one.
class DocxMarkupScanner {
public:
    // Why a part was refused before the XML reader got to hold it.
    struct Refusal {
        DocumentTextError code;
        QString why;
    };

    std::optional<Refusal> scan(QByteArrayView bytes);

    // How many of the bytes scanned so far end before the markup that is still open. The XML
    // reader is given no more than these: it would scan an unfinished tag, comment or CDATA
    // section again from its start with every chunk that does not finish it.
    qint64 settledBytes() const;
    qint64 scannedBytes() const;

private:
    enum class State : quint8 {
        Text,
        Open,        // after "<"
        Bang,        // after "<!"
        Name,        // an element's name
        Tag,         // inside a start tag, after the name
        Value,       // an attribute's value
        EndTag,      // "</...>"
        Comment,     // "<!--...-->"
        Instruction, // "<?...?>"
        Cdata,       // "<![CDATA[...]]>"
        Other,       // "<!...>" of another kind, which the XML reader refuses
    };

    struct OpenElement {
        qint64 bytes = 0;
        int declarations = 0;
    };

    std::optional<Refusal> detectEncoding(QByteArrayView bytes);
    std::optional<Refusal> scanNarrow(QByteArrayView bytes);
    std::optional<Refusal> scanWide(QByteArrayView bytes);
    std::optional<Refusal> step(char16_t c);
    void open(char16_t c);
    std::optional<Refusal> bang(char16_t c);
    std::optional<Refusal> insideTag(char16_t c);
    void endAttributeName();
    std::optional<Refusal> closeStartTag();
    void closeEndTag();
    std::optional<Refusal> closeInstruction();

    State m_state = State::Text;
    int m_width = 0; // bytes per character: 1, or 2 for UTF-16; 0 before the first bytes
    bool m_bigEndian = false;
    std::optional<uchar> m_pending; // the first byte of a UTF-16 unit split between chunks
    qint64 m_offset = 0;            // bytes scanned before the current chunk
    qint64 m_markupStart = 0;       // where the current markup starts, from the part's start
    qint64 m_run = 0;               // bytes of the current run of text
    qint64 m_token = 0;             // bytes of the current markup, from its "<"
    qint64 m_tokens = 0;            // markup tokens ended so far
    qint64 m_name = 0;
    int m_marks = 0; // how many of the characters that end a comment, PI or CDATA were just seen
    QString m_bang;
    QString m_declaration;
    char16_t m_quote = 0;
    bool m_slash = false;
    bool m_attributeName = false;
    qint64 m_attributeNameBytes = 0;
    QString m_attributePrefix;
    int m_attributes = 0;
    int m_tagDeclarations = 0;
    std::vector<OpenElement> m_open;
    qint64 m_openBytes = 0;
    int m_declarationsInScope = 0;
};

} // namespace hb
