#pragma once

#include "footage/FeetFramesInput.h"

#include <QValidator>

#include <functional>

namespace hb {

// Keeps a calculator field to numbers in the validator's locale. A refused text is reported with
// its reason, so no keystroke vanishes unexplained. A field left without a number (empty, a lone
// sign) gets the current value's text back, reported too, so submitting it always succeeds.
class FeetFramesInputValidator : public QValidator {
    Q_OBJECT

public:
    // Receives a note and whether it tells of a refused text (or else of a value given back).
    using Report = std::function<void(const QString &note, bool refused)>;

    // currentText gives the field's value as text.
    FeetFramesInputValidator(FeetFramesInput input, std::function<QString()> currentText,
                             Report report, QObject *parent = nullptr);

    State validate(QString &text, int &position) const override;
    void fixup(QString &text) const override;

private:
    FeetFramesInput m_input;
    std::function<QString()> m_currentText;
    Report m_report;
};

} // namespace hb
