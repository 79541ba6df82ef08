#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

namespace hb {

// The local-network addresses the user has allowed to send shortcuts, kept across runs by
// whatever store the owner hands in (the app's settings, or a file for the headless server).
class TrustedControllers : public QObject {
    Q_OBJECT

public:
    using Load = std::function<QStringList()>;
    using Save = std::function<void(const QStringList &)>;

    TrustedControllers(const Load &load, Save save, QObject *parent = nullptr);

    QStringList addresses() const { return m_addresses; }
    bool contains(const QString &address) const { return m_addresses.contains(address); }
    void add(const QString &address);
    void remove(const QString &address);

Q_SIGNALS:
    void addressesChanged(const QStringList &addresses);

private:
    void store();

    Save m_save;
    QStringList m_addresses;
};

} // namespace hb
