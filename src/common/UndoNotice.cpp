#include "common/UndoNotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace hb {

UndoNotice::UndoNotice(QWidget *parent)
    : QFrame(parent), m_text(new QLabel(this)), m_undo(new QPushButton(tr("Undo"), this)),
      m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("undoNotice"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    m_text->setObjectName(QStringLiteral("undoNoticeText"));
    m_text->setForegroundRole(QPalette::ToolTipText);
    m_text->setTextFormat(Qt::PlainText);
    m_undo->setObjectName(QStringLiteral("undoNoticeUndo"));
    m_undo->setToolTip(
        tr("Undo (%1)").arg(QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText)));
    auto *close = new QToolButton(this);
    close->setObjectName(QStringLiteral("undoNoticeClose"));
    close->setText(QStringLiteral("✕"));
    close->setAutoRaise(true);
    close->setAccessibleName(tr("Dismiss"));
    close->setToolTip(tr("Dismiss"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 4, 4, 4);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_undo);
    layout->addWidget(close);

    m_timer->setSingleShot(true);
    m_timer->setInterval(kVisibleMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    connect(m_undo, &QPushButton::clicked, this, [this] {
        hide();
        Q_EMIT undoRequested();
    });
    hide();
}

void UndoNotice::showNotice(const QString &text)
{
    m_text->setText(text);
    setAccessibleDescription(text);
    show();
    m_timer->start();
}

QString UndoNotice::text() const
{
    return m_text->text();
}

} // namespace hb
