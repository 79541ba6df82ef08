#include "browser/LoadingIndicator.h"

#include "browser/SpinnerWindow.h"

#include <QEvent>
#include <QWindow>

namespace hb {
namespace {

// One turn a second.
constexpr int kDegreesPerFrame = 12;

} // namespace

LoadingIndicator::LoadingIndicator(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(sizeHint());
    m_timer.setInterval(kFrameInterval);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // The window may have been given a new native window (and the spinner gone with the old).
        if (isVisible() && (!m_spinner || m_spinner->parent() != window()->windowHandle()))
            placeSpinner();
        if (m_spinner)
            m_spinner->advance(kDegreesPerFrame);
    });
    hide();
}

LoadingIndicator::~LoadingIndicator()
{
    delete m_spinner;
}

void LoadingIndicator::setRunning(bool running)
{
    if (running == isRunning())
        return;
    if (running)
        m_timer.start();
    else
        m_timer.stop();
    setVisible(running);
}

void LoadingIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Moving any widget between this one and the window moves the place it holds.
    for (QWidget *ancestor = parentWidget(); ancestor && !ancestor->isWindow();
         ancestor = ancestor->parentWidget())
        ancestor->installEventFilter(this);
    placeSpinner();
}

void LoadingIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_spinner)
        m_spinner->hide();
}

bool LoadingIndicator::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && isVisible())
        placeSpinner();
    return QWidget::eventFilter(watched, event);
}

void LoadingIndicator::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (isVisible())
        placeSpinner();
}

void LoadingIndicator::placeSpinner()
{
    QWindow *host = window()->windowHandle();
    if (!host)
        return;
    if (!m_spinner)
        m_spinner = new SpinnerWindow;
    if (m_spinner->parent() != host)
        m_spinner->setParent(host);
    m_spinner->setGeometry(QRect(mapTo(window(), QPoint()), size()));
    m_spinner->show();
}

} // namespace hb
