#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace hb {

// The one thing a server tells a controller: whether its presses are being typed. A server sends
// it on the controller's own connection, as a line of compact JSON, when the connection is
// accepted and whenever the answer changes, for example
//   {"status":"waitingForApproval"}\n
// A controller that does not read it loses nothing: the server sends nothing else.
struct ServerStatusMessage {
    enum class Status {
        Ready,              // presses are typed
        WaitingForApproval, // the user of the server has not yet allowed this controller
        Refused,            // the user refused it; the server closes the connection next
    };

    Status status = Status::Ready;

    // Longest line a reader keeps; a longer one is not a status line.
    static constexpr qsizetype kMaxLineLength = 1024;

    // The wire value of a status ("ready", "waitingForApproval", "refused").
    static QString wireValue(Status status);

    // The compact JSON object and one line feed.
    QByteArray encode() const;

    // A line (without its line feed; a carriage return or other JSON white space is fine) that is
    // a JSON object whose "status" is one of the three wire values. Other keys are ignored, so a
    // later server may say more; an unknown status, or anything else, gives nothing.
    static std::optional<ServerStatusMessage> decode(QByteArrayView line);

    friend bool operator==(const ServerStatusMessage &, const ServerStatusMessage &) = default;
};

} // namespace hb
