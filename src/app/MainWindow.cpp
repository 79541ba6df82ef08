#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/HelpViewer.h"
#include "app/NavigationViewWrapper.h"
#include "common/Settings.h"
#include "common/SettingsNotifier.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace hb {

MainWindow::MainWindow(ScreenFactories screens, Settings &settings, QWidget *parent)
    : QMainWindow(parent), m_settings(settings),
      m_contentView(new ContentView(std::move(screens), this)),
      m_compositionReview(new QTimer(this))
{
    setObjectName(u"mainWindow"_s);
    setWindowTitle(u"Huebench"_s);
    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildSettingsNotice());
    column->addWidget(m_contentView, 1);
    setCentralWidget(central);
    buildMenus();

    // Not from within the destruction: that runs inside the event (a click on the catalogue)
    // that chose the next screen, and the window must not lose its native window under it.
    m_compositionReview->setSingleShot(true);
    m_compositionReview->setInterval(0);
    connect(m_compositionReview, &QTimer::timeout, this, &MainWindow::restoreRasterComposition);
    connect(m_contentView, &ContentView::screenChanged, this, [this](QWidget *screen) {
        if (const std::optional<ToolId> tool = m_contentView->currentTool())
            m_settings.setText(SettingsKey::windowLastTool, ToolCatalogue::key(*tool));
        // Whatever made the screen (a plugin or the program) and whenever it goes.
        if (screen)
            connect(screen, &QObject::destroyed, m_compositionReview, qOverload<>(&QTimer::start),
                    Qt::UniqueConnection);
    });
    connect(m_contentView->navigation()->splitter(), &QSplitter::splitterMoved, this, [this] {
        m_settings.setBytes(SettingsKey::windowSplitter,
                            m_contentView->navigation()->splitter()->saveState());
    });
    // Queued when a write on another thread failed.
    connect(&Settings::notifier(), &SettingsNotifier::writeFailed, this,
            &MainWindow::showSettingsNotice);
    // A desktop logout ends the application without closing its windows.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::saveState);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus()
{
    QMenu *file = menuBar()->addMenu(u"&File"_s);
    QAction *quit = file->addAction(u"&Quit"_s);
    quit->setObjectName(u"actionQuit"_s);
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu *help = menuBar()->addMenu(u"&Help"_s);
    QAction *contents = help->addAction(u"Huebench &Help"_s);
    contents->setObjectName(u"actionHelp"_s);
    contents->setShortcut(QKeySequence::HelpContents);
    contents->setShortcutContext(Qt::ApplicationShortcut);
    connect(contents, &QAction::triggered, this, &MainWindow::showHelp);
    QAction *about = help->addAction(u"&About Huebench"_s);
    about->setObjectName(u"actionAbout"_s);
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
    // Qt's licence and version, as the LGPL asks of a program that links it.
    QAction *aboutQt = help->addAction(u"About &Qt"_s);
    aboutQt->setMenuRole(QAction::AboutQtRole);
    connect(aboutQt, &QAction::triggered, qApp, &QApplication::aboutQt);
}

QFrame *MainWindow::buildSettingsNotice()
{
    m_settingsNotice = new QFrame(this);
    m_settingsNotice->setObjectName(u"settingsNotice"_s);
    m_settingsNotice->setFrameShape(QFrame::StyledPanel);
    m_settingsNotice->setAutoFillBackground(true);
    m_settingsNotice->setBackgroundRole(QPalette::ToolTipBase);
    m_settingsNoticeText = new QLabel(m_settingsNotice);
    m_settingsNoticeText->setObjectName(u"settingsNoticeText"_s);
    m_settingsNoticeText->setForegroundRole(QPalette::ToolTipText);
    m_settingsNoticeText->setTextFormat(Qt::PlainText);
    m_settingsNoticeText->setWordWrap(true);
    m_settingsNoticeText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *close = new QToolButton(m_settingsNotice);
    close->setObjectName(u"settingsNoticeClose"_s);
    close->setText(u"✕"_s);
    close->setAutoRaise(true);
    const QString dismiss = u"Dismiss"_s;
    close->setAccessibleName(dismiss);
    close->setToolTip(dismiss);
    connect(close, &QToolButton::clicked, m_settingsNotice, &QWidget::hide);
    auto *row = new QHBoxLayout(m_settingsNotice);
    row->setContentsMargins(10, 4, 4, 4);
    row->addWidget(m_settingsNoticeText, 1);
    row->addWidget(close, 0, Qt::AlignTop);
    m_settingsNotice->hide();
    return m_settingsNotice;
}

