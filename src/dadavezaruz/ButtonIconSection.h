#pragma once

#include "common/FormSection.h"

class QLabel;
class QLineEdit;

namespace hb {

struct ShortcutPreset;

// The button editor's icon: the symbol's name with a preview beside it, and the way to the
// preset catalogue.
class ButtonIconSection : public FormSection {
    Q_OBJECT

public:
    explicit ButtonIconSection(QWidget *parent = nullptr);

    QString symbol() const;
    void setSymbol(const QString &symbol);
    // Draws `symbol` in `color` beside the field.
    void showPreview(const QString &symbol, const QColor &color);

Q_SIGNALS:
    // The user typed in the field.
    void edited();
    void presetChosen(const hb::ShortcutPreset &preset);

private:
    void openPresetPicker();

    QLineEdit *m_field;
    QLabel *m_preview;
};

} // namespace hb
