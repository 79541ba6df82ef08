#pragma once

#include "footage/FeetFramesInput.h"

#include <QValidator>

#include <functional>

namespace hb {

// Keeps a calculator field to numbers in the validator's locale within the field's limit. A
// field left without a number (empty, a lone sign) gets the current value's text back, so
// submitting it always succeeds.
class FeetFramesInputValidator : public QValidator {
    Q_OBJECT

public:
    FeetFramesInputValidator(FeetFramesInput input, std::function<QString()> currentText,
                             QObject *parent = nullptr);

    State validate(QString &text, int &position) const override;
    void fixup(QString &text) const override;

private:
    FeetFramesInput m_input;
    std::function<QString()> m_currentText;
};

} // namespace hb
