#include "dadavezaruz/ServerStatusMessage.h"

#include <QJsonArray>
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
    QByteArray line = R"({"status":")" + wireValue(status).toLatin1() + '"';
    if (!accepts.isEmpty()) {
        line += R"(,"accepts":)";
        line += QJsonDocument(QJsonArray::fromStringList(accepts)).toJson(QJsonDocument::Compact);
    }
    if (!notTyped.isEmpty()) {
        QString text = notTyped;
        if (text.size() > kMaxNotTypedLength) {
            // Not inside a surrogate pair, and marked as cut.
            qsizetype cut = kMaxNotTypedLength - 1;
            if (text.at(cut - 1).isHighSurrogate())
                --cut;
            text = text.first(cut) + QChar(0x2026);
        }
        // The parser writes the text as a JSON string; the brackets of its array are left out.
        const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
        line += R"(,"notTyped":)" + array.sliced(1, array.size() - 2);
    }
    return line + "}\n";
}

std::optional<ServerStatusMessage> ServerStatusMessage::decode(QByteArrayView line)
{
    if (line.size() > kMaxLineLength)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(line.toByteArray());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const QJsonValue value = object.value("status"_L1);
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString();
    for (const Entry &entry : kEntries) {
        if (text != entry.value)
            continue;
        ServerStatusMessage message{entry.status};
        for (const auto &kind : object.value("accepts"_L1).toArray()) {
            if (kind.isString())
                message.accepts.append(kind.toString());
        }
        message.notTyped = object.value("notTyped"_L1).toString();
        return message;
    }
    return std::nullopt;
}

} // namespace hb
