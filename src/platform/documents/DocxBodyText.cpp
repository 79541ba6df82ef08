#include "platform/documents/DocxBodyText.h"

#include "platform/documents/DocxTextCommon.h"

#include <QXmlStreamReader>

#include <utility>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// The main part's namespace, in the transitional and in the strict flavour of the format.
constexpr QStringView kWordNamespaces[] = {
    u"http://schemas.openxmlformats.org/wordprocessingml/2006/main",
    u"http://purl.oclc.org/ooxml/wordprocessingml/main"};
constexpr QStringView kCompatibilityNamespace =
    u"http://schemas.openxmlformats.org/markup-compatibility/2006";

// Elements of the main part whose whole content is left out of the text: deleted and moved-away
// revisions, field codes, the phonetic guide above ruby text and the table grid. Properties
// (pPr, rPr, sectPr, tblPr, ... and their recorded changes) are left out by their name's ending;
// some of their children share names with content, such as the tab stops in pPr/tabs/tab.
constexpr QStringView kElementsWithoutText[] = {
    u"del", u"moveFrom", u"delText", u"delInstrText", u"instrText", u"rt", u"tblGrid"};

// Marks of a paragraph mark's own properties (p/pPr/rPr) that take the mark away once the
// tracked changes are accepted.
constexpr QStringView kMarkRemovals[] = {u"del", u"moveFrom"};

} // namespace

DocxBodyText::DocxBodyText(qsizetype maxTextBytes) : m_maxTextBytes(maxTextBytes) {}

bool DocxBodyText::isComplete() const
{
    return m_complete;
}

QString DocxBodyText::take()
{
    return std::move(m_text);
}

Expected<DocxPackage::Next> DocxBodyText::readTokens(QXmlStreamReader &xml)
{
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (auto error = start(xml))
                return *error;
            break;
        case QXmlStreamReader::EndElement:
            end(xml);
            break;
        case QXmlStreamReader::Characters:
            if (m_inText && m_skippedFrom == 0 && m_fieldCodes == 0)
                m_text += xml.text();
            break;
        default:
            break;
        }
        if (m_text.size() > m_maxTextBytes / 2)
            return documentTextTooLarge(m_maxTextBytes);
    }
    return DocxPackage::Next::Continue;
}

std::optional<Error> DocxBodyText::start(const QXmlStreamReader &xml)
{
    ++m_depth;
    if (m_skippedFrom != 0) {
        if (m_markDepth != 0)
            markProperty(xml);
        return std::nullopt;
    }
    const QStringView space = xml.namespaceUri();
    const QStringView name = xml.name();
    const bool word = isOneOf(space, kWordNamespaces);
    if (m_depth == 1) {
        if (!word || name != u"document")
            return docxNotADocument(u"its main part holds no word-processing text."_s);
        return std::nullopt;
    }
    // Alternative content comes with a fallback that repeats it for older readers.
    if (!word) {
        if (space == kCompatibilityNamespace && name == u"Fallback")
            m_skippedFrom = m_depth;
        return std::nullopt;
    }
    if (name.endsWith(u"Pr") || name.endsWith(u"PrEx") || name.endsWith(u"PrChange") ||
        isOneOf(name, kElementsWithoutText)) {
        m_skippedFrom = m_depth;
        // The paragraph's properties come first; they say whether its mark was deleted.
        if (name == u"pPr" && !m_openParagraphs.empty() &&
            m_openParagraphs.back().depth == m_depth - 1)
            m_markDepth = m_depth;
        return std::nullopt;
    }
    if (name == u"p") {
        if (m_paragraphs++ > 0 && !m_joinNext)
            m_text += u'\n';
        m_joinNext = false;
        m_openParagraphs.push_back({m_depth, false});
    } else if (name == u"fldChar") {
        fieldMark(xml.attributes().value(space.toString(), "fldCharType"_L1));
    } else if (m_fieldCodes > 0) {
        // Everything between a field's start and its separator is its code.
    } else if (name == u"t") {
        m_inText = true;
    } else if (name == u"tab" || name == u"ptab") {
        m_text += u'\t';
    } else if (name == u"br" || name == u"cr") {
        m_text += u'\n';
    } else if (name == u"noBreakHyphen") {
        m_text += u'-';
    } else if (name == u"sym") {
        symbol(xml.attributes().value(space.toString(), "char"_L1));
    }
    return std::nullopt;
}

// Inside the properties of an open paragraph: finds its mark's properties (pPr/rPr) and a
// deletion among them. The deletion of a former state (pPr/rPr/rPrChange/rPr/del) is not one.
void DocxBodyText::markProperty(const QXmlStreamReader &xml)
{
    const int properties = m_openParagraphs.back().depth + 1;
    if (m_depth != m_markDepth + 1 || !isOneOf(xml.namespaceUri(), kWordNamespaces))
        return;
    if (m_markDepth == properties && xml.name() == u"rPr")
        m_markDepth = m_depth;
    else if (m_markDepth == properties + 1 && isOneOf(xml.name(), kMarkRemovals))
        m_openParagraphs.back().markRemoved = true;
}

void DocxBodyText::end(const QXmlStreamReader &xml)
{
    if (m_depth == m_markDepth) // an rPr closes back to its pPr, a pPr to none
        m_markDepth = m_markDepth == m_skippedFrom ? 0 : m_markDepth - 1;
    if (m_skippedFrom == m_depth) {
        m_skippedFrom = 0;
    } else if (m_skippedFrom == 0 && !m_openParagraphs.empty() &&
               m_openParagraphs.back().depth == m_depth) {
        // Without its mark the paragraph runs on into the next one.
        m_joinNext = m_openParagraphs.back().markRemoved;
        m_openParagraphs.pop_back();
    } else if (m_skippedFrom == 0 && xml.name() == u"t") {
        m_inText = false;
    }
    if (--m_depth == 0)
        m_complete = true;
}

// Fields nest; each open field is in its code until its separator.
void DocxBodyText::fieldMark(QStringView type)
{
    if (type == u"begin") {
        m_fields.push_back(true);
        ++m_fieldCodes;
    } else if (type == u"separate") {
        if (!m_fields.empty() && m_fields.back()) {
            m_fields.back() = false;
            --m_fieldCodes;
        }
    } else if (type == u"end") {
        if (!m_fields.empty()) {
            if (m_fields.back())
                --m_fieldCodes;
            m_fields.pop_back();
        }
    }
}

// A character picked from a font by its hexadecimal code. Symbol fonts use the private-use
// range, which is kept: the code still tells a reader which character was meant.
void DocxBodyText::symbol(QStringView code)
{
    bool ok = false;
    const uint value = code.toUInt(&ok, 16);
    if (ok && value >= 0x20 && value <= 0xFFFF && !QChar::isSurrogate(value))
        m_text += QChar(char16_t(value));
}

} // namespace hb
