#pragma once

#include <QString>
#include <QStringList>

namespace hb::test {

// Writes a .docx at `path` holding one paragraph per line; false when it cannot be written.
bool writeTranscriptDocx(const QString &path, const QStringList &lines);

} // namespace hb::test
