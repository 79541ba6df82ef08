#pragma once

#include <QString>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QWidget;
class QPushButton;

namespace hb {

// The labels, fields and buttons the pad's sheets and their sections share, made alike.
class SheetControls {
public:
    SheetControls() = delete;

    // A label that wraps its text.
    static QLabel *wrappedLabel(const QString &text);
    // A wrapped label in the placeholder colour, for what is said besides.
    static QLabel *secondaryLabel(const QString &text);
    // A secondary label in a smaller font, for notes under a field and second lines.
    static QLabel *noteLabel(const QString &text);
    // A line edit whose placeholder also names it to assistive technology.
    static QLineEdit *textField(const QString &placeholder, const QString &name);
    // A push button that Return in a field of the sheet does not press.
    static QPushButton *formButton(const QString &text, const QString &name);
    // A row of a label (the buddy of `field`, so that its mnemonic and assistive technology reach
    // the field) taking the width, and the field at its end.
    static QHBoxLayout *labelledRow(const QString &text, QWidget *field);
    // Gives a button the red text of what deletes.
    static void makeDestructive(QPushButton *button);
};

} // namespace hb
