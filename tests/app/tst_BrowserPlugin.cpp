#include "app/ContentView.h"
#include "app/HuebenchApp.h"
#include "app/ScreenPluginLoader.h"
#include "app/ToolCatalogue.h"
#include "app/YouTubeSearchFallbackView.h"
#include "browser/LoopbackWebServer.h"
#include "browser/YouTubeSearchSite.h"
#include "common/ScreenPlugin.h"
#include "common/Settings.h"
#include "common/SettingsNotifier.h"
#include "platform/store/ModelStore.h"
#include "support/WebEngineTestSetup.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <elf.h>

#include <cstring>
#include <optional>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

const QString kPluginFile = u"huebench-browser.so"_s;
// What only the embedded browser needs: none of it is the window program's to map at start.
const QRegularExpression kEngineLibraries(u"WebEngine|Qt6Quick|Qt6Qml|Positioning|WebChannel"_s);

// Reads a T at `offset` of the file's bytes, if it lies within them.
template <typename T> std::optional<T> readAt(QByteArrayView bytes, quint64 offset)
{
    if (offset > quint64(bytes.size()) || quint64(bytes.size()) - offset < sizeof(T))
        return std::nullopt;
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}

// The DT_NEEDED entries of a 64-bit ELF file's dynamic section: the libraries the loader maps
// with it. Empty for anything else.
QStringList neededLibraries(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const uchar *mapped = file.map(0, file.size());
    if (!mapped)
        return {};
    const QByteArrayView bytes(mapped, file.size());
    const auto header = readAt<Elf64_Ehdr>(bytes, 0);
    if (!header || std::memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 ||
        header->e_ident[EI_CLASS] != ELFCLASS64 || header->e_shentsize != sizeof(Elf64_Shdr))
        return {};
    const auto section = [&](quint64 index) {
        return readAt<Elf64_Shdr>(bytes, header->e_shoff + index * sizeof(Elf64_Shdr));
    };
    QStringList needed;
    for (quint64 i = 0; i < header->e_shnum; ++i) {
        const auto dynamic = section(i);
        if (!dynamic || dynamic->sh_type != SHT_DYNAMIC)
            continue;
        const auto strings = section(dynamic->sh_link);
        if (!strings)
            return {};
        for (quint64 at = 0; at + sizeof(Elf64_Dyn) <= dynamic->sh_size; at += sizeof(Elf64_Dyn)) {
            const auto entry = readAt<Elf64_Dyn>(bytes, dynamic->sh_offset + at);
            if (!entry || entry->d_tag == DT_NULL)
                break;
            if (entry->d_tag != DT_NEEDED || entry->d_un.d_val >= strings->sh_size)
                continue;
            const QByteArrayView name =
                bytes.sliced(qsizetype(strings->sh_offset)).sliced(qsizetype(entry->d_un.d_val));
            needed.append(QString::fromLatin1(name.first(qsizetype(std::strlen(name.data())))));
        }
    }
    return needed;
}

// The screen's class as its own metadata names it; a plugin's classes are not this program's,
// so qobject_cast cannot tell.
QString className(const QObject *object)
{
    return object ? QString::fromLatin1(object->metaObject()->className()) : QString();
}

} // namespace

class TestBrowserPlugin : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_settings = std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s));
        m_opened.clear();
        qunsetenv("HUEBENCH_PLUGIN_PATH");
    }

    void cleanup()
    {
        m_settings.reset();
        m_dir.reset();
    }

    void enginesAreMappedByThePluginOnly_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("needed");
        QTest::addColumn<bool>("mapsEngine");
        QTest::newRow("huebench") << QStringLiteral(HUEBENCH_BINARY) << u"libQt6Widgets.so.6"_s
                                  << false;
#ifdef HB_BROWSER_PLUGIN
        QTest::newRow("plugin") << QStringLiteral(HB_BROWSER_PLUGIN)
                                << u"libQt6WebEngineWidgets.so.6"_s << true;
