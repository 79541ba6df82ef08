#include "platform/documents/DocMainText.h"

#include <utility>

namespace hb {

DocMainText::DocMainText(qsizetype expectedLength)
{
    m_text.reserve(expectedLength);
}

void DocMainText::put(char16_t character)
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

QString DocMainText::finish()
{
    if (m_endsWithParagraph)
        m_text.chop(1);
    return std::move(m_text);
}

} // namespace hb
