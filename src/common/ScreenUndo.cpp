#include "common/ScreenUndo.h"

#include "common/UndoNotice.h"

#include <QAction>
#include <QUndoStack>
#include <QWidget>

namespace hb {

ScreenUndo::ScreenUndo(QWidget *screen)
    : QObject(screen), m_stack(new QUndoStack(this)), m_notice(new UndoNotice(screen))
{
    m_stack->setUndoLimit(100);
    // Anywhere in the window while the screen is on display (a hidden widget's shortcuts do not
    // fire), so that Ctrl+Z still works when the deleted row took the focus with it.
    auto *undo = new QAction(tr("Undo"), screen);
    undo->setShortcut(QKeySequence::Undo);
    undo->setShortcutContext(Qt::WindowShortcut);
    connect(undo, &QAction::triggered, this, &ScreenUndo::undo);
    screen->addAction(undo);
    auto *redo = new QAction(tr("Redo"), screen);
    redo->setShortcut(QKeySequence::Redo);
    redo->setShortcutContext(Qt::WindowShortcut);
    connect(redo, &QAction::triggered, this, &ScreenUndo::redo);
    screen->addAction(redo);
    connect(m_notice, &UndoNotice::undoRequested, this, &ScreenUndo::undo);
}

ScreenUndo::~ScreenUndo() = default;

bool ScreenUndo::push(std::unique_ptr<QUndoCommand> command)
{
    const QString text = command->text();
    const QUndoCommand *pushed = command.get();
    m_stack->push(command.release());
    // A command that could not be done marks itself obsolete in redo(); the stack drops it.
    const int index = m_stack->index();
    if (index == 0 || m_stack->command(index - 1) != pushed)
        return false;
    m_notice->showNotice(text);
    return true;
}

void ScreenUndo::undo()
{
    if (!m_stack->canUndo())
        return;
    m_notice->hide();
    m_stack->undo();
}

void ScreenUndo::redo()
{
    if (!m_stack->canRedo())
        return;
    m_stack->redo();
    const QUndoCommand *done = m_stack->command(m_stack->index() - 1);
    if (done)
        m_notice->showNotice(done->text());
}

} // namespace hb
