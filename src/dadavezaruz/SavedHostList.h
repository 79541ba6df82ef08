#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace hb {

// A server the controller reached before.
struct SavedHost {
    QString id; // 36 characters, upper case, with hyphens
    QString host;
    quint16 port = 0;
    QDateTime lastUsed;
    friend bool operator==(const SavedHost &, const SavedHost &) = default;
};

// The remembered servers, most recently used first: at most 10, no two with the same host text
// (compared exactly) and port.
//
// Stored as a compact JSON array, one object per entry with its keys in this order:
//   [{"id":"5F1C…-…","host":"studio-mac","port":58432,"lastUsed":786412800.25}]
// where lastUsed counts seconds (with fraction) since 2001-01-01 00:00:00 UTC.
class SavedHostList {
public:
    static constexpr qsizetype kMaxEntries = 10;

    // Gives an empty list for anything that is not that form (one bad entry spoils the lot).
    static QList<SavedHost> decode(const QByteArray &json);
    static QByteArray encode(const QList<SavedHost> &hosts);

    // Puts host and port first with a new id and `now`, dropping the older entry for them and
    // anything past the tenth. The host is trimmed; a blank host leaves the list as it is.
    static QList<SavedHost> remember(QList<SavedHost> hosts, const QString &host, quint16 port,
                                     const QDateTime &now);
    static QList<SavedHost> forget(QList<SavedHost> hosts, const QString &id);
};

} // namespace hb
