#pragma once

#include <QWidget>

class QPushButton;
class QToolButton;

namespace hb {

// The pad's top row: the connection button (its Wi-Fi symbol shows whether the pad is
// connected), the screen's title, Edit (Done while editing) and the button for a new page.
class PadHeader : public QWidget {
    Q_OBJECT

public:
    explicit PadHeader(const QString &title, QWidget *parent = nullptr);

    void setConnected(bool connected);
    void setEditMode(bool on);

Q_SIGNALS:
    void connectionClicked();
    void editClicked();
    void addPageClicked();

private:
    QToolButton *m_wifi;
    QPushButton *m_edit;
};

} // namespace hb
