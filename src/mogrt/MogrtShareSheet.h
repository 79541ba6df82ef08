#pragma once

#include <QDialog>

namespace hb {

// Shows where a converted macro is, so it can be used elsewhere: its full path as selectable
// text, with "Open Folder" (the file manager at the file's folder) and "Copy Path".
class MogrtShareSheet : public QDialog {
    Q_OBJECT

public:
    explicit MogrtShareSheet(const QString &path, QWidget *parent = nullptr);

    QString path() const { return m_path; }

private:
    QString m_path;
};

} // namespace hb
