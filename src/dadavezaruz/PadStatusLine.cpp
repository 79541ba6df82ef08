#include "dadavezaruz/PadStatusLine.h"

#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/PadColors.h"

#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kNotConnected = u"Not connected — tap WiFi icon to connect"_s;
const QString kConnecting = u"Connecting…"_s;
const QString kConnectedTo = u"Connected to "_s;
const QString kErrorPrefix = u"Error: "_s;
const QString kReconnecting = u" — reconnecting in %1 s…"_s;
const QString kSeparator = u" — "_s;
const QString kSentPrefix = u"Sent: "_s;

} // namespace

QString PadStatusLine::text(const DadavezaRuzConnection &connection)
{
    using State = DadavezaRuzConnection::State;
    const State state = connection.state();
    QString text;
    switch (state.kind) {
    case State::Disconnected:
        text = kNotConnected;
        break;
    case State::Connecting:
        text = kConnecting;
        break;
    case State::Connected:
        text = kConnectedTo + connection.hostAddress();
        // Connected is not enough when the server will not type the presses: say why.
        if (connection.serverStatus() == ServerStatusMessage::Status::WaitingForApproval)
            text += kSeparator + DadavezaRuzConnection::waitingForApprovalText();
        else if (connection.serverStatus() == ServerStatusMessage::Status::Refused)
            text += kSeparator + DadavezaRuzConnection::refusedText();
        break;
    case State::Failed:
        text = kErrorPrefix + state.message;
        break;
    }
    if (connection.reconnectDelay() > 0)
        text += kReconnecting.arg(connection.reconnectDelay());
    return text;
}

PadStatusLine::PadStatusLine(const DadavezaRuzConnection &connection, QWidget *parent)
    : QWidget(parent), m_connection(connection)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(2, 0, 0, 0);
    row->setSpacing(8);
    m_dot = new QLabel;
    m_dot->setFixedSize(8, 8);
    m_status = new QLabel;
    m_status->setObjectName(u"statusText"_s);
    m_sent = buildSentLabel();

    row->addWidget(m_dot, 0, Qt::AlignVCenter);
    row->addWidget(m_status);
    row->addWidget(m_sent);
    row->addStretch(1);

    for (auto changed :
         {&DadavezaRuzConnection::stateChanged, &DadavezaRuzConnection::hostAddressChanged,
          &DadavezaRuzConnection::reconnectDelayChanged,
          &DadavezaRuzConnection::serverStatusChanged})
        connect(&m_connection, changed, this, &PadStatusLine::refresh);
    connect(&m_connection, &DadavezaRuzConnection::lastSentLabelChanged, this,
            &PadStatusLine::showSentLabel);
}

// The label is invisible but for a short fade in and out after each press.
QLabel *PadStatusLine::buildSentLabel()
{
    auto *sent = new QLabel;
    sent->setObjectName(u"sentLabel"_s);
    QFont caption = sent->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    sent->setFont(caption);
    sent->setStyleSheet(u"color: %1;"_s.arg(PadColors::teal.name()));
    auto *opacity = new QGraphicsOpacityEffect(sent);
    opacity->setOpacity(0);
    sent->setGraphicsEffect(opacity);

    m_sentFade = new QSequentialAnimationGroup(this);
    auto *fadeIn = new QPropertyAnimation(opacity, "opacity");
    fadeIn->setDuration(150);
    fadeIn->setEndValue(1.0);
    auto *fadeOut = new QPropertyAnimation(opacity, "opacity");
    fadeOut->setDuration(600);
    fadeOut->setEndValue(0.0);
    m_sentFade->addAnimation(fadeIn);
    m_sentFade->addPause(1200);
    m_sentFade->addAnimation(fadeOut);
    return sent;
}

void PadStatusLine::refresh()
{
    m_status->setText(text(m_connection));
    const bool served = m_connection.isConnected() &&
                        m_connection.serverStatus().value_or(ServerStatusMessage::Status::Ready) ==
                            ServerStatusMessage::Status::Ready;
    const QColor dot = served ? PadColors::green : PadColors::red;
    m_dot->setStyleSheet(u"background: %1; border-radius: 4px;"_s.arg(dot.name()));
}

void PadStatusLine::showSentLabel()
{
    const QString label = m_connection.lastSentLabel();
    if (label.isEmpty())
        return;
    m_sent->setText(kSentPrefix + label);
    m_sentFade->stop();
    m_sentFade->start();
}

} // namespace hb
