#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

namespace hb::test {

// An OLE2 compound file holding the given streams, each a (name, bytes) pair.
QByteArray compoundFile(const QList<std::pair<QByteArray, QByteArray>> &streams);

} // namespace hb::test
