#pragma once

#include <QString>

namespace hb {

// A fresh random UUID in canonical upper-case text, without braces
// ("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"); used for identifiers and temporary folder names.
QString newUuidText();

} // namespace hb
