#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace hb {

class PrepChecklist;
class PrepGrowingTextEdit;
class PrepScreenHeader;

// The sheet that creates a project: a name and notes. "Create" is enabled only while the name
// holds more than white space; it stores the project (the name trimmed, the notes as typed)
// and closes the sheet. A store failure keeps the sheet open and says why.
//
// Closed any other way (Cancel, Esc, the window's close button) with something typed, the sheet
// keeps what was typed as a draft on the widget it was opened over, and the next sheet opened
// there starts from it.
class NewPrepProjectView : public QDialog {
    Q_OBJECT

public:
    explicit NewPrepProjectView(PrepChecklist &checklist, QWidget *parent = nullptr);

    QLineEdit *nameField() const { return m_name; }
    PrepGrowingTextEdit *notesField() const { return m_notes; }
    QPushButton *createButton() const { return m_create; }
    QString errorText() const;

    // What "Create" does.
    void create();
    void done(int result) override;

private:
    PrepChecklist &m_checklist;
    PrepScreenHeader *m_header;
    QLineEdit *m_name;
    PrepGrowingTextEdit *m_notes;
    QPushButton *m_create = nullptr;
};

} // namespace hb
