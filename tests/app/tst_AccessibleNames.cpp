// Every control of every screen has a name that assistive technology can read, and the pad's
// painted cells are announced as buttons with their label, key and state.

#include "app/ContentView.h"
#include "browser/YouTubeSearchView.h"
#include "calibration/MonitorCalibrationPatternView.h"
#include "calibration/MonitorCalibrationView.h"
#include "common/Settings.h"
#include "converters/DocToSRTView.h"
#include "converters/TextToFountainView.h"
#include "dadavezaruz-server/DadavezaRuzServer.h"
#include "dadavezaruz-server/DadavezaRuzServerView.h"
#include "dadavezaruz-server/TrustedControllers.h"
#include "dadavezaruz/AddPageSheet.h"
#include "dadavezaruz/ConnectionSheet.h"
#include "dadavezaruz/DadavezaRuzView.h"
#include "dadavezaruz/EditButtonSheet.h"
#include "dadavezaruz/FakeDadavezaRuzNetwork.h"
#include "dadavezaruz/PresetPickerSheet.h"
#include "dadavezaruz/QRScannerView.h"
#include "dadavezaruz/ShortcutGridView.h"
#include "dadavezaruz/ShortcutPad.h"
#include "footage/FeetFramesCalculatorView.h"
#include "games/BouncingMonitorsGameView.h"
#include "games/ColorInvadersGameView.h"
#include "mogrt/MogrtShareSheet.h"
#include "mogrt/MogrtToFusionLibraryView.h"
#include "platform/store/ModelStore.h"
#include "prep/NewPrepProjectView.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepProjectDetailView.h"
#include "prep/PrepTaskDetailView.h"
#include "prep/ProjectPrepChecklistView.h"
#include "support/WebEngineTestSetup.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>

using namespace hb;
using namespace Qt::StringLiterals;

namespace {

// A control that takes part in the focus chain and does something when used. Labels are
// read by their text. Parts of a composite control (the line edit of a spin box, the viewport
// of a list) are read through the control itself, and a widget that hands its focus on is read
// through where it goes.
bool isControl(const QWidget *widget)
{
    if (widget->focusPolicy() == Qt::NoFocus || widget->focusProxy() ||
        qobject_cast<const QLabel *>(widget))
        return false;
    for (const QWidget *up = widget->parentWidget(); up; up = up->parentWidget()) {
        if (qobject_cast<const QAbstractSpinBox *>(up) || qobject_cast<const QComboBox *>(up))
            return false;
    }
    return true;
}

QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name).trimmed() : QString();
}

// The name of a control, or else that of the widget whose focus it takes: the page of a web
// view is drawn by the engine's own widget, which stands in for the named view.
QString nameAlongFocus(QWidget *widget)
{
    QString name = accessibleName(widget);
    QWidget *target = widget;
    for (QWidget *up = widget->parentWidget(); name.isEmpty() && up; up = up->parentWidget()) {
        if (up->focusProxy() == target) {
            name = accessibleName(up);
            target = up;
        }
    }
    return name;
}

// The controls of `top` and its child windows that are shown, enabled and unnamed.
QStringList unnamedControls(QWidget *top)
{
    QList<QWidget *> widgets = top->findChildren<QWidget *>();
    widgets.prepend(top);
    QStringList unnamed;
    for (QWidget *widget : std::as_const(widgets)) {
        if (!widget->isVisible() || !widget->isEnabled() || !isControl(widget))
            continue;
        if (nameAlongFocus(widget).isEmpty())
            unnamed.append(u"%1 \"%2\" in \"%3\""_s.arg(
                QString::fromLatin1(widget->metaObject()->className()), widget->objectName(),
                widget->window()->windowTitle()));
    }
    return unnamed;
}

ShortcutButton button(const QString &label, int row, int col)
{
    ShortcutButton made;
    made.id = 100 + ShortcutGrid::indexOf(row, col);
    made.label = label;
    made.keyCombo = u"space"_s;
    made.row = row;
    made.col = col;
    return made;
}

} // namespace

class TestAccessibleNames : public QObject {
    Q_OBJECT

    using Factory = std::function<std::unique_ptr<QWidget>()>;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<PrepChecklist> m_checklist;
    std::unique_ptr<ShortcutPad> m_pad;
    std::unique_ptr<DadavezaRuzServer> m_server;
    std::unique_ptr<DadavezaRuzView> m_padView; // the pad a sheet is opened over

