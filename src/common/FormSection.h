#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace hb {

// One titled group of a form: the title (none when empty) above a rounded panel that holds the
// rows. The panel is a translucent veil, so a screen's backdrop still shows through it.
class FormSection : public QWidget {
    Q_OBJECT

public:
    explicit FormSection(const QString &title, QWidget *parent = nullptr);

    QString title() const;
    // Shows another title (none when empty); it also names the panel.
    void setTitle(const QString &title);
    // The panel's layout; the section's rows go here.
    QVBoxLayout *body() const { return m_body; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_title;
    QWidget *m_panel;
    QVBoxLayout *m_body;
};

} // namespace hb
