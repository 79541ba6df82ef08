#include "common/Settings.h"

#include <QSettings>

namespace hb {

Settings::Settings()
    : m_settings(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                             QStringLiteral("Huebench"),
                                             QStringLiteral("Huebench")))
{
}

Settings::Settings(const QString &iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
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
    m_settings->remove(key);
    m_settings->sync();
}

QString Settings::youtubeSearchSiteUrl() const
{
    return text(SettingsKey::youtubeSearchSiteUrl);
}

void Settings::setYoutubeSearchSiteUrl(const QString &url)
{
    setText(SettingsKey::youtubeSearchSiteUrl, url);
}

void Settings::write(QLatin1StringView key, const QVariant &value)
{
    m_settings->setValue(key, value);
    m_settings->sync();
}

} // namespace hb