    std::map<QString, Factory> screens();

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = ModelStore::open(m_dir->path()).value();
        m_settings = std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s));
        // The tutorial screen only ever loads from a loopback address where nothing listens.
        m_settings->setYoutubeSearchSiteUrl(u"http://127.0.0.1:9/"_s);
        m_checklist = std::make_unique<PrepChecklist>(*m_store);
        m_pad = std::make_unique<ShortcutPad>(*m_store);
    }

    void cleanup()
    {
        m_padView.reset();
        m_server.reset();
        m_pad.reset();
        m_checklist.reset();
        m_store.reset();
        m_dir.reset();
    }

    void everyControlHasAName_data()
    {
        QTest::addColumn<QString>("screen");
        for (const auto &[screen, factory] : screens())
            QTest::newRow(qPrintable(screen)) << screen;
    }

    void everyControlHasAName()
    {
        QFETCH(QString, screen);
        std::unique_ptr<QWidget> widget = screens().at(screen)();
        widget->resize(900, 800);
        widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
        QCoreApplication::processEvents();

        const QStringList unnamed = unnamedControls(widget.get());
        QVERIFY2(unnamed.isEmpty(), qPrintable(u"controls without an accessible name:\n  "_s +
                                               unnamed.join(u"\n  "_s)));
    }

    void padCellsSayLabelKeyAndState_data()
    {
        QTest::addColumn<bool>("editMode");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        QTest::addColumn<bool>("disabled");

        QTest::newRow("button") << false << 1 << 0 << u"Play, key Q"_s << QString() << false;
        QTest::newRow("empty cell")
            << false << 0 << 1 << u"Empty cell, key 2"_s << QString() << true;
        QTest::newRow("button in edit mode")
            << true << 1 << 0 << u"Play, key Q"_s << u"Edit mode: opens the editor of this button"_s
            << false;
        QTest::newRow("empty cell in edit mode") << true << 0 << 1 << u"Empty cell, key 2"_s
                                                 << u"Edit mode: adds a button here"_s << false;
    }

    void padCellsSayLabelKeyAndState()
    {
        QFETCH(bool, editMode);
        QFETCH(int, row);
        QFETCH(int, col);

        ShortcutGridView grid;
        grid.setButtons({button(u"Play"_s, 1, 0), button(u"Flag Red"_s, 3, 3)});
        grid.setEditMode(editMode);
        grid.resize(460, 460);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));

        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&grid);
        QCOMPARE(accessible->childCount(), ShortcutGrid::kCellCount);
        QAccessibleInterface *cell = accessible->child(ShortcutGrid::indexOf(row, col));
        QVERIFY(cell);
        QCOMPARE(cell->role(), QAccessible::Button);
        QTEST(cell->text(QAccessible::Name), "name");
        QTEST(cell->text(QAccessible::Description), "description");
        QTEST(bool(cell->state().disabled), "disabled");
        QCOMPARE(cell->parent(), accessible);
        QCOMPARE(accessible->indexOfChild(cell), ShortcutGrid::indexOf(row, col));
        // Where the cell is painted is where assistive technology finds it.
        const QRect area = cell->rect();
        QCOMPARE(area, ShortcutGrid::cellRect(QSizeF(grid.size()), row, col)
                           .toAlignedRect()
                           .translated(grid.mapToGlobal(QPoint(0, 0))));
        QCOMPARE(accessible->childAt(area.center().x(), area.center().y()), cell);
    }

    void padCellsPressLikeAClick()
    {
        ShortcutGridView grid;
        grid.setButtons({button(u"Play"_s, 1, 0)});
        QSignalSpy tapped(&grid, &ShortcutGridView::cellTapped);
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&grid);
        QAccessibleActionInterface *play =
            accessible->child(ShortcutGrid::indexOf(1, 0))->actionInterface();
        QAccessibleActionInterface *empty =
            accessible->child(ShortcutGrid::indexOf(0, 0))->actionInterface();
        QVERIFY(play && empty);
        const QString press = QAccessibleActionInterface::pressAction();

        QCOMPARE(play->actionNames(), QStringList{press});
        QCOMPARE(play->keyBindingsForAction(press), QStringList{u"Q"_s});
        play->doAction(press);
        QCOMPARE(tapped.size(), 1);
        QCOMPARE(tapped.first(), (QVariantList{1, 0}));

        // An empty cell does nothing outside edit mode; in edit mode it adds a button.
        QVERIFY(empty->actionNames().isEmpty());
        empty->doAction(press);
        QCOMPARE(tapped.size(), 1);
        grid.setEditMode(true);
        empty->doAction(press);
        QCOMPARE(tapped.size(), 2);
        QCOMPARE(tapped.last(), (QVariantList{0, 0}));
    }
};

