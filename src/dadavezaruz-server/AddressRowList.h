#pragma once

#include <QHash>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace hb {

// Rows of addresses, each with the same buttons. setAddresses() adds and removes rows one by one,
// so a list that changes often stays cheap; a button may cause its own row to go (the row is
// deleted later), and a keyboard user whose row went keeps the focus in the list.
class AddressRowList : public QWidget {
    Q_OBJECT

public:
    struct Action {
        QString label;
        std::function<void(const QString &address)> run;
    };

    explicit AddressRowList(QList<Action> actions, QWidget *parent = nullptr);

    void setAddresses(const QStringList &addresses);
    QStringList addresses() const { return m_order; }
    // The row showing `address` (its object name is the address), or nullptr.
    QWidget *row(const QString &address) const { return m_rows.value(address); }

private:
    QWidget *makeRow(const QString &address);

    QList<Action> m_actions;
    QStringList m_order;
    QHash<QString, QWidget *> m_rows;
};

} // namespace hb
