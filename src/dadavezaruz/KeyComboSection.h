#pragma once

#include "common/FormSection.h"

class QLabel;
class QLineEdit;

namespace hb {

// The button editor's key combination: a field to type it, a button to record it from the
// keyboard, and a red line saying what a server could not press.
class KeyComboSection : public FormSection {
    Q_OBJECT

public:
    explicit KeyComboSection(QWidget *parent = nullptr);
    // Another of the editor's combinations: `name` comes before the object names of the field,
    // the record button and the red line ("on": "onKeyComboField", "onRecordKeyCombo", ...).
    KeyComboSection(const QString &title, const QString &name, QWidget *parent = nullptr);

    QString keyCombo() const;
    // Shows `combo` in the field and checks it.
    void setKeyCombo(const QString &combo);
    // Shows what is wrong with the combination in the field, or nothing when it reads.
    void check();
    // What the red line says, empty when it is hidden.
    QString problemText() const;
    // A title that also names the field to assistive technology.
    void setCaption(const QString &title);

Q_SIGNALS:
    // The user typed in the field.
    void edited();
    // A combination was recorded from the keyboard; the field shows it already.
    void recorded(const QString &combo);

private:
    void showProblem(const QString &text);

    QLineEdit *m_field;
    QLabel *m_problem;
};

} // namespace hb
