#include "browser/YouTubeSearchView.h"

#include "browser/BrowserPane.h"
#include "browser/LoadingIndicator.h"
#include "browser/NavigationPolicy.h"
#include "browser/WebStatusPlate.h"
#include "browser/YouTubeSearchSite.h"
#include "browser/YouTubeSearchState.h"
#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ScreenTitle.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#ifdef HB_HAVE_WEBENGINE
#include "browser/WebView.h"

#include <QWebEnginePage>

#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"YouTube Search"_s;
const QString kSearchPrefix = u"Search: "_s;
const QString kLocked = u"Locked to this channel"_s;
const QString kOpen = u"Open"_s;
const QString kSite = u"Site"_s;
const QString kDone = u"Done"_s;
const QString kPlaceholder = u"Paste your deployed search site URL"_s;
const QString kNote = u"If no site URL is set, this screen loads your YouTube channel videos "
                      u"page. The in-app browser is restricted to your search site + YouTube "
                      u"domains."_s;
const QString kSave = u"Save"_s;
const QString kUseChannelPage = u"Use Channel Page"_s;
const QString kNoEngine = u"The embedded browser is not available in this build. "
                          u"“Open” shows the page in your default browser."_s;

} // namespace

bool YouTubeSearchView::hasEmbeddedBrowser()
{
#ifdef HB_HAVE_WEBENGINE
    return true;
#else
    return false;
#endif
}

void YouTubeSearchView::prepareApplication()
{
#ifdef HB_HAVE_WEBENGINE
    // The engine shares its graphics context with the widgets.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Chromium will not start its sandbox as root and refuses to run at all; rather than lose
    // the browser, run it unsandboxed there (root desktops are rare; it is what they need).
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

YouTubeSearchView::YouTubeSearchView(Settings &settings, UrlOpener openUrl, QWidget *parent)
    : QWidget(parent), m_state(new YouTubeSearchState(settings, this)),
      m_openUrl(openUrl ? std::move(openUrl)
                        : UrlOpener([](const QUrl &url) { QDesktopServices::openUrl(url); }))
{
    setWindowTitle(kTitle);

    auto *column = new QVBoxLayout;
    column->setContentsMargins(24, 20, 24, 20);
    column->setSpacing(14);
    column->addWidget(new ScreenTitle(kTitle));
    column->addWidget(buildHeader());
    column->addWidget(buildSettingsPanel());
    column->addWidget(buildBrowser(), 1);

    auto *backdrop = new Backdrop;
    backdrop->setLayout(column);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    connect(m_state, &YouTubeSearchState::siteChanged, this, &YouTubeSearchView::showSite);
    connect(m_state, &YouTubeSearchState::loadingChanged, this,
            [this] { m_pane->indicator()->setRunning(m_state->isLoading()); });
    connect(m_state, &YouTubeSearchState::webStatusTextChanged, this,
            &YouTubeSearchView::showStatus);
    showSite();
}

YouTubeSearchView::~YouTubeSearchView()
{
    // The browser reports into the state while it goes; let it go first.
    delete m_pane;
}

QWidget *YouTubeSearchView::buildHeader()
{
    auto *heading = new QLabel(kSearchPrefix + YouTubeSearchSite::channelDisplayName());
    heading->setObjectName(u"heading"_s);
    QFont headline = heading->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.25);
    heading->setFont(headline);
    auto *subtitle = new QLabel(kLocked);
    subtitle->setForegroundRole(QPalette::PlaceholderText);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(heading);
    titles->addWidget(subtitle);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addLayout(titles, 1);
#ifdef HB_HAVE_WEBENGINE
    for (QToolButton *&button : m_navigationButtons) {
        button = new QToolButton;
        button->setAutoRaise(true);
        row->addWidget(button);
    }
#endif
    auto *open = new QPushButton(kOpen);
    open->setObjectName(u"openButton"_s);
    open->setToolTip(u"Open this page in your default browser"_s);
    connect(open, &QPushButton::clicked, this, [this] { m_openUrl(m_state->targetURL()); });
    m_siteButton = new QPushButton(kSite);
    m_siteButton->setObjectName(u"siteButton"_s);
    connect(m_siteButton, &QPushButton::clicked, m_state, &YouTubeSearchState::toggleSettings);
    connect(m_state, &YouTubeSearchState::showSettingsChanged, this, [this] {
        m_siteButton->setText(m_state->showSettings() ? kDone : kSite);
        m_settingsPanel->setVisible(m_state->showSettings());
        if (m_state->showSettings())
            m_draftField->setFocus();
    });
    row->addWidget(open);
    row->addWidget(m_siteButton);

    auto *header = new QWidget;
    header->setLayout(row);
    return header;
}

