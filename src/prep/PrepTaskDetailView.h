#pragma once

#include "common/Expected.h"
#include "prep/PrepRecords.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTimer;

namespace hb {

class PrepChecklist;
class PrepGrowingTextEdit;
class PrepScreenHeader;
class ToggleSwitch;

// The task editor: the task's title, details and done flag. Edits are stored as they are made,
// once the typing pauses for kSaveDelayMs, and at once when the application asks for pending
// work (AppLifecycle), when the editor is left (Save, Back, Alt+Left, Esc), hidden or destroyed.
// A task keeps a title: while the title field holds only white space the stored title stays,
// and leaving the editor then says so.
class PrepTaskDetailView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kSaveDelayMs = 500;

    PrepTaskDetailView(PrepChecklist &checklist, const PrepTask &task, QWidget *parent = nullptr);
    ~PrepTaskDetailView() override;

    qint64 taskId() const { return m_taskId; }
    QLineEdit *titleField() const { return m_title; }
    ToggleSwitch *doneSwitch() const { return m_done; }
    PrepGrowingTextEdit *detailsField() const { return m_details; }
    PrepScreenHeader *header() const { return m_header; }
    QString errorText() const;
    // True while edits wait for the pause that stores them.
    bool editsPending() const;

    // What "Save" does: stores the edits and asks to be closed. A blank title is not stored and
    // keeps the editor open, saying so; a store failure keeps it open too.
    void save();
    // What Back does: stores the edits and asks to be closed; with a blank title the stored
    // title stays, and failedWhileLeaving() says so. A store failure keeps the editor open.
    void leave();
    // Stores the edits that differ from what was stored last, at once.
    Expected<Done> saveEdits();

Q_SIGNALS:
    void closeRequested();
    // What the screen below should show once this editor has gone: a title that was kept, or a
    // failure on the way out.
    void failedWhileLeaving(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool titleIsBlank() const;
    // What to say of a blank title: that the stored one was kept. Empty while there is a title.
    QString titleKeptText() const;
    // Stores what waits and, unless the editor was left through leave(), tells the screen
    // below what it could not store.
    void storeOnLeaving();

    PrepChecklist &m_checklist;
    qint64 m_taskId;
    // The task as stored last.
    QString m_storedTitle;
    QString m_storedDetails;
    bool m_storedDone;
    bool m_left = false;
    PrepScreenHeader *m_header;
    QLineEdit *m_title;
    ToggleSwitch *m_done;
    PrepGrowingTextEdit *m_details;
    QTimer *m_saveTimer;
};

} // namespace hb
