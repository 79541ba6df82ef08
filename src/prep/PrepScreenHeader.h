#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

namespace hb {

// The top of a checklist screen: an optional Back button, the title and the screen's actions
// on one row, and below it the screen's one status line, which shows failures in red and is
// hidden while empty.
class PrepScreenHeader : public QWidget {
    Q_OBJECT

public:
    explicit PrepScreenHeader(const QString &title, QWidget *parent = nullptr);

    QString title() const;
    void setTitle(const QString &title);

    // Shows the Back button; Alt+Left and Esc anywhere on `screen` press it too.
    void enableBack(QWidget *screen);
    QPushButton *backButton() const { return m_back; }

    // Adds a control to the right end of the title row.
    void addAction(QWidget *action);

    QString errorText() const;
    void setErrorText(const QString &text);

Q_SIGNALS:
    void backRequested();

private:
    QHBoxLayout *m_row;
    QPushButton *m_back;
    QLabel *m_title;
    QLabel *m_error;
};

} // namespace hb