QWidget *YouTubeSearchView::buildSettingsPanel()
{
    auto *section = new FormSection({});
    m_draftField = new QLineEdit;
    m_draftField->setObjectName(u"draftUrl"_s);
    m_draftField->setPlaceholderText(kPlaceholder);
    m_draftField->setClearButtonEnabled(true);
    connect(m_draftField, &QLineEdit::textEdited, m_state, &YouTubeSearchState::setDraftUrl);
    connect(m_draftField, &QLineEdit::returnPressed, m_state, &YouTubeSearchState::save);
    connect(m_state, &YouTubeSearchState::draftUrlChanged, this, [this] {
        if (m_draftField->text() != m_state->draftUrl())
            m_draftField->setText(m_state->draftUrl());
    });
    section->body()->addWidget(m_draftField);

    // Why "Save" kept the old site; gone once the text is edited.
    auto *saveError = new QLabel;
    saveError->setObjectName(u"saveError"_s);
    saveError->setWordWrap(true);
    saveError->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warning = saveError->palette();
    warning.setColor(QPalette::WindowText, QColor(255, 138, 128));
    saveError->setPalette(warning);
    saveError->hide();
    connect(m_state, &YouTubeSearchState::saveErrorChanged, this, [this, saveError] {
        saveError->setText(m_state->saveError());
        saveError->setVisible(!m_state->saveError().isEmpty());
    });
    section->body()->addWidget(saveError);

    auto *note = new QLabel(kNote);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    section->body()->addWidget(note);

    auto *save = new QPushButton(kSave);
    save->setObjectName(u"saveButton"_s);
    // Prominent: the accent colour, as elsewhere in the app.
    QPalette prominent = save->palette();
    // A deeper accent: the style lightens a button's colour towards its top, and the accent
    // itself would come out too pale behind white text.
    prominent.setColor(QPalette::Button, prominent.color(QPalette::Highlight).darker(200));
    prominent.setColor(QPalette::ButtonText, prominent.color(QPalette::HighlightedText));
    save->setPalette(prominent);
    connect(save, &QPushButton::clicked, m_state, &YouTubeSearchState::save);
    auto *channel = new QPushButton(kUseChannelPage);
    channel->setObjectName(u"useChannelPageButton"_s);
    connect(channel, &QPushButton::clicked, m_state, &YouTubeSearchState::useChannelPage);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(save);
    buttons->addWidget(channel);
    buttons->addStretch(1);
    section->body()->addLayout(buttons);

    m_settingsPanel = section;
    m_settingsPanel->setObjectName(u"settingsPanel"_s);
    m_settingsPanel->hide();
    return section;
}

QWidget *YouTubeSearchView::buildBrowser()
{
#ifdef HB_HAVE_WEBENGINE
    m_webView = new WebView({
        [this](bool loading) { m_state->setLoading(loading); },
        [this](const QString &text) { m_state->setStatus(text); },
        [this](const QUrl &url) { m_pane->statusPlate()->setBlockedUrl(url); },
    });
    m_pane = new BrowserPane(m_webView);

    // The header's buttons act on the browser's history, with the usual keys.
    const struct {
        QString name;
        QWebEnginePage::WebAction action;
        QList<QKeySequence> keys;
    } navigation[] = {
        {u"backButton"_s, QWebEnginePage::Back, {Qt::ALT | Qt::Key_Left, Qt::Key_Back}},
        {u"forwardButton"_s, QWebEnginePage::Forward, {Qt::ALT | Qt::Key_Right, Qt::Key_Forward}},
        {u"reloadButton"_s,
         QWebEnginePage::Reload,
         {Qt::Key_F5, Qt::CTRL | Qt::Key_R, Qt::Key_Refresh}},
    };
    for (std::size_t i = 0; i < m_navigationButtons.size(); ++i) {
        QAction *action = m_webView->page()->action(navigation[i].action);
        action->setShortcuts(navigation[i].keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(action);
        m_navigationButtons[i]->setObjectName(navigation[i].name);
        m_navigationButtons[i]->setDefaultAction(action);
    }
#else
    auto *notice = new QLabel(kNoEngine);
    notice->setObjectName(u"noEngineNotice"_s);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignCenter);
    m_pane = new BrowserPane(notice);
#endif
    connect(m_pane->statusPlate(), &WebStatusPlate::openInBrowserRequested, this,
            [this](const QUrl &url) { m_openUrl(url); });
    return m_pane;
}

void YouTubeSearchView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_state->screenShown();
}

void YouTubeSearchView::showSite()
{
#ifdef HB_HAVE_WEBENGINE
    m_webView->updateTarget(m_state->targetURL(), m_state->allowedHosts(),
                            m_state->allowedHostSuffixes());
#endif
}

void YouTubeSearchView::showStatus()
{
    WebStatusPlate *plate = m_pane->statusPlate();
    // "Open in Browser" belongs to the refusal it came with.
    if (m_state->webStatusText() != NavigationPolicy::blockedStatus(plate->blockedUrl()))
        plate->setBlockedUrl({});
    plate->setText(m_state->webStatusText());
}

} // namespace hb