// Every screen and sheet, built as the window builds it, with records to show where a screen
// lists some.
std::map<QString, TestAccessibleNames::Factory> TestAccessibleNames::screens()
{
    const auto project = [this] {
        return m_checklist->createProject(u"Reel 1"_s, u"Notes"_s).value();
    };
    const auto task = [this, project] {
        return *m_checklist->addTask(project().id, u"Conform"_s).value();
    };
    return {
        {u"DadavezaRuzView"_s,
         [this] {
             (void)m_pad->addButton(m_pad->addPage(u"Grade"_s).value().id, 0, 0).value();
             return std::make_unique<DadavezaRuzView>(*m_store, *m_settings,
                                                      std::make_unique<test::FakeDiscovery>(),
                                                      std::make_unique<test::FakeTransport>());
         }},
        {u"ConnectionSheet"_s,
         [this] {
             auto discovery = std::make_unique<test::FakeDiscovery>();
             test::FakeDiscovery *browsing = discovery.get();
             m_padView =
                 std::make_unique<DadavezaRuzView>(*m_store, *m_settings, std::move(discovery),
                                                   std::make_unique<test::FakeTransport>());
             auto sheet = std::make_unique<ConnectionSheet>(m_padView->connection(), *m_settings);
             // Blocked discovery shows the section with its button.
             if (!browsing->browsers.isEmpty() && browsing->browsers.last())
                 browsing->browsers.last()->fail(ServiceDiscoveryError::DaemonNotRunning,
                                                 u"The DNS-SD daemon is not running"_s);
             return sheet;
         }},
        {u"EditButtonSheet"_s,
         [this] {
             const ShortcutPage page = m_pad->addPage(u"Grade"_s).value();
             return std::make_unique<EditButtonSheet>(*m_pad,
                                                      m_pad->addButton(page.id, 1, 2).value().id);
         }},
        {u"AddPageSheet"_s, [] { return std::make_unique<AddPageSheet>(); }},
        {u"PresetPickerSheet"_s, [] { return std::make_unique<PresetPickerSheet>(); }},
        {u"QRScannerView"_s, [] { return std::make_unique<QRScannerView>(); }},
        {u"DadavezaRuzServerView"_s,
         [this] {
             DadavezaRuzServerPlatform platform;
             platform.localAddress = [] { return std::optional<QString>(u"127.0.0.1"_s); };
             platform.listenAddress = QHostAddress::LocalHost;
             m_server =
                 std::make_unique<DadavezaRuzServer>(platform, new TrustedControllers({}, {}), 0);
             return std::make_unique<DadavezaRuzServerView>(*m_server, platform.localAddress);
         }},
        {u"MonitorCalibrationView"_s,
         [] {
             MonitorCalibrationHostNetworking::Options options;
             options.port = 0;
             options.listenAddress = QHostAddress::LocalHost;
             options.localAddress = [] { return std::optional<QString>(); };
             return std::make_unique<MonitorCalibrationView>(options);
         }},
        {u"MonitorCalibrationPatternView"_s,
         [] { return std::make_unique<MonitorCalibrationPatternView>(); }},
        {u"MogrtToFusionLibraryView"_s,
         [this] {
             const QString folder = m_dir->filePath(u"templates"_s);
             return std::make_unique<MogrtToFusionLibraryView>(
                 MogrtLibrary([folder] { return Expected<QString>(folder); }));
         }},
        {u"MogrtShareSheet"_s,
         [this] {
             return std::make_unique<MogrtShareSheet>(m_dir->filePath(u"Lower Third.setting"_s));
         }},
        {u"TextToFountainView"_s, [] { return std::make_unique<TextToFountainView>(); }},
        {u"DocToSRTView"_s, [] { return std::make_unique<DocToSRTView>(); }},
        {u"FeetFramesCalculatorView"_s,
         [] { return std::make_unique<FeetFramesCalculatorView>(); }},
        {u"ProjectPrepChecklistView"_s,
         [this, project] {
             project();
             return std::make_unique<ProjectPrepChecklistView>(*m_store);
         }},
        {u"NewPrepProjectView"_s,
         [this] { return std::make_unique<NewPrepProjectView>(*m_checklist); }},
        {u"PrepProjectDetailView"_s,
         [this, project] {
             return std::make_unique<PrepProjectDetailView>(*m_checklist, project().id, *m_store);
         }},
        {u"PrepTaskDetailView"_s,
         [this, task] { return std::make_unique<PrepTaskDetailView>(*m_checklist, task()); }},
        {u"BouncingMonitorsGameView"_s,
         [] { return std::make_unique<BouncingMonitorsGameView>(); }},
        {u"ColorInvadersGameView"_s,
         [this] { return std::make_unique<ColorInvadersGameView>(*m_settings); }},
        {u"YouTubeSearchView"_s,
         [this] { return std::make_unique<YouTubeSearchView>(*m_settings); }},
        {u"ContentView"_s, [] { return std::make_unique<ContentView>(ScreenFactories{}); }},
    };
}

int main(int argc, char *argv[])
{
    prepareWebEngineForTests();
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    TestAccessibleNames test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AccessibleNames.moc"
