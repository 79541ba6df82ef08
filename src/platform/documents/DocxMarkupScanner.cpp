#include "platform/documents/DocxMarkupScanner.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

using Refusal = DocxMarkupScanner::Refusal;

// How much of an XML part the XML reader may have to hold at once. It keeps a whole token (a
// run of text, a tag with its attributes, a comment) until its end, and the names and namespace
// declarations of every open element, so each of these is bounded before the reader sees it.
// The counts bound its work as well: it compares each attribute with the element's others, and
// looks a prefix up through the declarations in scope. Word's own documents stay far below all
// of these (its root element declares about 40 namespaces).
constexpr qint64 kMaxTextRunBytes = 16'000'000;    // character data between two tags
constexpr qint64 kMaxMarkupBytes = 1'000'000;      // a tag, comment, PI or CDATA section
constexpr qint64 kMaxNameBytes = 1000;             // an element's or an attribute's name
constexpr qint64 kMaxOpenMarkupBytes = 16'000'000; // the start tags of the open elements
constexpr int kMaxAttributes = 512;                // of one element
constexpr int kMaxDepth = 4096;                    // of nested elements
constexpr int kMaxDeclarationsInScope = 1024;      // namespace declarations of the open elements
// The XML declaration is read for its encoding; a longer one is not looked into.
constexpr qsizetype kMaxDeclarationChars = 512;

QString dataSize(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, 0, QLocale::DataSizeSIFormat);
}

Refusal malformed(const QString &why)
{
    return {DocumentTextError::Damaged, why};
}

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

Refusal unknownEncoding(const QString &encoding)
{
    return malformed(u"its XML is in an encoding this reader does not take (%1)"_s.arg(encoding));
}

Refusal textTooLong()
{
    return {
        DocumentTextError::TooLarge,
        u"The document is larger than %1 in one run of text."_s.arg(dataSize(kMaxTextRunBytes))};
}

Refusal nameTooLong()
{
    return malformed(u"a name in its XML is longer than %1"_s.arg(dataSize(kMaxNameBytes)));
}

} // namespace

std::optional<Refusal> DocxMarkupScanner::scan(QByteArrayView bytes)
{
    if (m_width == 0) {
        if (auto refusal = detectEncoding(bytes))
            return refusal;
    }
    auto refusal = m_width == 2 ? scanWide(bytes) : scanNarrow(bytes);
    m_offset += bytes.size();
    return refusal;
}

qint64 DocxMarkupScanner::settledBytes() const
{
    return m_state == State::Text ? m_offset : m_markupStart;
}

qint64 DocxMarkupScanner::scannedBytes() const
{
    return m_offset;
}

// UTF-16 parts start with a byte-order mark or with "<" as a 16-bit unit; everything else
// keeps the ASCII characters of markup as single bytes, except UTF-32, which is refused.
std::optional<Refusal> DocxMarkupScanner::detectEncoding(QByteArrayView bytes)
{
    m_width = 1;
    if (bytes.size() < 2)
        return std::nullopt;
    const QByteArrayView start = bytes.first(std::min<qsizetype>(4, bytes.size()));
    if (start == QByteArrayView("\xFF\xFE\0\0", 4) || start == QByteArrayView("<\0\0\0", 4) ||
        start.startsWith(QByteArrayView("\0\0", 2)))
        return unknownEncoding(u"UTF-32"_s);
    const auto first = uchar(bytes[0]);
    const auto second = uchar(bytes[1]);
    if ((first == 0xFF && second == 0xFE) || (first == '<' && second == 0)) {
        m_width = 2;
    } else if ((first == 0xFE && second == 0xFF) || (first == 0 && second == '<')) {
        m_width = 2;
        m_bigEndian = true;
    }
    return std::nullopt;
}

std::optional<Refusal> DocxMarkupScanner::scanNarrow(QByteArrayView bytes)
{
    const char *data = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (m_state == State::Text) {
            // Most bytes are text: jump to the next tag.
            const void *open = std::memchr(data + i, '<', size_t(bytes.size() - i));
            const qsizetype at = open ? static_cast<const char *>(open) - data : bytes.size();
            m_run += at - i;
            if (m_run > kMaxTextRunBytes)
                return textTooLong();
            i = at;
            if (!open)
                break;
            m_markupStart = m_offset + at;
        }
        if (auto refusal = step(char16_t(uchar(data[i]))))
            return refusal;
    }
    return std::nullopt;
}

