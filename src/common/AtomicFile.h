#pragma once

#include "common/Expected.h"

#include <QByteArrayView>
#include <QString>

namespace hb {

// The error domain of file writes; its codes are those of QFileDevice::FileError.
inline constexpr char kFileErrorDomain[] = "File";

// Writes the whole file or nothing: the bytes go to a temporary file beside `path`, which
// replaces `path` only once it is complete and flushed. An existing file is left as it was when
// anything fails.
Expected<Done> writeFileAtomically(const QString &path, QByteArrayView bytes);

} // namespace hb
