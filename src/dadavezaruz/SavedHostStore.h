#pragma once

#include "dadavezaruz/DadavezaRuzLink.h"
#include "dadavezaruz/SavedHostList.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

namespace hb {

class Settings;

// The servers the controller remembers across runs, kept in Settings: the recent ones (a
// SavedHostList, most recent first) and the last one it connected to.
class SavedHostStore : public QObject {
    Q_OBJECT

public:
    explicit SavedHostStore(Settings &settings, QObject *parent = nullptr);

    QList<SavedHost> hosts() const { return m_hosts; }
    // Puts host and port first; a blank host changes nothing.
    void remember(const QString &host, quint16 port);
    void forget(const QString &id);
    // Puts a forgotten host back at its place in the list; false when the list has one of its id
    // or address again.
    bool restore(const SavedHost &host, int position);

    void setLastHost(const QString &host, quint16 port);
    // Where to connect when the pad opens: the last server (on the default port unless a usable
    // one is stored), else the most recent saved host; nothing when there is neither.
    std::optional<DadavezaRuzPeer> resumeTarget() const;

Q_SIGNALS:
    void hostsChanged();

private:
    void setHosts(const QList<SavedHost> &hosts);

    Settings &m_settings;
    QList<SavedHost> m_hosts;
};

} // namespace hb
