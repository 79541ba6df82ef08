#include "dadavezaruz/SheetControls.h"

#include "dadavezaruz/PadColors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace hb {

QLabel *SheetControls::wrappedLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QLabel *SheetControls::secondaryLabel(const QString &text)
{
    QLabel *label = wrappedLabel(text);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QLabel *SheetControls::noteLabel(const QString &text)
{
    QLabel *label = secondaryLabel(text);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    return label;
}

QLineEdit *SheetControls::textField(const QString &placeholder, const QString &name)
{
    auto *field = new QLineEdit;
    field->setObjectName(name);
    field->setPlaceholderText(placeholder);
    field->setAccessibleName(placeholder);
    return field;
}

QPushButton *SheetControls::formButton(const QString &text, const QString &name)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout *SheetControls::labelledRow(const QString &text, QWidget *field)
{
    auto *label = new QLabel(text);
    label->setBuddy(field);
    auto *row = new QHBoxLayout;
    row->addWidget(label, 1);
    row->addWidget(field);
    return row;
}

void SheetControls::makeDestructive(QPushButton *button)
{
    QPalette red = button->palette();
    red.setColor(QPalette::ButtonText, PadColors::red);
    button->setPalette(red);
}

} // namespace hb
