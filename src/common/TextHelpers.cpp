#include "common/TextHelpers.h"

#include <QUuid>

namespace hb {

QString newUuidText()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace hb
