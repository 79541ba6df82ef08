#include "footage/FeetFramesInputValidator.h"

namespace hb {

FeetFramesInputValidator::FeetFramesInputValidator(FeetFramesInput input,
                                                   std::function<QString()> currentText,
                                                   Report report, QObject *parent)
    : QValidator(parent), m_input(input), m_currentText(std::move(currentText)),
      m_report(std::move(report))
{
}

QValidator::State FeetFramesInputValidator::validate(QString &text, int &) const
{
    const InputReading reading = readInputText(m_input, text, locale());
    switch (reading.check) {
    case InputTextCheck::acceptable:
        return Acceptable;
    case InputTextCheck::intermediate:
        return Intermediate;
    case InputTextCheck::invalid:
        break;
    }
    if (m_report)
        m_report(reading.note, true);
    return Invalid;
}

void FeetFramesInputValidator::fixup(QString &text) const
{
    if (!m_currentText)
        return;
    text = m_currentText();
    if (m_report)
        m_report(keptValueNote(text), false);
}

} // namespace hb
