#pragma once

#include "common/FormSection.h"

#include <QList>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace hb {

// The steps of a sequence after its first key combination, in the button editor: a row for
// each (a field, a record button and a remove button), "Add Step" while the sequence has fewer
// than ShortcutButton::kMaxSequence steps in all, and the delay between steps. A red line names
// the first step a server could not press.
class KeySequenceSection : public FormSection {
    Q_OBJECT

public:
    explicit KeySequenceSection(QWidget *parent = nullptr);

    // The steps after the first, as typed, empty ones included.
    QStringList steps() const;
    int delayMs() const;
    // Shows these steps (at most kMaxSequence - 1) and delay, without telling anything.
    void setSteps(const QStringList &steps, int delayMs);

    // As the "Add Step" button does: a new empty step at the end, which takes the focus.
    void addStep();
    // As the step's remove button does; `index` counts the steps after the first from 0.
    void removeStep(qsizetype index);

Q_SIGNALS:
    // The user typed in a step's field.
    void edited();
    // A step was added, removed or recorded, or the delay changed.
    void changed();
    // A step was added; its field has the focus and should be scrolled to.
    void stepAdded(QWidget *field);

private:
    struct Step {
        QWidget *row;
        QLabel *caption;
        QLineEdit *field;
        QPushButton *record;
        QPushButton *remove;
    };

    QLineEdit *appendRow(const QString &combo);
    static void dropRow(QWidget *row);
    void renumber();
    void check();

    QWidget *m_rows;
    QList<Step> m_steps;
    QPushButton *m_add;
    QSpinBox *m_delay;
    QLabel *m_problem;
};

} // namespace hb
