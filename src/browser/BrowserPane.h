#pragma once

#include <QWidget>

namespace hb {

class LoadingIndicator;
class WebStatusPlate;

// The browser's place on the screen: the content clipped to a rounded rectangle, a loading
// indicator in its middle and the status plate along its bottom edge.
class BrowserPane : public QWidget {
    Q_OBJECT

public:
    explicit BrowserPane(QWidget *content, QWidget *parent = nullptr);

    QWidget *content() const { return m_content; }
    LoadingIndicator *indicator() const { return m_indicator; }
    WebStatusPlate *statusPlate() const { return m_statusPlate; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeOverlays();

    QWidget *m_content;
    LoadingIndicator *m_indicator;
    WebStatusPlate *m_statusPlate;
};

} // namespace hb
