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

void NavigationViewWrapper::showDetail(QWidget *screen)
{
    m_detail = screen;
    if (!screen) {
        m_detailStack->setCurrentWidget(m_placeholder);
        return;
    }
    QWidget *frame = frameOf(screen);
    if (!frame) {
        // A screen keeps at least its minimum size; on a small display (or at a large scale) it
        // scrolls rather than being squeezed until its controls overlap.
        auto *scrollArea = new QScrollArea(m_detailStack);
        scrollArea->setObjectName(QStringLiteral("detailScrollArea"));
        scrollArea->setWidgetResizable(true);
        scrollArea->setFrameShape(QFrame::NoFrame);
        // Not a stop of its own between the sidebar and the screen.
        scrollArea->setFocusPolicy(Qt::NoFocus);
        scrollArea->setWidget(screen);
        m_detailStack->addWidget(scrollArea);
        frame = scrollArea;
    }
    m_detailStack->setCurrentWidget(frame);
}

void NavigationViewWrapper::discardDetail(QWidget *screen)
{
    QWidget *frame = frameOf(screen);
    if (!frame)
        return;
    if (m_detail == screen)
        showDetail(nullptr);
    m_detailStack->removeWidget(frame);
    delete frame;
}

QWidget *NavigationViewWrapper::frameOf(QWidget *screen) const
{
    for (int i = 0; screen && i < m_detailStack->count(); ++i) {
        const auto *frame = qobject_cast<QScrollArea *>(m_detailStack->widget(i));
        if (frame && frame->widget() == screen)
            return m_detailStack->widget(i);
    }
    return nullptr;
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
