#include "app/NavigationViewWrapper.h"

#include <QLabel>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace hb {

NavigationViewWrapper::NavigationViewWrapper(QWidget *sidebar, const QString &placeholderText,
                                             QWidget *parent)
    : QWidget(parent), m_splitter(new QSplitter(Qt::Horizontal, this)),
      m_detailStack(new QStackedWidget(m_splitter)),
      m_placeholder(new QLabel(placeholderText, m_detailStack))
{
    sidebar->setMinimumWidth(kSidebarMinimumWidth);
    m_placeholder->setObjectName(QStringLiteral("detailPlaceholder"));
    m_placeholder->setAlignment(Qt::AlignCenter);
    m_placeholder->setForegroundRole(QPalette::PlaceholderText);
    QFont font = m_placeholder->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    m_placeholder->setFont(font);
    m_detailStack->addWidget(m_placeholder);

    m_splitter->insertWidget(0, sidebar);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kSidebarIdealWidth, 1000});

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
}

void NavigationViewWrapper::showDetail(std::unique_ptr<QWidget> screen)
{
    if (m_detailFrame) {
        m_detailStack->removeWidget(m_detailFrame);
        delete m_detailFrame.data();
    }
    if (!screen) {
        m_detailStack->setCurrentWidget(m_placeholder);
        return;
    }
    m_detail = screen.get();
    // A screen keeps at least its minimum size; on a small display (or at a large scale) it
    // scrolls rather than being squeezed until its controls overlap.
    auto *frame = new QScrollArea(m_detailStack);
    frame->setObjectName(QStringLiteral("detailScrollArea"));
    frame->setWidgetResizable(true);
    frame->setFrameShape(QFrame::NoFrame);
    frame->setFocusPolicy(Qt::NoFocus); // not a stop of its own between the sidebar and the screen
    frame->setWidget(screen.release());
    m_detailFrame = frame;
    m_detailStack->addWidget(frame);
    m_detailStack->setCurrentWidget(frame);
}

QWidget *NavigationViewWrapper::detail() const
{
    return m_detail;
}

QString NavigationViewWrapper::placeholderText() const
{
    return m_placeholder->text();
}

} // namespace hb
