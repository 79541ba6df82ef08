#include "dadavezaruz-server/WebPadPagesFeed.h"

#include "dadavezaruz-server/ServerLogging.h"
#include "dadavezaruz/ShortcutPad.h"
#include "platform/store/ModelStore.h"

namespace hb {
namespace {

// Changes often come in bursts (an edit sheet saves field after field): one read after them.
constexpr int kReadDelayMs = 50;

} // namespace

WebPadPagesFeed::WebPadPagesFeed(ModelStore &store, QObject *parent)
    : QObject(parent), m_store(store), m_snapshot(std::make_shared<WebPadSnapshot>())
{
    m_readSoon.setSingleShot(true);
    m_readSoon.setInterval(kReadDelayMs);
    connect(&m_readSoon, &QTimer::timeout, this, &WebPadPagesFeed::read);
}

void WebPadPagesFeed::start()
{
    ShortcutPad pad(m_store);
    if (const auto seeded = pad.seedDefaultPages(); !seeded)
        qCWarning(lcServer).noquote()
            << "Could not add the default pages:" << seeded.error().description;
    connect(&m_store, &ModelStore::changed, &m_readSoon, qOverload<>(&QTimer::start),
            Qt::UniqueConnection);
    read();
    m_store.followOtherWriters(kPollIntervalMs);
}

void WebPadPagesFeed::read()
{
    const ShortcutPad pad(m_store);
    auto snapshot = std::make_shared<WebPadSnapshot>();
    QString problem;
    const auto pages = pad.pages();
    if (!pages) {
        problem = pages.error().description;
    } else {
        for (const ShortcutPage &page : *pages) {
            const auto buttons = pad.buttons(page.id);
            if (!buttons) {
                problem = buttons.error().description;
                break;
            }
            snapshot->addPage(page, *buttons);
        }
    }
    if (problem != m_problem) {
        m_problem = problem;
        if (!problem.isEmpty())
            qCWarning(lcServer).noquote() << "The phones' pages could not be read:" << problem;
    }
    if (!problem.isEmpty())
        return; // the phones keep the pages they have
    snapshot->finish();
    if (*snapshot == *m_snapshot)
        return;
    m_snapshot = std::move(snapshot);
    Q_EMIT snapshotChanged(m_snapshot);
}

} // namespace hb
