#pragma once

#include <QString>

namespace hb {

// A failure of a conversion or service call. Screens show `description`; `domain` and
// `code` let callers and tests tell failures apart without parsing text.
struct Error {
    QString domain;
    int code = 0;
    QString description;

    friend bool operator==(const Error &, const Error &) = default;
};

} // namespace hb
