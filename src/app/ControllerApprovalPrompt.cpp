#include "app/ControllerApprovalPrompt.h"

#include "dadavezaruz-server/DadavezaRuzServer.h"

#include <QMessageBox>
#include <QPushButton>

namespace hb {

using namespace Qt::StringLiterals;

ControllerApprovalPrompt::ControllerApprovalPrompt(DadavezaRuzServer &server, QWidget *window)
    : QObject(window), m_server(server), m_window(window)
{
    m_arming.setSingleShot(true);
    m_arming.setInterval(kArmingDelay);
    connect(&m_arming, &QTimer::timeout, this, [this] {
        if (m_allow)
            m_allow->setEnabled(true);
    });
    connect(&m_server, &DadavezaRuzServer::pendingApprovalsChanged, this,
            &ControllerApprovalPrompt::askNext);
    askNext();
}

ControllerApprovalPrompt::~ControllerApprovalPrompt()
{
    closeBox();
}

QString ControllerApprovalPrompt::question(const QString &address)
{
    return u"A DadavezaRuz controller at %1 wants to send keyboard shortcuts to this computer. "
           u"Allow it only if it is your own pad."_s.arg(address);
}

void ControllerApprovalPrompt::closeBox()
{
    if (!m_box)
        return;
    m_box->disconnect(this);
    m_box->close();
    m_box->deleteLater();
    m_box = nullptr;
}

void ControllerApprovalPrompt::askNext()
{
    const QStringList pending = m_server.pendingApprovals();
    if (m_box && pending.contains(m_asking))
        return; // still waiting for this answer
    if (pending.isEmpty() || !m_window) {
        closeBox();
        return;
    }
    m_asking = pending.first();
    if (!m_box)
        makeBox();
    // The same question window asks about the next controller, so that a stream of requests
    // does not open a stream of windows; "Allow" waits a moment after each change, so that a
    // click meant for one controller never allows another.
    m_box->setText(question(m_asking));
    m_allow->setEnabled(false);
    m_arming.start();
    m_box->show();
}

void ControllerApprovalPrompt::makeBox()
{
    m_box = new QMessageBox(QMessageBox::Question, u"Allow Controller?"_s, QString(),
                            QMessageBox::NoButton, m_window);
    m_box->setObjectName(u"controllerApprovalPrompt"_s);
    m_box->setWindowModality(Qt::NonModal);
    m_allow = m_box->addButton(u"Allow"_s, QMessageBox::AcceptRole);
    QPushButton *refuse = m_box->addButton(u"Don\u2019t Allow"_s, QMessageBox::RejectRole);
    m_box->setDefaultButton(refuse);
    m_box->setEscapeButton(refuse); // also what closing the window answers
    connect(m_box, &QMessageBox::finished, this, [this] {
        const bool allowed = m_box && m_box->clickedButton() == m_allow;
        const QString address = m_asking;
        m_box->deleteLater();
        m_box = nullptr;
        if (allowed)
            m_server.approve(address); // answering changes the pending list, which asks the next
        else
            m_server.decline(address);
    });
}

} // namespace hb
