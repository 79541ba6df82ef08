#pragma once

#include "prep/PrepRecords.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace hb {

class PrepChecklist;
class PrepGrowingTextEdit;
class PrepScreenHeader;
class ToggleSwitch;

// The task editor. It edits copies of the task's title, details and done flag; "Save" stores
// them and closes the editor, leaving it any other way (Back, Alt+Left, Esc) drops them.
class PrepTaskDetailView : public QWidget {
    Q_OBJECT

public:
    PrepTaskDetailView(PrepChecklist &checklist, const PrepTask &task, QWidget *parent = nullptr);

    qint64 taskId() const { return m_taskId; }
    QLineEdit *titleField() const { return m_title; }
    ToggleSwitch *doneSwitch() const { return m_done; }
    PrepGrowingTextEdit *detailsField() const { return m_details; }
    PrepScreenHeader *header() const { return m_header; }
    QString errorText() const;

    // What "Save" does: on success the editor asks to be closed; a failure keeps it open.
    void save();

Q_SIGNALS:
    void closeRequested();

private:
    PrepChecklist &m_checklist;
    qint64 m_taskId;
    PrepScreenHeader *m_header;
    QLineEdit *m_title;
    ToggleSwitch *m_done;
    PrepGrowingTextEdit *m_details;
};

} // namespace hb
