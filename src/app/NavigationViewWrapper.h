#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QSplitter;
class QStackedWidget;

namespace hb {

// A two-column split view: the sidebar on the left, the chosen screen on the right. Until a
// screen is shown the detail column holds a placeholder text.
class NavigationViewWrapper : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSidebarMinimumWidth = 180;
    static constexpr int kSidebarIdealWidth = 200;

    NavigationViewWrapper(QWidget *sidebar, const QString &placeholderText,
                          QWidget *parent = nullptr);

    // Replaces the detail column's screen; the previous screen is destroyed.
    void showDetail(std::unique_ptr<QWidget> screen);
    QWidget *detail() const;
    QString placeholderText() const;
    QSplitter *splitter() const { return m_splitter; }

private:
    QSplitter *m_splitter;
    QStackedWidget *m_detailStack;
    QLabel *m_placeholder;
    QPointer<QWidget> m_detail;
    QPointer<QWidget> m_detailFrame;
};

} // namespace hb
