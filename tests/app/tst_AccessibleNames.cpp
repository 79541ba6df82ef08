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

QString describe(const QWidget *widget)
{
    QString text = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty())
        text += u" \""_s + widget->objectName() + u'"';
    QWidget *window = widget->window();
    if (window && !window->windowTitle().isEmpty())
        text += u" in \""_s + window->windowTitle() + u'"';
    return text;
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
            unnamed.append(describe(widget));
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

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ModelStore> m_store;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<PrepChecklist> m_checklist;
    std::unique_ptr<ShortcutPad> m_pad;
    std::unique_ptr<DadavezaRuzServer> m_server;
    // Screens that another screen is built on: the pad for its sheets.
    std::unique_ptr<DadavezaRuzView> m_padView;
    test::FakeDiscovery *m_discovery = nullptr; // owned by the pad's screen

    std::unique_ptr<QWidget> build(const QString &screen);
    DadavezaRuzView &padView();

private Q_SLOTS:
    void init();
    void cleanup();
    void everyControlHasAName_data();
    void everyControlHasAName();
    void padCellsSayLabelKeyAndState_data();
    void padCellsSayLabelKeyAndState();
    void padCellsPressLikeAClick();
};

void TestAccessibleNames::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_store = ModelStore::open(m_dir->path()).value();
    m_settings = std::make_unique<Settings>(m_dir->filePath(u"settings.ini"_s));
    // The tutorial screen only ever loads from a loopback address where nothing listens.
    m_settings->setYoutubeSearchSiteUrl(u"http://127.0.0.1:9/"_s);
    m_checklist = std::make_unique<PrepChecklist>(*m_store);
    m_pad = std::make_unique<ShortcutPad>(*m_store);
}

void TestAccessibleNames::cleanup()
{
    m_padView.reset();
    m_server.reset();
    m_pad.reset();
    m_checklist.reset();
    m_store.reset();
    m_dir.reset();
}

DadavezaRuzView &TestAccessibleNames::padView()
{
    if (!m_padView) {
        auto discovery = std::make_unique<test::FakeDiscovery>();
        m_discovery = discovery.get();
        m_padView = std::make_unique<DadavezaRuzView>(*m_store, *m_settings, std::move(discovery),
                                                      std::make_unique<test::FakeTransport>());
    }
    return *m_padView;
}

std::unique_ptr<QWidget> TestAccessibleNames::build(const QString &screen)
{
    if (screen == u"DadavezaRuzView") {
        const ShortcutPage page = m_pad->addPage(u"Grade"_s).value();
        (void)m_pad->addButton(page.id, 0, 0).value();
        auto view = std::make_unique<DadavezaRuzView>(*m_store, *m_settings,
                                                      std::make_unique<test::FakeDiscovery>(),
                                                      std::make_unique<test::FakeTransport>());
        return view;
    }
    if (screen == u"ConnectionSheet") {
        DadavezaRuzView &pad = padView();
        auto sheet = std::make_unique<ConnectionSheet>(pad.connection(), *m_settings);
        // Blocked discovery shows the section with its button.
        if (!m_discovery->browsers.isEmpty() && m_discovery->browsers.last())
            m_discovery->browsers.last()->fail(ServiceDiscoveryError::DaemonNotRunning,
                                               u"The DNS-SD daemon is not running"_s);
        return sheet;
    }
    if (screen == u"EditButtonSheet") {
        const ShortcutPage page = m_pad->addPage(u"Grade"_s).value();
        const ShortcutButton made = m_pad->addButton(page.id, 1, 2).value();
        return std::make_unique<EditButtonSheet>(*m_pad, made.id);
    }
    if (screen == u"AddPageSheet")
        return std::make_unique<AddPageSheet>();
    if (screen == u"PresetPickerSheet")
        return std::make_unique<PresetPickerSheet>();
    if (screen == u"QRScannerView")
        return std::make_unique<QRScannerView>();
    if (screen == u"DadavezaRuzServerView") {
        DadavezaRuzServerPlatform platform;
        platform.localAddress = [] { return std::optional<QString>(u"127.0.0.1"_s); };
        platform.listenAddress = QHostAddress::LocalHost;
        m_server = std::make_unique<DadavezaRuzServer>(platform, new TrustedControllers({}, {}), 0);
        return std::make_unique<DadavezaRuzServerView>(
            *m_server, [] { return std::optional<QString>(u"127.0.0.1"_s); });
    }
    if (screen == u"MonitorCalibrationView") {
        MonitorCalibrationHostNetworking::Options options;
        options.port = 0;
        options.listenAddress = QHostAddress::LocalHost;
        options.localAddress = [] { return std::optional<QString>(); };
        return std::make_unique<MonitorCalibrationView>(options);
    }
    if (screen == u"MonitorCalibrationPatternView")
        return std::make_unique<MonitorCalibrationPatternView>();
    if (screen == u"MogrtToFusionLibraryView") {
        const QString folder = m_dir->filePath(u"templates"_s);
        return std::make_unique<MogrtToFusionLibraryView>(
            MogrtLibrary([folder] { return Expected<QString>(folder); }));
    }
    if (screen == u"MogrtShareSheet")
        return std::make_unique<MogrtShareSheet>(m_dir->filePath(u"Lower Third.setting"_s));
    if (screen == u"TextToFountainView")
        return std::make_unique<TextToFountainView>();
    if (screen == u"DocToSRTView")
        return std::make_unique<DocToSRTView>();
    if (screen == u"FeetFramesCalculatorView")
        return std::make_unique<FeetFramesCalculatorView>();
    if (screen == u"ProjectPrepChecklistView") {
        (void)m_checklist->createProject(u"Reel 1"_s, u"Notes"_s).value();
        return std::make_unique<ProjectPrepChecklistView>(*m_store);
    }
    if (screen == u"NewPrepProjectView")
        return std::make_unique<NewPrepProjectView>(*m_checklist);
    if (screen == u"PrepProjectDetailView" || screen == u"PrepTaskDetailView") {
        const PrepProject project = m_checklist->createProject(u"Reel 1"_s, {}).value();
        const std::optional<PrepTask> task = m_checklist->addTask(project.id, u"Conform"_s).value();
        if (screen == u"PrepTaskDetailView")
            return std::make_unique<PrepTaskDetailView>(*m_checklist, *task);
        return std::make_unique<PrepProjectDetailView>(*m_checklist, project.id, *m_store);
    }
    if (screen == u"BouncingMonitorsGameView")
        return std::make_unique<BouncingMonitorsGameView>();
    if (screen == u"ColorInvadersGameView")
        return std::make_unique<ColorInvadersGameView>(*m_settings);
    if (screen == u"YouTubeSearchView")
        return std::make_unique<YouTubeSearchView>(*m_settings);
    if (screen == u"ContentView")
        return std::make_unique<ContentView>(ScreenFactories{});
    return {};
}

