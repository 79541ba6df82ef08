#include "dadavezaruz/ConnectionStatusSection.h"

#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/SheetControls.h"

#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kNotConnected = u"Not Connected"_s;
const QString kConnecting = u"Connecting…"_s;
const QString kConnected = u"Connected"_s;
const QString kConnectionFailed = u"Connection failed"_s;
const QString kDisconnect = u"Disconnect"_s;

} // namespace

ConnectionStatusSection::ConnectionStatusSection(DadavezaRuzConnection &connection, QWidget *parent)
    : FormSection(QString(), parent), m_connection(connection)
{
    auto *row = new QHBoxLayout;
    m_dot = new QLabel;
    m_dot->setFixedSize(10, 10);
    m_headline = new QLabel;
    m_headline->setObjectName(u"statusHeadline"_s);
    QFont headline = m_headline->font();
    headline.setWeight(QFont::DemiBold);
    headline.setPointSizeF(headline.pointSizeF() * 1.15);
    m_headline->setFont(headline);
    row->addWidget(m_dot);
    row->addWidget(m_headline, 1);
    body()->addLayout(row);
    m_endpoint = SheetControls::secondaryLabel(QString());
    m_endpoint->setObjectName(u"statusEndpoint"_s);
    body()->addWidget(m_endpoint);
    m_disconnect = new QPushButton(kDisconnect);
    m_disconnect->setObjectName(u"disconnect"_s);
    m_disconnect->setFlat(true);
    m_disconnect->setStyleSheet(
        u"QPushButton { color: %1; text-align: left; }"_s.arg(PadColors::red.name()));
    connect(m_disconnect, &QPushButton::clicked, this,
            [this] { m_connection.disconnectFromHost(); });
    body()->addWidget(m_disconnect);
}

void ConnectionStatusSection::refresh()
{
    using State = DadavezaRuzConnection::State;
    const State state = m_connection.state();
    const bool connected = state.kind == State::Connected;
    static const QHash<int, QString> headlines{{State::Disconnected, kNotConnected},
                                               {State::Connecting, kConnecting},
                                               {State::Connected, kConnected},
                                               {State::Failed, kConnectionFailed}};
    m_headline->setText(headlines.value(state.kind));
    m_dot->setStyleSheet(u"background: %1; border-radius: 5px;"_s.arg(
        (connected ? PadColors::green : PadColors::red).name()));
    m_endpoint->setText(m_connection.hostAddress() + u':' + QString::number(m_connection.port()));
    m_endpoint->setVisible(connected);
    m_disconnect->setEnabled(state.kind != State::Disconnected);
}

} // namespace hb
