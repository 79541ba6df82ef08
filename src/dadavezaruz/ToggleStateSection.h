#pragma once

#include <QWidget>

class QLineEdit;

namespace hb {

class ColorWell;
class KeyComboSection;

// The second state of a two-state button in the editor: its label, colour and key combination,
// laid out like the first state's, and a note on when the state flips.
class ToggleStateSection : public QWidget {
    Q_OBJECT

public:
    explicit ToggleStateSection(QWidget *parent = nullptr);

    QString label() const;
    QString keyCombo() const;
    // Shows what the second state holds, without telling edited().
    void setState(const QString &label, const QColor &color, const QString &keyCombo);
    void setColor(const QColor &color);

Q_SIGNALS:
    // The user typed in the label or key field.
    void edited();
    // A combination was recorded from the keyboard.
    void recorded();
    // The colour well was clicked: the editor asks for a colour.
    void colorRequested();

private:
    QLineEdit *m_label;
    ColorWell *m_color;
    KeyComboSection *m_keys;
};

} // namespace hb
