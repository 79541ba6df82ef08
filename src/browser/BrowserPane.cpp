#include "browser/BrowserPane.h"

#include "browser/LoadingIndicator.h"
#include "browser/WebStatusPlate.h"

#include <QEvent>
#include <QPainterPath>
#include <QRegion>

namespace hb {
namespace {

constexpr qreal kCornerRadius = 16;
constexpr int kPlateMargin = 12;

} // namespace

BrowserPane::BrowserPane(QWidget *content, QWidget *parent)
    : QWidget(parent), m_content(content), m_indicator(new LoadingIndicator(this)),
      m_statusPlate(new WebStatusPlate(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_content->setParent(this);
    m_content->lower();
    // The plate's height follows its contents (the button comes and goes).
    m_statusPlate->installEventFilter(this);
}

void BrowserPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_content->setGeometry(rect());
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    m_content->setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    placeOverlays();
}

bool BrowserPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_statusPlate && event->type() == QEvent::LayoutRequest)
        placeOverlays();
    return QWidget::eventFilter(watched, event);
}

void BrowserPane::placeOverlays()
{
    m_indicator->move(rect().center() - m_indicator->rect().center());
    const int plateHeight = m_statusPlate->sizeHint().height();
    m_statusPlate->setGeometry(kPlateMargin, height() - kPlateMargin - plateHeight,
                               qMax(0, width() - 2 * kPlateMargin), plateHeight);
    m_indicator->raise();
    m_statusPlate->raise();
}

} // namespace hb
