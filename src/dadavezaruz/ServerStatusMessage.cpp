#include "dadavezaruz/ServerStatusMessage.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <array>

namespace hb {

namespace {

using namespace Qt::StringLiterals;

struct Entry {
    ServerStatusMessage::Status status;
    QLatin1StringView value;
};

constexpr std::array kEntries{
    Entry{ServerStatusMessage::Status::Ready, "ready"_L1},
    Entry{ServerStatusMessage::Status::WaitingForApproval, "waitingForApproval"_L1},
    Entry{ServerStatusMessage::Status::Refused, "refused"_L1},
};

} // namespace

QString ServerStatusMessage::wireValue(Status status)
{
    for (const Entry &entry : kEntries) {
        if (entry.status == status)
            return entry.value;
    }
    return {};
}

QByteArray ServerStatusMessage::encode() const
{
    return R"({"status":")" + wireValue(status).toLatin1() + "\"}\n";
}

std::optional<ServerStatusMessage> ServerStatusMessage::decode(QByteArrayView line)
{
    if (line.size() > kMaxLineLength)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray());
    if (!document.isObject())
        return std::nullopt;
    const QJsonValue value = document.object().value("status"_L1);
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    for (const Entry &entry : kEntries) {
        if (text == entry.value)
            return ServerStatusMessage{entry.status};
    }
    return std::nullopt;
}

} // namespace hb
