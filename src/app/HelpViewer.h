#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QTextBrowser;

namespace hb {

// The help window: one section of the README, with its pictures, and a way to the whole file.
// One window is kept and shown again for each request.
class HelpViewer : public QDialog {
    Q_OBJECT

public:
    explicit HelpViewer(QWidget *parent = nullptr);

    // Where the README is looked for, first found wins: the installed documentation beside the
    // program (../share/doc/huebench), then the source tree the program was built from.
    static QStringList readmeCandidates();

    // Shows the section under `heading` (the whole README when empty) of the README at `path`.
    // A missing file or heading is said in the window; nothing else happens.
    void showSection(const QString &path, const QString &heading);

    QString shownMarkdown() const { return m_markdown; }

private:
    void fitImages();

    QTextBrowser *m_text;
    QLabel *m_source;
    QString m_path;
    QString m_markdown;
};

} // namespace hb
