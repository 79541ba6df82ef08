#include "common/CallbackUndoCommand.h"

namespace hb {

CallbackUndoCommand::CallbackUndoCommand(const QString &text, Step redo, Step undo)
    : QUndoCommand(text), m_redo(std::move(redo)), m_undo(std::move(undo))
{
}

void CallbackUndoCommand::redo()
{
    if (!m_redo())
        setObsolete(true);
}

void CallbackUndoCommand::undo()
{
    if (!m_undo())
        setObsolete(true);
}

} // namespace hb
