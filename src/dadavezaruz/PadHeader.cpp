#include "dadavezaruz/PadHeader.h"

#include "common/IconLibrary.h"
#include "common/ScreenTitle.h"
#include "dadavezaruz/PadColors.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QToolButton>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kEdit = u"Edit"_s;
const QString kDone = u"Done"_s;
const QString kConnectionTip = u"Connection"_s;
const QString kNewPageTip = u"New Page"_s;
// The connection button shows the state as an icon only; assistive technology reads it here.
const QString kConnectionName = u"Open Connection Settings"_s;
const QString kConnected = u"Connected"_s;
const QString kNotConnected = u"Not connected"_s;

QIcon symbolIcon(const QString &symbol, const QColor &color)
{
    return IconLibrary::icon(symbol, color, IconLibrary::monochromeSecondary(color));
}

} // namespace

PadHeader::PadHeader(const QString &title, QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    m_wifi = new QToolButton;
    m_wifi->setObjectName(u"wifiButton"_s);
    m_wifi->setIconSize(QSize(24, 24));
    m_wifi->setAutoRaise(true);
    m_wifi->setToolTip(kConnectionTip);
    m_wifi->setAccessibleName(kConnectionName);
    m_wifi->setAccessibleDescription(kNotConnected);
    m_wifi->setCursor(Qt::PointingHandCursor);
    connect(m_wifi, &QToolButton::clicked, this, &PadHeader::connectionClicked);

    auto *screenTitle = new ScreenTitle(title);

    m_edit = new QPushButton(kEdit);
    m_edit->setObjectName(u"editButton"_s);
    m_edit->setFlat(true);
    m_edit->setCursor(Qt::PointingHandCursor);
    m_edit->setStyleSheet(
        u"QPushButton { color: %1; font-weight: 600; }"_s.arg(PadColors::purpleText.name()));
    connect(m_edit, &QPushButton::clicked, this, &PadHeader::editClicked);
    auto *plus = new QToolButton;
    plus->setObjectName(u"addPageButton"_s);
    plus->setIcon(symbolIcon(u"plus"_s, PadColors::purple));
    plus->setIconSize(QSize(22, 22));
    plus->setAutoRaise(true);
    plus->setToolTip(kNewPageTip);
    plus->setAccessibleName(kNewPageTip);
    plus->setCursor(Qt::PointingHandCursor);
    connect(plus, &QToolButton::clicked, this, &PadHeader::addPageClicked);

    row->addWidget(m_wifi);
    row->addWidget(screenTitle, 1);
    row->addWidget(m_edit);
    row->addWidget(plus);
}

void PadHeader::setConnected(bool connected)
{
    const QColor secondary = palette().color(QPalette::PlaceholderText);
    m_wifi->setIcon(connected ? symbolIcon(u"wifi"_s, PadColors::teal)
                              : symbolIcon(u"wifi.slash"_s, secondary));
    m_wifi->setAccessibleDescription(connected ? kConnected : kNotConnected);
}

void PadHeader::setEditMode(bool on)
{
    m_edit->setText(on ? kDone : kEdit);
}

} // namespace hb
