#pragma once

#include <QString>

namespace hb {

// A failure of a conversion or service call. Screens show `description`; `domain` and
// `code` let callers and tests tell failures apart without parsing text.
//
// Each domain has one enum of codes, declared by the component that owns the domain together with
// `QString errorDomain(TheEnum)`, which names the domain. make() and is() use that pair, so a
// code is never written or compared without its domain.
struct Error {
    QString domain;
    int code = 0;
    QString description;

    template <typename Code> static Error make(Code code, const QString &description)
    {
        return Error{errorDomain(code), static_cast<int>(code), description};
    }

    template <typename Code> bool is(Code wanted) const
    {
        return code == static_cast<int>(wanted) && domain == errorDomain(wanted);
    }

    friend bool operator==(const Error &, const Error &) = default;
};

} // namespace hb
