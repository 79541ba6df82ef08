#include "footage/FeetFramesInputValidator.h"

namespace hb {

FeetFramesInputValidator::FeetFramesInputValidator(FeetFramesInput input,
                                                   std::function<QString()> currentText,
                                                   QObject *parent)
    : QValidator(parent), m_input(input), m_currentText(std::move(currentText))
{
}

QValidator::State FeetFramesInputValidator::validate(QString &text, int &) const
{
    switch (checkInputText(m_input, text, locale())) {
    case InputTextCheck::acceptable:
        return Acceptable;
    case InputTextCheck::intermediate:
        return Intermediate;
    case InputTextCheck::invalid:
        break;
    }
    return Invalid;
}

void FeetFramesInputValidator::fixup(QString &text) const
{
    if (m_currentText)
        text = m_currentText();
}

} // namespace hb
