#include "dadavezaruz/DiscoveredHostsSection.h"

#include "common/FormSection.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/HostListWidget.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/SheetControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kDiscoveredTitle = u"Discovered Servers"_s;
const QString kRescan = u"Rescan"_s;
const QString kNoneFound = u"No servers found automatically"_s;
const QString kNoneFoundHelp =
    u"Make sure DadavezaRuz Server or huebench-server is running on the other computer and "
    u"that both computers are on the same local network. Discovery uses DNS-SD through the "
    u"Avahi daemon of this computer."_s;

} // namespace

DiscoveredHostsSection::DiscoveredHostsSection(DadavezaRuzConnection &connection, QWidget *parent)
    : QWidget(parent), m_connection(connection)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addLayout(buildHeader());

    auto *section = new FormSection(QString());
    m_list = new HostListWidget(u"discoveredHosts"_s);
    m_list->setCursor(Qt::PointingHandCursor);
    connect(m_list, &QListWidget::itemClicked, this, &DiscoveredHostsSection::choose);
    connect(m_list, &QListWidget::itemActivated, this, &DiscoveredHostsSection::choose);
    section->body()->addWidget(m_list);
    m_empty = new QLabel(kNoneFound);
    m_empty->setObjectName(u"noneFound"_s);
    section->body()->addWidget(m_empty);
    m_help = SheetControls::secondaryLabel(kNoneFoundHelp);
    section->body()->addWidget(m_help);
    layout->addWidget(section);

    m_error = SheetControls::wrappedLabel(QString());
    m_error->setObjectName(u"lastError"_s);
    m_error->setStyleSheet(u"color: %1;"_s.arg(PadColors::red.name()));
    m_error->setContentsMargins(4, 0, 0, 0);
    layout->addWidget(m_error);
}

QLayout *DiscoveredHostsSection::buildHeader()
{
    auto *header = new QHBoxLayout;
    auto *title = new QLabel(kDiscoveredTitle);
    QFont bold = title->font();
    bold.setWeight(QFont::DemiBold);
    title->setFont(bold);
    title->setContentsMargins(4, 0, 0, 0);
    auto *rescan = new QPushButton(kRescan);
    rescan->setObjectName(u"rescan"_s);
    rescan->setFlat(true);
    rescan->setStyleSheet(u"QPushButton { color: %1; }"_s.arg(PadColors::purpleText.name()));
    connect(rescan, &QPushButton::clicked, this, [this] { m_connection.rescan(true); });
    header->addWidget(title, 1);
    header->addWidget(rescan);
    return header;
}

void DiscoveredHostsSection::choose(QListWidgetItem *item)
{
    const QList<DiscoveredHost> hosts = m_connection.discoveredHosts();
    const int row = m_list->row(item);
    if (row < 0 || row >= hosts.size())
        return;
    m_connection.connectToDiscovered(hosts[row]);
    Q_EMIT hostChosen();
}

void DiscoveredHostsSection::refresh()
{
    m_list->clear();
    for (const DiscoveredHost &host : m_connection.discoveredHosts()) {
        m_list->addRow(host.name, {u"desktopcomputer"_s, PadColors::teal, host.name,
                                   host.resolvedIP.value_or(QString()), u"chevron.right"_s,
                                   palette().color(QPalette::PlaceholderText)});
    }
    m_list->fitToRows();
    const bool empty = m_list->count() == 0;
    m_empty->setVisible(empty);
    m_help->setVisible(empty);
}

void DiscoveredHostsSection::refreshError()
{
    m_error->setText(m_connection.lastError());
    m_error->setVisible(!m_connection.lastError().isEmpty());
}

} // namespace hb
