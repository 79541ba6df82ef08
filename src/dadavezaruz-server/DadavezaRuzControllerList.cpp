#include "dadavezaruz-server/DadavezaRuzControllerList.h"

#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/TrustedControllers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace hb {
namespace {

const QString kNoApprovedControllers = QStringLiteral("No approved controllers");
const QString kAllow = QStringLiteral("Allow");
const QString kDeny = QStringLiteral("Deny");
const QString kRemove = QStringLiteral("Remove");

QVBoxLayout *listLayout(QWidget *list)
{
    auto *layout = new QVBoxLayout(list);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    return layout;
}

} // namespace

DadavezaRuzControllerList::DadavezaRuzControllerList(DadavezaRuzServer &server, QWidget *parent)
    : QWidget(parent), m_server(server), m_pending(new QWidget(this)),
      m_approved(new QWidget(this)), m_noneApproved(new QLabel(kNoApprovedControllers, this))
{
    m_pending->setObjectName(QStringLiteral("pendingControllers"));
    m_approved->setObjectName(QStringLiteral("approvedControllers"));
    m_noneApproved->setObjectName(QStringLiteral("noApprovedControllers"));
    m_noneApproved->setForegroundRole(QPalette::PlaceholderText);
    listLayout(m_pending);
    listLayout(m_approved);

    auto *layout = listLayout(this);
    layout->addWidget(m_pending);
    layout->addWidget(m_approved);
    layout->addWidget(m_noneApproved);

    connect(&m_server, &DadavezaRuzServer::pendingApprovalsChanged, this,
            &DadavezaRuzControllerList::scheduleRefresh);
    connect(&m_server.trustedControllers(), &TrustedControllers::addressesChanged, this,
            &DadavezaRuzControllerList::scheduleRefresh);
    refresh();
}

void DadavezaRuzControllerList::scheduleRefresh()
{
    if (std::exchange(m_refreshQueued, true))
        return;
    QMetaObject::invokeMethod(this, &DadavezaRuzControllerList::refresh, Qt::QueuedConnection);
}

void DadavezaRuzControllerList::refresh()
{
    m_refreshQueued = false;
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    for (QWidget *list : {m_pending, m_approved})
        qDeleteAll(list->findChildren<QWidget *>(Qt::FindDirectChildrenOnly));

    const QStringList pending = m_server.pendingApprovals();
    for (const QString &address : pending) {
        QWidget *row = addRow(m_pending, address);
        auto *allow = new QPushButton(kAllow, row);
        auto *deny = new QPushButton(kDeny, row);
        row->layout()->addWidget(allow);
        row->layout()->addWidget(deny);
        connect(allow, &QPushButton::clicked, this, [this, address] { m_server.approve(address); });
        connect(deny, &QPushButton::clicked, this, [this, address] { m_server.decline(address); });
    }
    const QStringList approved = m_server.trustedControllers().addresses();
    for (const QString &address : approved) {
        QWidget *row = addRow(m_approved, address);
        auto *remove = new QPushButton(kRemove, row);
        row->layout()->addWidget(remove);
        connect(remove, &QPushButton::clicked, this,
                [this, address] { m_server.trustedControllers().remove(address); });
    }
    m_pending->setVisible(!pending.isEmpty());
    m_approved->setVisible(!approved.isEmpty());
    m_noneApproved->setVisible(approved.isEmpty());

    // A keyboard user whose button went away stays in the list rather than losing focus.
    if (hadFocus && !isAncestorOf(QApplication::focusWidget())) {
        if (auto *first = findChild<QPushButton *>())
            first->setFocus(Qt::TabFocusReason);
    }
}

QWidget *DadavezaRuzControllerList::addRow(QWidget *list, const QString &address)
{
    auto *row = new QWidget;
    row->setObjectName(address);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *label = new QLabel(address, row);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label, 1);
    list->layout()->addWidget(row);
    return row;
}

} // namespace hb
