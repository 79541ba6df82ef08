#include "dadavezaruz-server/ControllerAccess.h"

#include "common/TextHelpers.h"
#include "platform/netif/PlainAddress.h"

namespace hb {
namespace {

using namespace Qt::StringLiterals;

} // namespace

ControllerAccess::Kind ControllerAccess::classify(const QHostAddress &address)
{
    return AddressScope::classify(address);
}

QString ControllerAccess::addressText(const QHostAddress &address)
{
    return plainAddress(address).toString();
}

std::optional<QString> ControllerAccess::allowProblem(const QString &text)
{
    const QHostAddress address(text.trimmed());
    if (address.isNull())
        return inQuotes(text.trimmed()) + u" is not an IP address"_s;
    if (classify(address) == Kind::Elsewhere) {
        return addressText(address) +
               u" is not on the local network: controllers there are never served"_s;
    }
    return std::nullopt;
}

} // namespace hb
