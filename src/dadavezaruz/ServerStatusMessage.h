#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace hb {

// What a server tells a controller: whether its presses are being typed. A server sends it on
// the controller's own connection, as a line of compact JSON, when the connection is accepted and
// whenever the answer changes, for example
//   {"status":"waitingForApproval"}\n
// A server may say more on the same line: what kinds of press it types besides a single key
// combination ("accepts"), and, right after a press it did not type, why ("notTyped"):
//   {"status":"ready","accepts":["keySequence"],"notTyped":"Unknown name “shft”"}\n
// A controller that does not read these lines loses nothing: the server sends nothing else.
struct ServerStatusMessage {
    enum class Status {
        Ready,              // presses are typed
        WaitingForApproval, // the user of the server has not yet allowed this controller
        Refused,            // the user refused it; the server closes the connection next
    };

    Status status = Status::Ready;
    // Kinds of press typed besides a single combination, e.g. ShortcutMessage::kKeySequence.
    QStringList accepts = {};
    // Set on the line that answers a press that was not typed: why, in the server's words.
    QString notTyped = {};

    // Longest notTyped text written; a longer one is cut, so that the line stays readable.
    static constexpr qsizetype kMaxNotTypedLength = 150;

    // Longest line a reader keeps; a longer one is not a status line.
    static constexpr qsizetype kMaxLineLength = 1024;

    // The wire value of a status ("ready", "waitingForApproval", "refused").
    static QString wireValue(Status status);

    // The compact JSON object (status, then accepts and notTyped when they are not empty) and one
    // line feed.
    QByteArray encode() const;

    // A line (without its line feed; a carriage return or other JSON white space is fine) that is
    // a JSON object whose "status" is one of the three wire values. "accepts" is read when it is
    // a list (its texts only) and "notTyped" when it is text; other keys are ignored, so a later
    // server may say more. An unknown status, or anything else, gives nothing.
    static std::optional<ServerStatusMessage> decode(QByteArrayView line);

    friend bool operator==(const ServerStatusMessage &, const ServerStatusMessage &) = default;
};

} // namespace hb
