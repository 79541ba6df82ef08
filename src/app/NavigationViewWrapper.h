#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QSplitter;
class QStackedWidget;

namespace hb {

// A two-column split view: the sidebar on the left, the chosen screen on the right. Until a
// screen is shown the detail column holds a placeholder text. Screens shown once stay in the
// detail column, hidden, until they are discarded, so that showing one again finds it as it was.
class NavigationViewWrapper : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSidebarMinimumWidth = 180;
    static constexpr int kSidebarIdealWidth = 200;

    NavigationViewWrapper(QWidget *sidebar, const QString &placeholderText,
                          QWidget *parent = nullptr);

    // Shows the screen in the detail column, taking it over if it is new here; the screen shown
    // before stays, hidden. A null screen shows the placeholder.
    void showDetail(QWidget *screen);
    // Destroys a screen taken over earlier (the placeholder shows if it was on display).
    void discardDetail(QWidget *screen);
    QWidget *detail() const;
    QString placeholderText() const;
    QSplitter *splitter() const { return m_splitter; }

private:
    QSplitter *m_splitter;
    QStackedWidget *m_detailStack;
    QLabel *m_placeholder;
    QWidget *frameOf(QWidget *screen) const;

    QPointer<QWidget> m_detail;
};

} // namespace hb
