#pragma once

#include "platform/documents/DocumentText.h"
#include "platform/documents/DocxPackage.h"

#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

class QXmlStreamReader;

namespace hb {

// Collects the text of a .docx's main part, token by token, as the chunks arrive: the text
// DocxTextReader describes. Refuses a root element other than the word-processing document
// (NotADocument) and text past `maxTextBytes` (TooLarge).
class DocxBodyText {
public:
    explicit DocxBodyText(qsizetype maxTextBytes);

    // True once the root element has been closed: the part was read to its end.
    bool isComplete() const;
    QString take();

    // Takes the tokens the XML reader has so far; a DocxPackage::TokenReader.
    Expected<DocxPackage::Next> readTokens(QXmlStreamReader &xml);

private:
    std::optional<Error> start(const QXmlStreamReader &xml);
    void markProperty(const QXmlStreamReader &xml);
    void end(const QXmlStreamReader &xml);
    void fieldMark(QStringView type);
    void symbol(QStringView code);

    qsizetype m_maxTextBytes;
    QString m_text;
    qsizetype m_paragraphs = 0;
    int m_depth = 0;
    int m_skippedFrom = 0; // the depth of the element whose content is skipped, or 0
    bool m_inText = false;
    bool m_complete = false;
    std::vector<bool> m_fields; // open fields, innermost last: true while in the field's code
    qsizetype m_fieldCodes = 0; // how many of them are in their code

    struct OpenParagraph {
        int depth = 0;
        bool markRemoved = false; // its mark is deleted or moved away
    };
    std::vector<OpenParagraph> m_openParagraphs; // innermost last
    // While the innermost paragraph's properties are open: the depth of its pPr, or of the rPr
    // in there once that is open; otherwise 0.
    int m_markDepth = 0;
    bool m_joinNext = false; // the paragraph that ended last lost its mark
};

} // namespace hb
