#include "app/ScreenPluginLoader.h"

#include "common/ScreenPlugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>

namespace hb {

using namespace Qt::StringLiterals;

ScreenPluginLoader::ScreenPluginLoader(QString screenKey, QString fileName, QStringList directories)
    : m_screenKey(std::move(screenKey)), m_fileName(std::move(fileName)),
      m_directories(std::move(directories))
{
}

ScreenPluginLoader::~ScreenPluginLoader() = default;

QStringList ScreenPluginLoader::defaultDirectories()
{
    QStringList directories;
    const QString path = qEnvironmentVariable("HUEBENCH_PLUGIN_PATH");
    for (const QString &directory : path.split(u':', Qt::SkipEmptyParts))
        directories.append(directory);
    directories.append(directoriesFor(QCoreApplication::applicationDirPath()));
    return directories;
}

QStringList ScreenPluginLoader::directoriesFor(const QString &programDirectory)
{
    const QDir program(programDirectory);
    return {program.absolutePath(),
            QDir::cleanPath(program.absoluteFilePath(QStringLiteral(HB_PLUGIN_DIR_FROM_BINDIR)))};
}

QString ScreenPluginLoader::locate() const
{
    for (const QString &directory : m_directories) {
        const QFileInfo file(QDir(directory), m_fileName);
        if (file.isFile())
            return file.absoluteFilePath();
    }
    return {};
}

ScreenPlugin *ScreenPluginLoader::load()
{
    if (m_plugin)
        return m_plugin;
    const QString path = locate();
    if (path.isEmpty()) {
        m_errorString = u"No %1 in %2."_s.arg(m_fileName, m_directories.join(u", "_s));
        return nullptr;
    }
    QPluginLoader loader(path);
    m_plugin = tryLoad(loader);
    if (m_plugin)
        m_errorString.clear();
    else if (loader.isLoaded())
        loader.unload();
    return m_plugin;
}

ScreenPlugin *ScreenPluginLoader::tryLoad(QPluginLoader &loader)
{
    // The metadata is read from the file without loading it: a plugin of another kind or of
    // another build runs none of its code.
    const QJsonObject metaData = loader.metaData();
    const QString path = loader.fileName();
    if (metaData.isEmpty()) {
        m_errorString = loader.errorString();
        return nullptr;
    }
    const QString iid = metaData.value("IID"_L1).toString();
    if (iid != QLatin1StringView(HB_SCREEN_PLUGIN_IID)) {
        m_errorString = u"%1 is a plugin of another kind (%2)."_s.arg(path, iid);
        return nullptr;
    }
    const QJsonObject own = metaData.value("MetaData"_L1).toObject();
    const QString screen = own.value("screen"_L1).toString();
    if (screen != m_screenKey) {
        m_errorString = u"%1 provides the screen “%2”, not “%3”."_s.arg(path, screen, m_screenKey);
        return nullptr;
    }
    const QString version = own.value("version"_L1).toString();
    if (version != QLatin1StringView(HB_VERSION)) {
        m_errorString = u"%1 was built for Huebench %2; this is Huebench %3."_s.arg(
            path, version, QLatin1StringView(HB_VERSION));
        return nullptr;
    }
    QObject *instance = loader.instance();
    if (!instance) {
        m_errorString = loader.errorString();
        return nullptr;
    }
    auto *plugin = qobject_cast<ScreenPlugin *>(instance);
    if (!plugin)
        m_errorString = u"%1 does not make a screen."_s.arg(path);
    return plugin;
}

} // namespace hb
