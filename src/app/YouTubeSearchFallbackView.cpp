#include "app/YouTubeSearchFallbackView.h"

#include "browser/YouTubeSearchSite.h"
#include "browser/YouTubeSearchState.h"
#include "common/Backdrop.h"
#include "common/ScreenTitle.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {

using namespace Qt::StringLiterals;

namespace {

const QString kTitle = u"YouTube Search"_s;
const QString kSearchPrefix = u"Search: "_s;
const QString kOpen = u"Open"_s;
const QString kNotInstalled = u"The embedded browser is not installed. "
                              u"“Open” shows this page in your default browser."_s;

QLabel *secondaryLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

QString YouTubeSearchFallbackView::notInstalledText()
{
    return kNotInstalled;
}

YouTubeSearchFallbackView::YouTubeSearchFallbackView(Settings &settings, const QString &reason,
                                                     UrlOpener openUrl, QWidget *parent)
    : QWidget(parent), m_state(new YouTubeSearchState(settings, this)),
      m_openUrl(openUrl ? std::move(openUrl)
                        : UrlOpener([](const QUrl &url) { QDesktopServices::openUrl(url); })),
      m_address(secondaryLabel({}))
{
    setWindowTitle(kTitle);

    auto *heading = new QLabel(kSearchPrefix + YouTubeSearchSite::channelDisplayName());
    heading->setObjectName(u"heading"_s);
    QFont headline = heading->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.25);
    heading->setFont(headline);
    m_address->setObjectName(u"siteAddress"_s);
    auto *titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(heading);
    titles->addWidget(m_address);

    auto *open = new QPushButton(kOpen);
    open->setObjectName(u"openButton"_s);
    open->setToolTip(u"Open this page in your default browser"_s);
    connect(open, &QPushButton::clicked, this, [this] { m_openUrl(m_state->targetURL()); });
    auto *header = new QHBoxLayout;
    header->addLayout(titles, 1);
    header->addWidget(open, 0, Qt::AlignTop);

    auto *notice = new QLabel(kNotInstalled);
    notice->setObjectName(u"notInstalledNotice"_s);
    notice->setWordWrap(true);
    auto *why = secondaryLabel(reason);
    why->setObjectName(u"notInstalledReason"_s);

    auto *column = new QVBoxLayout;
    column->setContentsMargins(24, 20, 24, 20);
    column->setSpacing(14);
    column->addWidget(new ScreenTitle(kTitle));
    column->addLayout(header);
    column->addSpacing(12);
    column->addWidget(notice);
    column->addWidget(why);
    column->addStretch(1);

    auto *backdrop = new Backdrop;
    backdrop->setLayout(column);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    connect(m_state, &YouTubeSearchState::siteChanged, this, &YouTubeSearchFallbackView::showSite);
    showSite();
}

void YouTubeSearchFallbackView::showSite()
{
    m_address->setText(m_state->targetURL().toDisplayString());
}

} // namespace hb
