#include "dadavezaruz/ToggleStateSection.h"

#include "common/FormSection.h"
#include "dadavezaruz/ColorWell.h"
#include "dadavezaruz/KeyComboSection.h"
#include "dadavezaruz/SheetControls.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kLabelSection = u"Label When On"_s;
const QString kLabelField = u"Button label when on"_s;
const QString kColorSection = u"Colour When On"_s;
const QString kColorWell = u"Colour when on"_s;
const QString kKeySection = u"Key Combination When On"_s;
const QString kFlipNote = u"The state flips each time a press is sent: the button then shows "
                          u"and sends the other one."_s;

} // namespace

ToggleStateSection::ToggleStateSection(QWidget *parent) : QWidget(parent)
{
    auto *labelSection = new FormSection(kLabelSection);
    m_label = SheetControls::textField(kLabelField, u"onLabelField"_s);
    labelSection->body()->addWidget(m_label);
    labelSection->body()->addWidget(SheetControls::noteLabel(kFlipNote));

    auto *colorSection = new FormSection(kColorSection);
    m_color = new ColorWell(kColorWell);
    m_color->setObjectName(u"onColorWell"_s);
    colorSection->body()->addLayout(SheetControls::labelledRow(kColorWell, m_color));

    m_keys = new KeyComboSection(kKeySection, u"on"_s);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(labelSection);
    layout->addWidget(colorSection);
    layout->addWidget(m_keys);

    connect(m_label, &QLineEdit::textEdited, this, &ToggleStateSection::edited);
    connect(m_keys, &KeyComboSection::edited, this, [this] {
        m_keys->check();
        Q_EMIT edited();
    });
    connect(m_keys, &KeyComboSection::recorded, this, &ToggleStateSection::recorded);
    connect(m_color, &QToolButton::clicked, this, &ToggleStateSection::colorRequested);
}

QString ToggleStateSection::label() const
{
    return m_label->text();
}

QString ToggleStateSection::keyCombo() const
{
    return m_keys->keyCombo();
}

void ToggleStateSection::setState(const QString &label, const QColor &color,
                                  const QString &keyCombo)
{
    m_label->setText(label);
    m_color->setColor(color);
    m_keys->setKeyCombo(keyCombo);
}

void ToggleStateSection::setColor(const QColor &color)
{
    m_color->setColor(color);
}

} // namespace hb
