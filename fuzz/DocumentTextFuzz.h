#pragma once

// What both Word readers' fuzz targets check of a reading, whatever the bytes: text that keeps
// to the text limit, or an error of the documents domain that says why.

#include "FuzzCheck.h"
#include "common/Expected.h"
#include "platform/documents/DocumentText.h"

namespace hb::fuzz {

// Small limits, so that the fuzzer reaches them with small inputs.
inline constexpr DocumentTextLimits kDocumentLimits{64 * 1024, 4 * 1024 * 1024};

inline void checkDocumentText(const Expected<QString> &text)
{
    if (text) {
        check(text->size() * 2 <= kDocumentLimits.maxTextBytes, "the text keeps to the limit");
    } else {
        check(text.error().domain == errorDomain(DocumentTextError::Damaged),
              "errors are of the documents domain");
        check(!text.error().description.isEmpty(), "a failure says why");
    }
}

} // namespace hb::fuzz
