#include "platform/netif/LocalAddress.h"

#include <QFile>
#include <QNetworkInterface>

#include <limits>

namespace hb {
namespace {

constexpr quint32 kRouteUp = 0x1; // RTF_UP

std::optional<QHostAddress> firstIPv4(const InterfaceAddresses &interface)
{
    for (const QHostAddress &address : interface.addresses) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    return std::nullopt;
}

QList<InterfaceAddresses> systemInterfaces()
{
    QList<InterfaceAddresses> result;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : all) {
        InterfaceAddresses entry;
        entry.name = interface.name();
        entry.isUp = interface.flags().testFlag(QNetworkInterface::IsUp);
        entry.isLoopback = interface.flags().testFlag(QNetworkInterface::IsLoopBack);
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &address : entries)
            entry.addresses.append(address.ip());
        result.append(entry);
    }
    return result;
}

} // namespace

std::optional<QString> defaultRouteInterface(QByteArrayView procNetRoute)
{
    std::optional<QString> best;
    quint64 bestMetric = std::numeric_limits<quint64>::max();
    const QList<QByteArray> lines = procNetRoute.toByteArray().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) { // the first line names the columns
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() < 8)
            continue;
        bool flagsOk = false, metricOk = false;
        const quint32 flags = fields[3].toUInt(&flagsOk, 16);
        const quint64 metric = fields[6].toULongLong(&metricOk);
        const bool isDefault = fields[1] == "00000000" && fields[7] == "00000000";
        if (!isDefault || !flagsOk || !metricOk || !(flags & kRouteUp))
            continue;
        if (!best || metric < bestMetric) {
            best = QString::fromLocal8Bit(fields[0]);
            bestMetric = metric;
        }
    }
    return best;
}

std::optional<QString> chooseLocalIPv4Address(const std::optional<QString> &routeInterface,
                                              const QList<InterfaceAddresses> &interfaces)
{
    if (routeInterface) {
        for (const InterfaceAddresses &interface : interfaces) {
            if (interface.name != *routeInterface)
                continue;
            if (const auto address = firstIPv4(interface))
                return address->toString();
        }
    }
    for (const InterfaceAddresses &interface : interfaces) {
        if (!interface.isUp || interface.isLoopback)
            continue;
        if (const auto address = firstIPv4(interface))
            return address->toString();
    }
    return std::nullopt;
}

std::optional<QString> localIPv4Address()
{
    QFile routes(QStringLiteral("/proc/net/route"));
    std::optional<QString> routeInterface;
    if (routes.open(QIODevice::ReadOnly))
        routeInterface = defaultRouteInterface(routes.readAll());
    return chooseLocalIPv4Address(routeInterface, systemInterfaces());
}

} // namespace hb