void MainWindow::showSettingsNotice(const QString &message)
{
    // Every later change fails the same way: one notice says it for the whole run.
    if (m_settingsNoticeShown)
        return;
    m_settingsNoticeShown = true;
    m_settingsNoticeText->setText(message);
    m_settingsNotice->setAccessibleDescription(message);
    m_settingsNotice->show();
}

QSize MainWindow::fittedSize(QSize wanted, QSize available)
{
    return wanted.boundedTo(available).expandedTo(QSize(1, 1));
}

void MainWindow::restoreState()
{
    const QByteArray geometry = m_settings.bytes(SettingsKey::windowGeometry);
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    if (geometry.isEmpty() || !restoreGeometry(geometry)) {
        resize(fittedSize(kDefaultSize, available.size() * 0.92));
        move(available.center() - rect().center());
    } else if (!isMaximized() && !isFullScreen()) {
        // A window saved on a larger screen (or at a smaller scale) must still fit this one.
        const QRect onScreen = this->screen() ? this->screen()->availableGeometry() : available;
        resize(fittedSize(size(), onScreen.size()));
    }

    const QByteArray splitter = m_settings.bytes(SettingsKey::windowSplitter);
    if (!splitter.isEmpty())
        m_contentView->navigation()->splitter()->restoreState(splitter);

    if (const std::optional<ToolId> tool =
            ToolCatalogue::toolForKey(m_settings.text(SettingsKey::windowLastTool)))
        m_contentView->choose(*tool);
}

void MainWindow::saveState()
{
    m_settings.setBytes(SettingsKey::windowGeometry, saveGeometry());
    m_settings.setBytes(SettingsKey::windowSplitter,
                        m_contentView->navigation()->splitter()->saveState());
}

bool MainWindow::event(QEvent *event)
{
    // The state as the widget knows it now: the new native window may report its own first.
    if (event->type() == QEvent::WinIdChange && internalWinId() != 0) {
        const Qt::WindowStates states = windowState() & ~Qt::WindowActive;
        QMetaObject::invokeMethod(
            this, [this, states] { adoptNativeWindow(states); }, Qt::QueuedConnection);
    }
    return QMainWindow::event(event);
}

void MainWindow::restoreRasterComposition()
{
    const QWindow *window = windowHandle();
    if (!window || window->surfaceType() == QSurface::RasterSurface)
        return;
    // Set, it makes Qt compose every window through its graphics API, whatever it holds.
    if (qEnvironmentVariableIntValue("QT_WIDGETS_RHI") != 0)
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus && focus->window() != this)
        focus = nullptr;
    const bool active = isActiveWindow();
    const Qt::WindowStates states = windowState() & ~Qt::WindowActive;
    // The widget keeps its geometry and state; create() shows the new native window at once if
    // the widget is visible, and chooses its composition from the widgets it holds now.
    destroy();
    create();
    windowHandle()->setWindowStates(states);
    if (active)
        activateWindow();
    if (focus)
        focus->setFocus(Qt::ActiveWindowFocusReason);
}

void MainWindow::adoptNativeWindow(Qt::WindowStates states)
{
    QWindow *window = windowHandle();
    if (!window)
        return;
    // A replaced native window starts in the normal state: a maximised window would keep its
    // size but no longer be maximised.
    if (window->windowStates() != states)
        window->setWindowStates(states);
    // Dialogs and the help window stay in front of this window and move with it.
    const QList<QWidget *> children = findChildren<QWidget *>();
    for (QWidget *child : children) {
        QWindow *childWindow = child->isWindow() ? child->windowHandle() : nullptr;
        const QWidget *parent = child->parentWidget();
        if (childWindow && !childWindow->transientParent() && parent && parent->window() == this)
            childWindow->setTransientParent(window);
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveState();
    if (m_help)
        m_help->close();
    event->accept();
}

void MainWindow::showHelp()
{
    QString readme;
    for (const QString &candidate : HelpViewer::readmeCandidates()) {
        if (QFileInfo::exists(candidate)) {
            readme = QFileInfo(candidate).canonicalFilePath();
            break;
        }
    }
    if (!m_help)
        m_help = new HelpViewer(this);
    const std::optional<ToolId> tool = m_contentView->currentTool();
    m_help->showSection(readme, tool ? ToolCatalogue::helpHeading(*tool) : QString());
}

void MainWindow::showAbout()
{
    auto *about = new AboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

} // namespace hb
