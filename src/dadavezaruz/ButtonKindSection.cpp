#include "dadavezaruz/ButtonKindSection.h"

#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/SheetControls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kKindSection = u"Kind"_s;

} // namespace

ButtonKindSection::ButtonKindSection(QWidget *parent)
    : FormSection(kKindSection, parent), m_group(new QButtonGroup(this))
{
    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    const std::tuple<ButtonKind, QString, QString> kinds[] = {
        {ButtonKind::Single, u"Single"_s, u"kindSingle"_s},
        {ButtonKind::TwoStates, u"Two States"_s, u"kindTwoStates"_s},
        {ButtonKind::Sequence, u"Sequence"_s, u"kindSequence"_s},
    };
    for (const auto &[kind, text, name] : kinds) {
        QPushButton *segment = SheetControls::formButton(text, name);
        segment->setCheckable(true);
        // The chosen kind is filled, as a segmented control shows it; the others stay as buttons.
        segment->setStyleSheet(
            u"QPushButton:checked { background: %1; color: white; border: 1px solid %1; "
            u"border-radius: 4px; padding: 4px; }"_s.arg(PadColors::purple.name()));
        segment->setAccessibleDescription(kKindSection);
        m_group->addButton(segment, int(kind));
        row->addWidget(segment, 1);
    }
    m_group->button(int(ButtonKind::Single))->setChecked(true);
    body()->addLayout(row);
    connect(m_group, &QButtonGroup::idClicked, this,
            [this](int id) { Q_EMIT kindChosen(ButtonKind(id)); });
}

ButtonKind ButtonKindSection::kind() const
{
    return ButtonKind(m_group->checkedId());
}

void ButtonKindSection::setKind(ButtonKind kind)
{
    const QSignalBlocker quiet(m_group);
    m_group->button(int(kind))->setChecked(true);
}

} // namespace hb
