#include "dadavezaruz/KeyComboRecorderButton.h"

#include "dadavezaruz/KeyComboRecording.h"

#include <QKeyEvent>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kRecord = u"Record"_s;
const QString kListening = u"Press the keys…"_s;
const QString kUnsupported = u"That key cannot be sent by a pad. Keys: a-z, 0-9, punctuation, "
                             u"space, return, tab, backspace, esc, f1-f12, arrows, home, end, "
                             u"page up and down."_s;

} // namespace

KeyComboRecorderButton::KeyComboRecorderButton(QWidget *parent) : QPushButton(kRecord, parent)
{
    setCheckable(true);
    setAutoDefault(false);
    setToolTip(u"Record a key combination by pressing it"_s);
    connect(this, &QPushButton::toggled, this, &KeyComboRecorderButton::setRecording);
}

void KeyComboRecorderButton::setRecording(bool on)
{
    setText(on ? kListening : kRecord);
    if (on) {
        setFocus(Qt::OtherFocusReason);
        grabKeyboard();
    } else {
        releaseKeyboard();
    }
}

bool KeyComboRecorderButton::event(QEvent *event)
{
    // While recording, a combination that is a shortcut of the window (Ctrl+W, Escape, Return)
    // is recorded instead of acting.
    if (isChecked() && event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    return QPushButton::event(event);
}

void KeyComboRecorderButton::keyPressEvent(QKeyEvent *event)
{
    if (!isChecked()) {
        QPushButton::keyPressEvent(event);
        return;
    }
    event->accept();
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (KeyComboRecording::isModifierKey(event->key()))
        return; // the key itself is still to come
    if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        setChecked(false);
        return;
    }
    const std::optional<QString> combo = KeyComboRecording::comboFor(event->key(), modifiers);
    setChecked(false);
    if (combo)
        Q_EMIT recorded(*combo);
    else
        Q_EMIT unsupported(kUnsupported);
}

void KeyComboRecorderButton::focusOutEvent(QFocusEvent *event)
{
    setChecked(false);
    QPushButton::focusOutEvent(event);
}

} // namespace hb
