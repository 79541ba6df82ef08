#pragma once

#include <QPushButton>

namespace hb {

// "Record": once clicked, the next key pressed with its modifiers becomes a key combination
// (see KeyComboRecording) instead of doing what it would do in the window. Escape on its own, a
// click, or moving the focus away stops without recording.
class KeyComboRecorderButton : public QPushButton {
    Q_OBJECT

public:
    explicit KeyComboRecorderButton(QWidget *parent = nullptr);

    bool isRecording() const { return isChecked(); }

Q_SIGNALS:
    void recorded(const QString &keyCombo);
    // The key pressed has no name a pad can send; `description` says so, fit to show.
    void unsupported(const QString &description);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void setRecording(bool on);
};

} // namespace hb
