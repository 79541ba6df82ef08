#pragma once

#include <QUrl>
#include <QWidget>

class QLineEdit;
class QPushButton;

namespace hb {

// The browser's status line on a translucent plate: monospaced and selectable, with
// "Open in Browser" beside it while it reports a refused address.
class WebStatusPlate : public QWidget {
    Q_OBJECT

public:
    explicit WebStatusPlate(QWidget *parent = nullptr);

    QString text() const;
    // Shows the text; an empty text hides the plate.
    void setText(const QString &text);
    // The refused address that "Open in Browser" hands on; empty hides the button.
    void setBlockedUrl(const QUrl &url);
    QUrl blockedUrl() const { return m_blockedUrl; }

Q_SIGNALS:
    void openInBrowserRequested(const QUrl &url);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLineEdit *m_line;
    QPushButton *m_openInBrowser;
    QUrl m_blockedUrl;
};

} // namespace hb