std::optional<Refusal> DocxMarkupScanner::scanWide(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!m_pending) {
            m_pending = uchar(bytes[i]);
            continue;
        }
        const auto other = uchar(bytes[i]);
        const char16_t unit =
            m_bigEndian ? char16_t(*m_pending << 8 | other) : char16_t(other << 8 | *m_pending);
        m_pending.reset();
        if (m_state == State::Text) {
            if (unit != u'<') {
                m_run += 2;
                if (m_run > kMaxTextRunBytes)
                    return textTooLong();
                continue;
            }
            m_markupStart = m_offset + i - 1; // where the unit's first byte is
        }
        if (auto refusal = step(unit))
            return refusal;
    }
    return std::nullopt;
}

std::optional<Refusal> DocxMarkupScanner::step(char16_t c)
{
    m_token += m_width;
    std::optional<Refusal> refusal;
    switch (m_state) {
    case State::Text: // c is '<'
        m_run = 0;
        m_token = m_width;
        m_state = State::Open;
        return std::nullopt;
    case State::Open:
        open(c);
        break;
    case State::Bang:
        refusal = bang(c);
        break;
    case State::Name:
        if (c == u'>') {
            refusal = closeStartTag();
        } else if (c == u'/' || isSpace(c)) {
            m_slash = c == u'/';
            m_state = State::Tag;
        } else if ((m_name += m_width) > kMaxNameBytes) {
            refusal = nameTooLong();
        }
        break;
    case State::Tag:
        refusal = insideTag(c);
        break;
    case State::Value:
        if (c == m_quote)
            m_state = State::Tag;
        break;
    case State::EndTag:
        if (c == u'>')
            closeEndTag();
        break;
    case State::Comment:
        if (c == u'>' && m_marks >= 2)
            m_state = State::Text;
        m_marks = c == u'-' ? m_marks + 1 : 0;
        break;
    case State::Instruction:
        if (c == u'>' && m_marks > 0) {
            refusal = closeInstruction();
            break;
        }
        m_marks = c == u'?' ? 1 : 0;
        if (m_tokens == 0 && m_declaration.size() < kMaxDeclarationChars)
            m_declaration += QChar(c);
        break;
    case State::Cdata:
        if (c == u'>' && m_marks >= 2)
            m_state = State::Text;
        m_marks = c == u']' ? m_marks + 1 : 0;
        break;
    case State::Other:
        if (c == u'>')
            m_state = State::Text;
        break;
    }
    if (refusal)
        return refusal;
    if (m_state == State::Text) {
        ++m_tokens;
        return std::nullopt;
    }
    if (m_token <= kMaxMarkupBytes)
        return std::nullopt;
    const QString size = dataSize(kMaxMarkupBytes);
    switch (m_state) {
    case State::Comment:
    case State::Instruction:
        return malformed(u"a comment or instruction in its XML is longer than %1"_s.arg(size));
    case State::Cdata:
        return malformed(u"a CDATA section in its XML is longer than %1"_s.arg(size));
    default:
        return malformed(u"a tag in its XML is longer than %1"_s.arg(size));
    }
}

void DocxMarkupScanner::open(char16_t c)
{
    m_marks = 0;
    if (c == u'/') {
        m_state = State::EndTag;
    } else if (c == u'?') {
        m_state = State::Instruction;
    } else if (c == u'!') {
        m_state = State::Bang;
        m_bang.clear();
    } else {
        m_state = State::Name;
        m_name = m_width;
        m_attributes = 0;
        m_tagDeclarations = 0;
        m_slash = false;
        m_attributeName = false;
    }
}

// "<!" starts a comment, a CDATA section, a document type or something the reader refuses.
std::optional<Refusal> DocxMarkupScanner::bang(char16_t c)
{
    m_bang += QChar(c);
    if (m_bang == u"--") {
        m_state = State::Comment;
    } else if (m_bang == u"[CDATA[") {
        m_state = State::Cdata;
    } else if (m_bang == u"DOCTYPE") {
        return malformed(u"its XML declares a document type, which may define entities"_s);
    } else if (!QStringView(u"--").startsWith(m_bang) &&
               !QStringView(u"[CDATA[").startsWith(m_bang) &&
               !QStringView(u"DOCTYPE").startsWith(m_bang)) {
        m_state = c == u'>' ? State::Text : State::Other;
    }
    return std::nullopt;
}

