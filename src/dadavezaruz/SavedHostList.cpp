#include "dadavezaruz/SavedHostList.h"

#include "common/TextHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QUuid>

#include <cmath>

using namespace Qt::StringLiterals;

namespace hb {

namespace {

// 2001-01-01 00:00:00 UTC, the epoch of lastUsed.
const QDateTime &referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2); // ["…"] without the brackets
}

bool isIdText(const QString &text)
{
    return text.size() == 36 && !QUuid::fromString(text).isNull();
}

} // namespace

QList<SavedHost> SavedHostList::decode(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isArray())
        return {};
    QList<SavedHost> hosts;
    for (const QJsonValue value : document.array()) {
        const QJsonObject entry = value.toObject();
        const QJsonValue id = entry.value("id"_L1);
        const QJsonValue host = entry.value("host"_L1);
        const QJsonValue port = entry.value("port"_L1);
        const QJsonValue lastUsed = entry.value("lastUsed"_L1);
        const double portNumber = port.toDouble(-1);
        if (!id.isString() || !isIdText(id.toString()) || !host.isString() || !port.isDouble() ||
            portNumber < 0 || portNumber > 65535 || portNumber != std::floor(portNumber) ||
            !lastUsed.isDouble())
            return {};
        const auto msec = std::llround(lastUsed.toDouble() * 1000.0);
        hosts.append({id.toString().toUpper(), host.toString(), quint16(portNumber),
                      referenceDate().addMSecs(msec)});
    }
    return hosts;
}

QByteArray SavedHostList::encode(const QList<SavedHost> &hosts)
{
    QByteArray json = "[";
    for (const SavedHost &saved : hosts) {
        if (json.size() > 1)
            json += ',';
        const double seconds = double(referenceDate().msecsTo(saved.lastUsed)) / 1000.0;
        json += "{\"id\":" + jsonString(saved.id) + ",\"host\":" + jsonString(saved.host) +
                ",\"port\":" + QByteArray::number(saved.port) + ",\"lastUsed\":" +
                QByteArray::number(seconds, 'f', QLocale::FloatingPointShortest) + '}';
    }
    return json + ']';
}

QList<SavedHost> SavedHostList::remember(QList<SavedHost> hosts, const QString &host, quint16 port,
                                         const QDateTime &now)
{
    const QString trimmed = host.trimmed();
    if (trimmed.isEmpty())
        return hosts;
    hosts.removeIf(
        [&](const SavedHost &saved) { return saved.host == trimmed && saved.port == port; });
    hosts.prepend({newUuidText(), trimmed, port, now.toUTC()});
    if (hosts.size() > kMaxEntries)
        hosts.resize(kMaxEntries);
    return hosts;
}

QList<SavedHost> SavedHostList::forget(QList<SavedHost> hosts, const QString &id)
{
    hosts.removeIf([&](const SavedHost &saved) { return saved.id == id; });
    return hosts;
}

} // namespace hb
