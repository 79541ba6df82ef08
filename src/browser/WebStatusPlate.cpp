#include "browser/WebStatusPlate.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

constexpr qreal kCornerRadius = 12;
constexpr int kPadding = 10;

} // namespace

WebStatusPlate::WebStatusPlate(QWidget *parent) : QWidget(parent)
{
    // A read-only line: selectable, and a long address scrolls instead of widening the screen.
    m_line = new QLineEdit;
    m_line->setObjectName(u"webStatusText"_s);
    m_line->setReadOnly(true);
    m_line->setFrame(false);
    m_line->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_line->setStyleSheet(u"background: transparent;"_s);
    m_openInBrowser = new QPushButton(u"Open in Browser"_s);
    m_openInBrowser->setObjectName(u"openBlockedButton"_s);
    m_openInBrowser->hide();
    connect(m_openInBrowser, &QPushButton::clicked, this,
            [this] { Q_EMIT openInBrowserRequested(m_blockedUrl); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    layout->addWidget(m_line, 1);
    layout->addWidget(m_openInBrowser);
    hide();
}

QString WebStatusPlate::text() const
{
    return m_line->text();
}

void WebStatusPlate::setText(const QString &text)
{
    m_line->setText(text);
    m_line->setCursorPosition(0);
    setVisible(!text.isEmpty());
}

void WebStatusPlate::setBlockedUrl(const QUrl &url)
{
    m_blockedUrl = url;
    m_openInBrowser->setVisible(!url.isEmpty());
}

void WebStatusPlate::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 28), 1));
    painter.setBrush(QColor(28, 28, 34, 190));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius,
                            kCornerRadius);
}

} // namespace hb
