#include "common/DraftFile.h"

#include "common/AppLifecycle.h"
#include "common/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace hb {

DraftFile::DraftFile(QString path, QObject *parent)
    : QObject(parent), m_path(std::move(path)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(kDelayMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &DraftFile::flush);
    connect(&AppLifecycle::instance(), &AppLifecycle::saveRequested, this, &DraftFile::flush);
}

DraftFile::~DraftFile()
{
    // Whoever listens for errors may be gone already; the write is what matters here.
    if (m_dirty)
        write();
}

QString DraftFile::load() const
{
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void DraftFile::save(const QString &text)
{
    if (m_path.isEmpty())
        return;
    m_pending = text;
    m_dirty = true;
    m_timer->start();
}

void DraftFile::flush()
{
    m_timer->stop();
    if (!m_dirty)
        return;
    const QString error = write();
    if (error != m_errorText) {
        m_errorText = error;
        Q_EMIT errorChanged(error);
    }
}

QString DraftFile::write()
{
    m_dirty = false;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const auto written = writeFileAtomically(m_path, m_pending.toUtf8());
    return written ? QString() : written.error().description;
}

} // namespace hb
