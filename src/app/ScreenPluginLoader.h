#pragma once

#include <QString>
#include <QStringList>

class QPluginLoader;

namespace hb {

class ScreenPlugin;

// Finds the plugin file of one catalogue screen in a list of folders and loads it the first
// time it is asked for. A plugin is used only when its metadata says it is a screen plugin of
// this interface, for this screen and for this version of the program; otherwise errorString()
// says why not, in words for the user.
class ScreenPluginLoader {
public:
    ScreenPluginLoader(QString screenKey, QString fileName, QStringList directories);
    ~ScreenPluginLoader();

    ScreenPluginLoader(const ScreenPluginLoader &) = delete;
    ScreenPluginLoader &operator=(const ScreenPluginLoader &) = delete;

    // The folders of HUEBENCH_PLUGIN_PATH (separated by ':'), then those of directoriesFor()
    // of this program's folder.
    static QStringList defaultDirectories();
    // Beside the program (the build tree), then the installed plugin folder relative to the
    // program's folder (so that an installed tree may move).
    static QStringList directoriesFor(const QString &programDirectory);

    QStringList directories() const { return m_directories; }
    // The first folder's copy of the file; empty when there is none.
    QString locate() const;
    // The plugin, loaded on the first call and kept for the process's lifetime; nullptr when it
    // cannot be used. A failed load is tried again on the next call: it may be installed since.
    ScreenPlugin *load();
    // Why the last load() gave nothing.
    QString errorString() const { return m_errorString; }

private:
    ScreenPlugin *tryLoad(QPluginLoader &loader);

    QString m_screenKey;
    QString m_fileName;
    QStringList m_directories;
    ScreenPlugin *m_plugin = nullptr;
    QString m_errorString;
};

} // namespace hb
