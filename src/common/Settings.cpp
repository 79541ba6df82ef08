#include "common/Settings.h"

#include "common/SettingsNotifier.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStorageInfo>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

// Less room than this on the disk, after a failed write, means that the disk is full.
constexpr qint64 fullBelowBytes = 1 << 20;

// The path as the user would type it: "~/.config/..." inside the home folder.
QString shownPath(const QString &path)
{
    const QString home = QDir::homePath();
    if (home.size() > 1 && path.startsWith(home + u'/'))
        return u"~"_s + path.mid(home.size());
    return QDir::toNativeSeparators(path);
}

} // namespace

Settings::Settings() : m_settings(openFile({})) {}

Settings::Settings(const QString &iniFile) : m_iniFile(iniFile), m_settings(openFile(iniFile)) {}

std::unique_ptr<QSettings> Settings::openFile(const QString &iniFile)
{
    if (iniFile.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                           u"Huebench"_s, u"Huebench"_s);
    }
    return std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
}

Settings::~Settings() = default;

QString Settings::fileName() const
{
    return m_settings->fileName();
}

QString Settings::text(QLatin1StringView key, const QString &fallback) const
{
    const QVariant value = m_settings->value(key);
    return value.isValid() ? value.toString() : fallback;
}

void Settings::setText(QLatin1StringView key, const QString &value)
{
    write(key, value);
}

std::optional<qint64> Settings::integer(QLatin1StringView key) const
{
    bool ok = false;
    const qint64 value = m_settings->value(key).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

void Settings::setInteger(QLatin1StringView key, qint64 value)
{
    write(key, value);
}

QByteArray Settings::bytes(QLatin1StringView key) const
{
    return m_settings->value(key).toByteArray();
}

void Settings::setBytes(QLatin1StringView key, const QByteArray &value)
{
    write(key, value);
}

bool Settings::contains(QLatin1StringView key) const
{
    return m_settings->contains(key);
}

void Settings::remove(QLatin1StringView key)
{
    recoverFromFailure();
    m_settings->remove(key);
    sync();
}

QString Settings::youtubeSearchSiteUrl() const
{
    return text(SettingsKey::youtubeSearchSiteUrl);
}

void Settings::setYoutubeSearchSiteUrl(const QString &url)
{
    setText(SettingsKey::youtubeSearchSiteUrl, url);
}

SettingsNotifier &Settings::notifier()
{
    // Not Q_GLOBAL_STATIC: its fences are refused by the thread sanitizer's compiler.
    static SettingsNotifier notifier;
    return notifier;
}

void Settings::write(QLatin1StringView key, const QVariant &value)
{
    recoverFromFailure();
    m_settings->setValue(key, value);
    sync();
}

// QSettings keeps the first error it met for the rest of its life, so after one failed write its
// status() would report every later write as failed too. A fresh object tells afresh whether the
// next change is written. QSettings objects of one file share their values within the process,
// so the fresh one holds the changes not yet saved as long as it is made before the old one goes.
void Settings::recoverFromFailure()
{
    if (m_settings->status() != QSettings::NoError)
        m_settings = openFile(m_iniFile);
}

void Settings::sync()
{
    m_settings->sync();
    if (m_settings->status() == QSettings::NoError) {
        m_writeError.clear();
        return;
    }
    m_writeError = u"Settings could not be saved to %1: %2. Changes will be lost when Huebench "
                   "quits."_s.arg(shownPath(fileName()), failureReason());
    Q_EMIT notifier().writeFailed(m_writeError);
}

// QSettings reports only that writing failed; the file system tells why.
QString Settings::failureReason() const
{
    const QFileInfo file(fileName());
    QFileInfo folder(file.absolutePath());
    while (!folder.exists() && !folder.isRoot())
        folder = QFileInfo(folder.absolutePath());
    if (!folder.isDir())
        return u"its folder cannot be created"_s;
    const QStorageInfo disk(folder.absoluteFilePath());
    if (disk.isValid() && disk.isReadOnly())
        return u"the disk is read-only"_s;
    if (disk.isValid() && disk.bytesAvailable() < fullBelowBytes)
        return u"the disk is full"_s;
    if (!folder.isWritable() && folder.absoluteFilePath() != file.absolutePath())
        return u"its folder cannot be created"_s;
    if (!folder.isWritable())
        return u"the folder is read-only"_s;
    if (file.exists() && !file.isWritable())
        return u"the file is read-only"_s;
    return u"the file could not be written"_s;
}

} // namespace hb
