#pragma once

#include <QString>

#include <vector>

namespace hb {

// Turns the characters of a .doc's main text into plain text: control characters become line
// breaks or disappear, and of each field only the result is kept.
class DocMainText {
public:
    // Reserves room for `expectedLength` characters.
    explicit DocMainText(qsizetype expectedLength);

    void put(char16_t character);

    // The text so far; the document's last paragraph mark ends the text, not a line.
    QString finish();

private:
    QString m_text;
    std::vector<bool> m_fields; // open fields, innermost last: true while in the field's code
    qsizetype m_fieldCodes = 0; // how many of them are in their code
    bool m_endsWithParagraph = false;
};

} // namespace hb
