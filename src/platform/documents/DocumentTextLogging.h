#pragma once

#include <QLoggingCategory>

namespace hb {

// The Word readers: which reader read a document, and why one was refused.
// Debug messages are off unless QT_LOGGING_RULES="huebench.documents.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcDocuments)

} // namespace hb
