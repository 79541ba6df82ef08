#pragma once

#include <QString>

namespace hb {

// A fresh random UUID in canonical upper-case text, without braces
// ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"); used for identifiers and temporary folder names.
QString newUuidText();

// Text for a message, between typographic double quotes: “text”. Text longer than `maxShown`
// characters is cut there and ends in an ellipsis inside the quotes, so that text from outside
// cannot flood the screen.
QString inQuotes(QStringView text, qsizetype maxShown = 80);

} // namespace hb
