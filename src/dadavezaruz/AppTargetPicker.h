#pragma once

#include <QComboBox>

namespace hb {

// Picks the application a button's presses go to: the ones a server knows, or the frontmost.
class AppTargetPicker : public QComboBox {
    Q_OBJECT

public:
    explicit AppTargetPicker(QWidget *parent = nullptr);

    // Shows `target` as chosen, without signalling. A target this picker does not offer stays
    // as an entry of its own until the user picks another.
    void setTarget(const QString &target);

Q_SIGNALS:
    // The user picked an entry (perhaps the one already shown).
    void targetChosen(const QString &target);
};

} // namespace hb
