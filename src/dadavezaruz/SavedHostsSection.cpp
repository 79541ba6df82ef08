#include "dadavezaruz/SavedHostsSection.h"

#include "common/CallbackUndoCommand.h"
#include "common/IconLibrary.h"
#include "common/ScreenUndo.h"
#include "common/UndoNotice.h"
#include "dadavezaruz/DadavezaRuzConnection.h"
#include "dadavezaruz/HostListWidget.h"
#include "dadavezaruz/PadColors.h"

#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kRecentTitle = u"Recent Connections"_s;
const QString kPortPrefix = u"Port "_s;
const QString kDelete = u"Delete"_s;
const QString kDeleted = u"Deleted \u201C%1\u201D"_s;
const QString kNoSavedHosts = u"No saved hosts yet"_s;

} // namespace

SavedHostsSection::SavedHostsSection(DadavezaRuzConnection &connection, QWidget *parent)
    : FormSection(kRecentTitle, parent), m_connection(connection)
{
    m_list = new HostListWidget(u"savedHosts"_s);
    m_list->setCursor(Qt::PointingHandCursor);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QListWidget::itemClicked, this, &SavedHostsSection::choose);
    connect(m_list, &QListWidget::itemActivated, this, &SavedHostsSection::choose);
    connect(m_list, &QWidget::customContextMenuRequested, this, &SavedHostsSection::showMenu);
    auto *forgetKey =
        new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetShortcut);
    connect(forgetKey, &QShortcut::activated, this, &SavedHostsSection::forgetSelectedHost);
    body()->addWidget(m_list);
    m_empty = new QLabel(kNoSavedHosts);
    m_empty->setObjectName(u"noSavedHosts"_s);
    body()->addWidget(m_empty);
    m_undo = new ScreenUndo(this);
    body()->addWidget(m_undo->notice());
}

void SavedHostsSection::refresh()
{
    const int current = m_list->currentRow();
    m_list->clear();
    for (const SavedHost &saved : m_connection.savedHosts()) {
        const bool inUse = m_connection.isConnected() && m_connection.hostAddress() == saved.host;
        m_list->addRow(saved.host, {u"clock.arrow.circlepath"_s, PadColors::purple, saved.host,
                                    kPortPrefix + QString::number(saved.port),
                                    inUse ? u"checkmark"_s : QString(), PadColors::green});
    }
    m_list->fitToRows();
    m_list->setCurrentRow(std::min(current, m_list->count() - 1));
    m_empty->setVisible(m_list->count() == 0);
}

void SavedHostsSection::choose(QListWidgetItem *item)
{
    const QList<SavedHost> hosts = m_connection.savedHosts();
    const int row = m_list->row(item);
    if (row < 0 || row >= hosts.size())
        return;
    m_connection.connectToHost(hosts[row].host, hosts[row].port);
    Q_EMIT hostChosen();
}

void SavedHostsSection::showMenu(const QPoint &at)
{
    QListWidgetItem *item = m_list->itemAt(at);
    if (!item)
        return;
    m_list->setCurrentItem(item);
    QMenu menu(window()); // the sheet's, like its other pop-ups
    QAction *forget =
        menu.addAction(IconLibrary::icon(u"trash"_s, PadColors::red,
                                         IconLibrary::monochromeSecondary(PadColors::red)),
                       kDelete);
    if (menu.exec(m_list->viewport()->mapToGlobal(at)) == forget)
        forgetSelectedHost();
}

void SavedHostsSection::forgetSelectedHost()
{
    const QList<SavedHost> hosts = m_connection.savedHosts();
    const int row = m_list->currentRow();
    if (row < 0 || row >= hosts.size())
        return;
    const SavedHost &host = hosts[row];
    m_undo->push(std::make_unique<CallbackUndoCommand>(
        kDeleted.arg(host.host),
        [this, id = host.id] {
            m_connection.forgetHost(id);
            return true;
        },
        [this, host, row] { return m_connection.restoreHost(host, row); }));
}

} // namespace hb
