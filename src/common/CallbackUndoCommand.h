#pragma once

#include <QUndoCommand>

#include <functional>

namespace hb {

// An undo step made of two callbacks, for changes small enough not to need a class of their
// own. Each returns whether it could be done; a step that could not marks itself obsolete, so
// that the history drops it (the callback reports why).
class CallbackUndoCommand : public QUndoCommand {
public:
    using Step = std::function<bool()>;

    CallbackUndoCommand(const QString &text, Step redo, Step undo);

    void redo() override;
    void undo() override;

private:
    Step m_redo;
    Step m_undo;
};

} // namespace hb
