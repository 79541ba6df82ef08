#include "dadavezaruz-server/DadavezaRuzControllerList.h"

#include "common/CallbackUndoCommand.h"
#include "common/ScreenUndo.h"
#include "common/UndoNotice.h"
#include "dadavezaruz-server/AddressRowList.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/TrustedControllers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kWaiting = u"Waiting for your answer"_s;
const QString kDropped = u"%1 more requests were given up: too many controllers were waiting"_s;
const QString kNoApprovedControllers = u"No approved controllers"_s;
const QString kRefused = u"Refused until Huebench quits"_s;
const QString kAllow = u"Allow"_s;
const QString kDeny = u"Deny"_s;
const QString kRemove = u"Remove"_s;
const QString kRemoved = u"Removed \u201C%1\u201D"_s;
const QString kAskAgain = u"Ask Again"_s;
const QString kAddressPlaceholder = u"IP address of a pad"_s;
const QString kAllowAddress = u"Allow Address"_s;

QLabel *secondary(const QString &text, const QString &name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setWordWrap(true);
    return label;
}

} // namespace

DadavezaRuzControllerList::DadavezaRuzControllerList(DadavezaRuzServer &server, QWidget *parent)
    : QWidget(parent), m_server(server)
{
    m_pendingTitle = secondary(kWaiting, u"pendingTitle"_s, this);
    m_pending =
        new AddressRowList({{kAllow, [this](const QString &address) { m_server.approve(address); }},
                            {kDeny, [this](const QString &address) { m_server.decline(address); }}},
                           this);
    m_pending->setObjectName(u"pendingControllers"_s);
    m_dropped = secondary({}, u"droppedApprovals"_s, this);
    m_approved =
        new AddressRowList({{kRemove, [this](const QString &address) { remove(address); }}}, this);
    m_approved->setObjectName(u"approvedControllers"_s);
    m_noneApproved = secondary(kNoApprovedControllers, u"noApprovedControllers"_s, this);
    m_refusedTitle = secondary(kRefused, u"refusedTitle"_s, this);
    m_refused = new AddressRowList(
        {{kAllow, [this](const QString &address) { m_server.approve(address); }},
         {kAskAgain, [this](const QString &address) { m_server.forgetRefusal(address); }}},
        this);
    m_refused->setObjectName(u"refusedControllers"_s);

    m_address = new QLineEdit(this);
    m_address->setObjectName(u"allowAddressField"_s);
    m_address->setPlaceholderText(kAddressPlaceholder);
    m_address->setAccessibleName(kAddressPlaceholder);
    auto *allowAddress = new QPushButton(kAllowAddress, this);
    allowAddress->setObjectName(u"allowAddressButton"_s);
    m_addressProblem = secondary({}, u"allowAddressProblem"_s, this);
    m_addressProblem->hide();
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(m_address, 1);
    addressRow->addWidget(allowAddress);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    for (QWidget *part :
         std::initializer_list<QWidget *>{m_pendingTitle, m_pending, m_dropped, m_approved,
                                          m_noneApproved, m_refusedTitle, m_refused})
        layout->addWidget(part);
    layout->addLayout(addressRow);
    layout->addWidget(m_addressProblem);
    m_undo = new ScreenUndo(this);
    layout->addWidget(m_undo->notice());

    connect(allowAddress, &QPushButton::clicked, this,
            &DadavezaRuzControllerList::allowTypedAddress);
    connect(m_address, &QLineEdit::returnPressed, this,
            &DadavezaRuzControllerList::allowTypedAddress);
    connect(m_address, &QLineEdit::textEdited, m_addressProblem, &QWidget::hide);
    connect(&m_server, &DadavezaRuzServer::pendingApprovalsChanged, this,
            &DadavezaRuzControllerList::refresh);
    connect(&m_server, &DadavezaRuzServer::refusedControllersChanged, this,
            &DadavezaRuzControllerList::refresh);
    connect(&m_server.trustedControllers(), &TrustedControllers::addressesChanged, this,
            &DadavezaRuzControllerList::refresh);
    refresh();
}

// Taking a pad's approval back can itself be taken back, as long as the screen is open.
void DadavezaRuzControllerList::remove(const QString &address)
{
    TrustedControllers &trusted = m_server.trustedControllers();
    m_undo->push(std::make_unique<CallbackUndoCommand>(
        kRemoved.arg(address),
        [&trusted, address] {
            trusted.remove(address);
            return true;
        },
        [&trusted, address] {
            trusted.add(address);
            return true;
        }));
}

void DadavezaRuzControllerList::refresh()
{
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());

    const QStringList pending = m_server.pendingApprovals();
    m_pending->setAddresses(pending);
    m_pendingTitle->setVisible(!pending.isEmpty());
    m_pending->setVisible(!pending.isEmpty());
    const int dropped = m_server.droppedApprovals();
    m_dropped->setText(kDropped.arg(dropped));
    m_dropped->setVisible(dropped > 0);

    const QStringList approved = m_server.trustedControllers().addresses();
    m_approved->setAddresses(approved);
    m_approved->setVisible(!approved.isEmpty());
    m_noneApproved->setVisible(approved.isEmpty());

    const QStringList refused = m_server.refusedControllers();
    m_refused->setAddresses(refused);
    m_refusedTitle->setVisible(!refused.isEmpty());
    m_refused->setVisible(!refused.isEmpty());

    // A keyboard user whose row went away stays in the list rather than losing the focus.
    QWidget *focus = QApplication::focusWidget();
    if (hadFocus && (!isAncestorOf(focus) || !focus->isVisibleTo(this))) {
        const QList<QPushButton *> buttons = findChildren<QPushButton *>();
        for (QPushButton *button : buttons) {
            if (button->isVisibleTo(this)) {
                button->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}

void DadavezaRuzControllerList::allowTypedAddress()
{
    const std::optional<QString> problem = m_server.allowAddress(m_address->text());
    m_addressProblem->setText(problem.value_or(QString()));
    m_addressProblem->setVisible(problem.has_value());
    if (!problem)
        m_address->clear();
}

} // namespace hb
