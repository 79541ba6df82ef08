#pragma once

#include <QObject>

#include <memory>

class QUndoCommand;
class QUndoStack;
class QWidget;

namespace hb {

class UndoNotice;

// The undo history of one screen. Commands pushed here are done at once (their redo()) and
// kept; the notice offers Undo with the command's text, and Ctrl+Z / Ctrl+Shift+Z anywhere in
// the window undo and redo while the screen is shown (a focused text field keeps those keys for
// its own text). One screen with a history is shown at a time.
class ScreenUndo : public QObject {
    Q_OBJECT

public:
    // The notice is a child of the screen; the screen places it in its layout.
    explicit ScreenUndo(QWidget *screen);
    ~ScreenUndo() override;

    QUndoStack *stack() const { return m_stack; }
    UndoNotice *notice() const { return m_notice; }

    // False when the command could not be done: it set itself obsolete in its redo() and was
    // dropped (it reports its own error).
    bool push(std::unique_ptr<QUndoCommand> command);
    void undo();
    void redo();

private:
    QUndoStack *m_stack;
    UndoNotice *m_notice;
};

} // namespace hb
