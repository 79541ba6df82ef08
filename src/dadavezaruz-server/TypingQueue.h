#pragma once

#include "dadavezaruz/KeyCombo.h"

#include <QList>
#include <QString>

#include <optional>

namespace hb {

// The presses a server still has to type, in arrival order. A press is one or more key
// combinations typed a pause apart; the first press is the one being typed. It only keeps
// count: the server types each step it takes and waits the pause it is told.
class TypingQueue {
public:
    // Combinations waiting at most (those of the press being typed included).
    static constexpr qsizetype kMaxWaiting = 64;

    struct Press {
        QList<std::optional<KeyPress>> keys; // nothing: a combination that names no key
        QString appTarget;
        int delayMs = 0; // between two of its combinations
    };
    struct Step {
        std::optional<KeyPress> key;
        QString appTarget;
        bool startsPress = false; // its target is brought forward first
        int pauseAfterMs = -1;    // before the press's next combination; -1: it was the last
    };

    bool isEmpty() const { return m_presses.isEmpty(); }
    // Adds a press of at least one combination; false, and nothing added, when it does not fit.
    bool push(Press press);
    // The next combination to type, taken off the queue; nothing when none is left.
    std::optional<Step> take();
    // Drops what is left of the press being typed.
    void dropCurrent();
    void clear();

private:
    QList<Press> m_presses;
    qsizetype m_next = 0; // of the first press
    qsizetype m_waiting = 0;
};

} // namespace hb