#endif
    }

    void enginesAreMappedByThePluginOnly()
    {
        QFETCH(QString, file);
        QFETCH(QString, needed);
        QFETCH(bool, mapsEngine);
        const QStringList libraries = neededLibraries(file);
        QVERIFY2(libraries.contains(needed), qPrintable(libraries.join(u' ')));
        QCOMPARE(!libraries.filter(kEngineLibraries).isEmpty(), mapsEngine);
    }

    void theScreenComesFromThePluginInTheBuildTree()
    {
#ifndef HB_BROWSER_PLUGIN
        QSKIP("this build has no embedded browser");
#else
        const QString directory = QFileInfo(QStringLiteral(HB_BROWSER_PLUGIN)).absolutePath();
        ScreenPluginLoader loader(u"tutorial-browser"_s, kPluginFile, {m_dir->path(), directory});
        ScreenPlugin *plugin = loader.load();
        QVERIFY2(plugin, qPrintable(loader.errorString()));
        QCOMPARE(loader.load(), plugin);

        // Through the catalogue, as the user opens it: the plugin's screen with its browser, which
        // loads a page although nothing prepared the engine's graphics before the application.
        qputenv("HUEBENCH_PLUGIN_PATH", (m_dir->path() + u':' + directory).toLocal8Bit());
        LoopbackWebServer site(QHostAddress::LocalHost);
        site.setPage(u"/"_s, u"<!doctype html><title>Tutorials</title><h1>Tutorials</h1>"_s);
        auto app = openApp();
        QVERIFY(app);
        app->settings().setYoutubeSearchSiteUrl(site.origin() + u"/"_s);
        QVERIFY(app->contentView()->choose(ToolId::YouTubeSearch));
        QWidget *screen = app->contentView()->currentScreen();
        QCOMPARE(className(screen), u"hb::YouTubeSearchView"_s);
        QVERIFY(screen->isVisible());
        QVERIFY(screen->findChild<QWidget *>(u"backButton"_s));
        QVERIFY(!screen->findChild<QWidget *>(u"notInstalledNotice"_s));
        // The state is the plugin's own type: read through its property.
        const QObject *state = nullptr;
        for (const QObject *child : screen->children()) {
            if (className(child) == u"hb::YouTubeSearchState"_s)
                state = child;
        }
        QVERIFY(state);
        QTRY_VERIFY_WITH_TIMEOUT(
            state->property("webStatusText").toString().startsWith(u"Loaded: "_s), 60000);
#endif
    }

    void withoutAUsablePluginTheScreenFallsBack_data()
    {
        QTest::addColumn<QString>("plugin");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("opened");
        const QString channel = YouTubeSearchSite::channelVideosPage().toString();
        QTest::newRow("missing") << QString() << u"No huebench-browser.so in "_s << QString()
                                 << channel;
        QTest::newRow("not a library") << u"garbage"_s << kPluginFile << QString() << channel;
        QTest::newRow("plugin of another kind")
            << QLibraryInfo::path(QLibraryInfo::PluginsPath) + u"/platforms/libqoffscreen.so"_s
            << u"a plugin of another kind"_s << u"https://search.example.org/"_s
            << u"https://search.example.org/"_s;
#ifdef HB_BROWSER_PLUGIN
        QTest::newRow("built for another version")
            << u"other version"_s << u"was built for Huebench 9."_s << QString() << channel;
#endif
    }

    void withoutAUsablePluginTheScreenFallsBack()
    {
        QFETCH(QString, plugin);
        QFETCH(QString, reason);
        QFETCH(QString, site);
        QFETCH(QString, opened);
        const QString directory = m_dir->filePath(u"plugins"_s);
        QVERIFY(QDir().mkpath(directory));
        QVERIFY(placePlugin(plugin, directory + u'/' + kPluginFile));
        if (!site.isEmpty())
            m_settings->setYoutubeSearchSiteUrl(site);

        ScreenPluginLoader loader(u"tutorial-browser"_s, kPluginFile, {directory});
        QVERIFY(!loader.load());
        QVERIFY2(loader.errorString().contains(reason), qPrintable(loader.errorString()));

        YouTubeSearchFallbackView view(*m_settings, loader.errorString(),
                                       [this](const QUrl &url) { m_opened.append(url); });
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.findChild<QLabel *>(u"notInstalledNotice"_s)->text(),
                 YouTubeSearchFallbackView::notInstalledText());
        QCOMPARE(view.findChild<QLabel *>(u"notInstalledReason"_s)->text(), loader.errorString());
        QCOMPARE(view.findChild<QLabel *>(u"siteAddress"_s)->text(), opened);
        QTest::mouseClick(view.findChild<QPushButton *>(u"openButton"_s), Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(opened)});
    }

    // The catalogue's own screen without the plugin: Open goes to the desktop's default browser.
    void theCatalogueFallsBackWithoutThePlugin()
    {
        qputenv("HUEBENCH_PLUGIN_PATH", m_dir->path().toLocal8Bit());
        QDesktopServices::setUrlHandler(u"https"_s, this, "openUrl");
        auto app = openApp();
        QVERIFY(app);
        QVERIFY(app->contentView()->choose(ToolId::YouTubeSearch));
        QWidget *screen = app->contentView()->currentScreen();
        QCOMPARE(className(screen), u"hb::YouTubeSearchFallbackView"_s);
        QVERIFY(screen->findChild<QLabel *>(u"notInstalledNotice"_s)->isVisible());
        QTest::mouseClick(screen->findChild<QPushButton *>(u"openButton"_s), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(u"https"_s);
        QCOMPARE(m_opened, QList<QUrl>{YouTubeSearchSite::channelVideosPage()});
    }

    // An installed tree finds its plugin relative to the program, wherever the tree was moved.
    void anInstalledTreeFindsItsPluginAfterMoving()
    {
        const QString plugins = u"/tree/"_s + QStringLiteral(HB_PLUGIN_INSTALL_DIR);
        QVERIFY(QDir().mkpath(m_dir->path() + plugins));
        QVERIFY(QDir().mkpath(m_dir->path() + u"/tree/"_s + QStringLiteral(HB_INSTALL_BINDIR)));
        QVERIFY(placePlugin(u"garbage"_s, m_dir->path() + plugins + u'/' + kPluginFile));
        QVERIFY(QDir(m_dir->path()).rename(u"tree"_s, u"moved"_s));

        const QString program = m_dir->path() + u"/moved/"_s + QStringLiteral(HB_INSTALL_BINDIR);
        const ScreenPluginLoader loader(u"tutorial-browser"_s, kPluginFile,
                                        ScreenPluginLoader::directoriesFor(program));
        QCOMPARE(QFileInfo(loader.locate()).canonicalFilePath(),
                 QFileInfo(m_dir->path() + u"/moved/"_s + QStringLiteral(HB_PLUGIN_INSTALL_DIR) +
                           u'/' + kPluginFile)
                     .canonicalFilePath());
    }

public Q_SLOTS:
    void openUrl(const QUrl &url)
    {
        m_opened.append(url);
    }

private:
    std::unique_ptr<HuebenchApp> openApp()
    {
        auto store = ModelStore::open(m_dir->filePath(u"store"_s));
        if (!store)
            return nullptr;
        auto app = std::make_unique<HuebenchApp>(
            std::move(*store), std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s)));
        app->show();
        return QTest::qWaitForWindowExposed(app->window()) ? std::move(app) : nullptr;
    }

    // Puts at `target` what a row asks for: nothing, bytes that are no library, a copy of
    // another file, or a copy of the real plugin whose metadata names another version.
    static bool placePlugin(const QString &what, const QString &target)
    {
        if (what.isEmpty())
            return true;
        QFile file(target);
        if (what == u"garbage"_s)
            return file.open(QIODevice::WriteOnly) && file.write("\x7f"
                                                                 "ELF not really") > 0;
#ifdef HB_BROWSER_PLUGIN
        if (what == u"other version"_s) {
            QFile real(QStringLiteral(HB_BROWSER_PLUGIN));
            if (!real.open(QIODevice::ReadOnly))
                return false;
            QByteArray bytes = real.readAll();
            // The version follows its key in the metadata, which begins with the interface.
            const QByteArray version = QByteArrayLiteral(HB_VERSION);
            const qsizetype metaData = bytes.indexOf(HB_SCREEN_PLUGIN_IID);
            const qsizetype key = bytes.indexOf("version", metaData);
            const qsizetype at = bytes.indexOf(version, key);
            if (metaData < 0 || key < 0 || at < 0 || at - key > 16)
                return false;
            bytes[at] = '9';
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        }
#endif
        return QFile::copy(what, target);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Settings> m_settings;
    QList<QUrl> m_opened;
};

int main(int argc, char *argv[])
{
    prepareWebEngineForTests(EngineGraphics::LeftToTheApplication);
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    TestBrowserPlugin test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_BrowserPlugin.moc"
