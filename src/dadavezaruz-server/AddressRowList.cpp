#include "dadavezaruz-server/AddressRowList.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {

AddressRowList::AddressRowList(QList<Action> actions, QWidget *parent)
    : QWidget(parent), m_actions(std::move(actions))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
}

void AddressRowList::setAddresses(const QStringList &addresses)
{
    if (addresses == m_order)
        return;
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    QWidget *focus = QApplication::focusWidget();
    qsizetype focusRow = -1;

    for (qsizetype i = 0; i < m_order.size(); ++i) {
        const QString &address = m_order[i];
        if (addresses.contains(address))
            continue;
        QWidget *gone = m_rows.take(address);
        if (focus && gone->isAncestorOf(focus))
            focusRow = i;
        layout->removeWidget(gone);
        gone->hide();
        gone->deleteLater(); // it may be the sender of the click that removed it
    }
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        QWidget *row = m_rows.value(addresses[i]);
        if (!row) {
            row = makeRow(addresses[i]);
            m_rows.insert(addresses[i], row);
        }
        if (layout->indexOf(row) != i) {
            layout->removeWidget(row);
            layout->insertWidget(int(i), row);
        }
    }
    m_order = addresses;

    // The row at the same place takes the focus; an emptied list leaves it to its owner.
    if (focusRow >= 0 && !m_order.isEmpty()) {
        QWidget *next = m_rows.value(m_order.value(std::min(focusRow, m_order.size() - 1)));
        if (auto *button = next->findChild<QPushButton *>())
            button->setFocus(Qt::TabFocusReason);
    }
}

QWidget *AddressRowList::makeRow(const QString &address)
{
    auto *row = new QWidget(this);
    row->setObjectName(address);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(address, row);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label, 1);
    for (const Action &action : std::as_const(m_actions)) {
        auto *button = new QPushButton(action.label, row);
        button->setAccessibleName(action.label + u' ' + address);
        layout->addWidget(button);
        connect(button, &QPushButton::clicked, this, [run = action.run, address] { run(address); });
    }
    return row;
}

} // namespace hb
