#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace hb {

// Asks for the name of a new page. "Add" hands the name on exactly as typed; it is enabled
// only while the name holds more than white space.
class AddPageSheet : public QDialog {
    Q_OBJECT

public:
    explicit AddPageSheet(QWidget *parent = nullptr);

    static bool isAcceptableName(const QString &name);

    QString name() const;

Q_SIGNALS:
    void nameChosen(const QString &name);

private:
    void add();

    QLineEdit *m_name;
    QPushButton *m_add;
};

} // namespace hb
