#include "common/FormSection.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace hb {

FormSection::FormSection(const QString &title, QWidget *parent)
    : QWidget(parent), m_title(new QLabel(title, this)), m_panel(new QWidget(this)),
      m_body(new QVBoxLayout(m_panel))
{
    QFont titleFont = m_title->font();
    titleFont.setWeight(QFont::DemiBold);
    m_title->setFont(titleFont);
    m_title->setContentsMargins(4, 0, 0, 0);
    m_panel->setAccessibleName(title);
    m_body->setContentsMargins(14, 12, 14, 12);
    m_body->setSpacing(8);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_title);
    layout->addWidget(m_panel);
    m_title->setVisible(!title.isEmpty());
}

QString FormSection::title() const
{
    return m_title->text();
}

void FormSection::setTitle(const QString &title)
{
    m_title->setText(title);
    m_title->setVisible(!title.isEmpty());
    m_panel->setAccessibleName(title);
}

void FormSection::paintEvent(QPaintEvent *)
{
    QColor fill = palette().color(QPalette::Base);
    fill.setAlpha(150);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlpha(28);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(edge, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(m_panel->geometry()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
}

} // namespace hb
