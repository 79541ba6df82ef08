#include "app/ControllerApprovalPrompt.h"

#include "dadavezaruz-server/DadavezaRuzServer.h"

#include <QMessageBox>
#include <QPushButton>

namespace hb {

ControllerApprovalPrompt::ControllerApprovalPrompt(DadavezaRuzServer &server, QWidget *window)
    : QObject(window), m_server(server), m_window(window)
{
    connect(&m_server, &DadavezaRuzServer::pendingApprovalsChanged, this,
            &ControllerApprovalPrompt::askNext);
    askNext();
}

QString ControllerApprovalPrompt::question(const QString &address)
{
    return QStringLiteral("A DadavezaRuz controller at %1 wants to send keyboard shortcuts to "
                          "this computer. Allow it only if it is your own pad.")
        .arg(address);
}

void ControllerApprovalPrompt::askNext()
{
    const QStringList pending = m_server.pendingApprovals();
    if (m_box && pending.contains(m_asking))
        return; // still waiting for this answer
    if (m_box) {
        m_box->disconnect(this);
        m_box->close();
        m_box->deleteLater();
    }
    if (pending.isEmpty() || !m_window)
        return;

    m_asking = pending.first();
    m_box = new QMessageBox(QMessageBox::Question, QStringLiteral("Allow Controller?"),
                            question(m_asking), QMessageBox::NoButton, m_window);
    m_box->setObjectName(QStringLiteral("controllerApprovalPrompt"));
    QPushButton *allow = m_box->addButton(QStringLiteral("Allow"), QMessageBox::AcceptRole);
    m_box->addButton(QStringLiteral("Don\u2019t Allow"), QMessageBox::RejectRole);
    m_box->setDefaultButton(allow);
    m_box->setWindowModality(Qt::WindowModal);
    connect(m_box, &QMessageBox::finished, this, [this, allow, address = m_asking] {
        const bool allowed = m_box && m_box->clickedButton() == allow;
        m_box->deleteLater();
        m_box = nullptr;
        if (allowed)
            m_server.approve(address); // answering changes the pending list, which asks the next
        else
            m_server.decline(address);
    });
    m_box->open();
}

} // namespace hb