void TestAccessibleNames::everyControlHasAName_data()
{
    QTest::addColumn<QString>("screen");
    for (const char *screen : {"DadavezaRuzView",
                               "ConnectionSheet",
                               "EditButtonSheet",
                               "AddPageSheet",
                               "PresetPickerSheet",
                               "QRScannerView",
                               "DadavezaRuzServerView",
                               "MonitorCalibrationView",
                               "MonitorCalibrationPatternView",
                               "MogrtToFusionLibraryView",
                               "MogrtShareSheet",
                               "TextToFountainView",
                               "DocToSRTView",
                               "FeetFramesCalculatorView",
                               "ProjectPrepChecklistView",
                               "NewPrepProjectView",
                               "PrepProjectDetailView",
                               "PrepTaskDetailView",
                               "BouncingMonitorsGameView",
                               "ColorInvadersGameView",
                               "YouTubeSearchView",
                               "ContentView"})
        QTest::newRow(screen) << QString::fromLatin1(screen);
}

void TestAccessibleNames::everyControlHasAName()
{
    QFETCH(QString, screen);

    std::unique_ptr<QWidget> widget = build(screen);
    QVERIFY2(widget, qPrintable(u"no way to build "_s + screen));
    widget->resize(900, 800);
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.get()));
    QCoreApplication::processEvents();

    const QStringList unnamed = unnamedControls(widget.get());
    QVERIFY2(unnamed.isEmpty(),
             qPrintable(u"controls without an accessible name:\n  "_s + unnamed.join(u"\n  "_s)));
}

void TestAccessibleNames::padCellsSayLabelKeyAndState_data()
{
    QTest::addColumn<bool>("editMode");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("disabled");

    QTest::newRow("button") << false << 1 << 0 << u"Play, key Q"_s << QString() << false;
    QTest::newRow("empty cell") << false << 0 << 1 << u"Empty cell, key 2"_s << QString() << true;
    QTest::newRow("button in edit mode")
        << true << 1 << 0 << u"Play, key Q"_s << u"Edit mode: opens the editor of this button"_s
        << false;
    QTest::newRow("empty cell in edit mode")
        << true << 0 << 1 << u"Empty cell, key 2"_s << u"Edit mode: adds a button here"_s << false;
}

void TestAccessibleNames::padCellsSayLabelKeyAndState()
{
    QFETCH(bool, editMode);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(bool, disabled);

    ShortcutGridView grid;
    grid.setButtons({button(u"Play"_s, 1, 0), button(u"Flag Red"_s, 3, 3)});
    grid.setEditMode(editMode);
    grid.resize(460, 460);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));

    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&grid);
    QVERIFY(accessible);
    QCOMPARE(accessible->childCount(), ShortcutGrid::kCellCount);
    QAccessibleInterface *cell = accessible->child(ShortcutGrid::indexOf(row, col));
    QVERIFY(cell);
    QCOMPARE(cell->role(), QAccessible::Button);
    QCOMPARE(cell->text(QAccessible::Name), name);
    QCOMPARE(cell->text(QAccessible::Description), description);
    QCOMPARE(bool(cell->state().disabled), disabled);
    QCOMPARE(cell->parent(), accessible);
    QCOMPARE(accessible->indexOfChild(cell), ShortcutGrid::indexOf(row, col));
    // Where the cell is painted is where assistive technology finds it.
    const QRect area = cell->rect();
    QCOMPARE(area, ShortcutGrid::cellRect(QSizeF(grid.size()), row, col)
                       .toAlignedRect()
                       .translated(grid.mapToGlobal(QPoint(0, 0))));
    QCOMPARE(accessible->childAt(area.center().x(), area.center().y()), cell);
}

void TestAccessibleNames::padCellsPressLikeAClick()
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

    QCOMPARE(play->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    QCOMPARE(play->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
             QStringList{u"Q"_s});
    play->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(tapped.size(), 1);
    QCOMPARE(tapped.first(), (QVariantList{1, 0}));

    // An empty cell does nothing outside edit mode; in edit mode it adds a button.
    QVERIFY(empty->actionNames().isEmpty());
    empty->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(tapped.size(), 1);
    grid.setEditMode(true);
    empty->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(tapped.size(), 2);
    QCOMPARE(tapped.last(), (QVariantList{0, 0}));
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
