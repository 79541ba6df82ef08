#pragma once

#include <QFrame>

class QLabel;
class QPushButton;
class QTimer;

namespace hb {

// A transient line at the foot of a screen after something was deleted or changed, such as
// "Deleted “Resolve”", with an Undo button. It hides by itself after a while, when its close
// button is pressed, or when the change is undone.
class UndoNotice : public QFrame {
    Q_OBJECT

public:
    static constexpr int kVisibleMilliseconds = 10000;

    explicit UndoNotice(QWidget *parent = nullptr);

    // Shows the text (replacing any earlier one) and starts the time it stays.
    void showNotice(const QString &text);
    QString text() const;
    QPushButton *undoButton() const { return m_undo; }

Q_SIGNALS:
    void undoRequested();

private:
    QLabel *m_text;
    QPushButton *m_undo;
    QTimer *m_timer;
};

} // namespace hb
