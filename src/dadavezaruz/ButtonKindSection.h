#pragma once

#include "common/FormSection.h"
#include "dadavezaruz/ButtonKindDraft.h"

class QButtonGroup;

namespace hb {

// The button editor's choice of kind: "Single", "Two States" or "Sequence", as three segments of
// which one is down. Tab reaches each, Space chooses it.
class ButtonKindSection : public FormSection {
    Q_OBJECT

public:
    explicit ButtonKindSection(QWidget *parent = nullptr);

    ButtonKind kind() const;
    // Shows the kind without telling kindChosen().
    void setKind(ButtonKind kind);

Q_SIGNALS:
    // The user chose another kind.
    void kindChosen(ButtonKind kind);

private:
    QButtonGroup *m_group;
};

} // namespace hb