std::optional<Refusal> DocxMarkupScanner::insideTag(char16_t c)
{
    if (c == u'>') {
        endAttributeName();
        return closeStartTag();
    }
    if (c == u'/') {
        endAttributeName();
        m_slash = true;
        return std::nullopt;
    }
    m_slash = false;
    if (c == u'"' || c == u'\'' || c == u'=' || isSpace(c)) {
        endAttributeName();
        if (c == u'"' || c == u'\'') {
            m_quote = c;
            m_state = State::Value;
        }
        return std::nullopt;
    }
    if (!m_attributeName) {
        m_attributeName = true;
        m_attributeNameBytes = 0;
        m_attributePrefix.clear();
        if (++m_attributes > kMaxAttributes)
            return malformed(
                u"an element in its XML has more than %1 attributes"_s.arg(kMaxAttributes));
    }
    if ((m_attributeNameBytes += m_width) > kMaxNameBytes)
        return nameTooLong();
    if (m_attributePrefix.size() < 6)
        m_attributePrefix += QChar(c);
    return std::nullopt;
}

void DocxMarkupScanner::endAttributeName()
{
    if (!m_attributeName)
        return;
    m_attributeName = false;
    if (m_attributePrefix == u"xmlns" || m_attributePrefix == u"xmlns:")
        ++m_tagDeclarations;
}

std::optional<Refusal> DocxMarkupScanner::closeStartTag()
{
    m_state = State::Text;
    if (m_slash)
        return std::nullopt;
    m_open.push_back({m_token, m_tagDeclarations});
    m_openBytes += m_token;
    m_declarationsInScope += m_tagDeclarations;
    if (qsizetype(m_open.size()) > kMaxDepth)
        return malformed(u"the elements of its XML nest more than %1 deep"_s.arg(kMaxDepth));
    if (m_openBytes > kMaxOpenMarkupBytes)
        return malformed(u"the open elements of its XML have tags of more than %1"_s.arg(
            dataSize(kMaxOpenMarkupBytes)));
    if (m_declarationsInScope > kMaxDeclarationsInScope)
        return malformed(u"its XML has more than %1 namespace declarations in scope"_s.arg(
            kMaxDeclarationsInScope));
    return std::nullopt;
}

void DocxMarkupScanner::closeEndTag()
{
    m_state = State::Text;
    if (m_open.empty())
        return;
    m_openBytes -= m_open.back().bytes;
    m_declarationsInScope -= m_open.back().declarations;
    m_open.pop_back();
}

// The XML reader would switch to the encoding the XML declaration names. Only encodings
// that keep markup where this scanner looks for it are taken.
std::optional<Refusal> DocxMarkupScanner::closeInstruction()
{
    m_state = State::Text;
    if (m_tokens != 0 || !m_declaration.startsWith(u"xml"_s) || m_declaration.size() < 4 ||
        !isSpace(m_declaration.at(3).unicode()))
        return std::nullopt;
    // Real declarations are short; a longer one could hide its encoding from this check.
    if (m_declaration.size() >= kMaxDeclarationChars)
        return malformed(
            u"its XML declaration is longer than %1 characters"_s.arg(kMaxDeclarationChars));
    static const QRegularExpression encodingAttribute(uR"(\sencoding\s*=\s*["']([^"']*)["'])"_s);
    const auto match = encodingAttribute.match(m_declaration);
    if (!match.hasMatch())
        return std::nullopt;
    const QString encoding = match.captured(1);
    static const QRegularExpression narrow(
        uR"(^(utf-?8|us-ascii|ascii|iso-8859-\d+|windows-125\d)$)"_s,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression wide(uR"(^(utf-?16(le|be)?|ucs-2)$)"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    if ((m_width == 1 ? narrow : wide).match(encoding).hasMatch())
        return std::nullopt;
    return unknownEncoding(encoding.left(40));
}

} // namespace hb
