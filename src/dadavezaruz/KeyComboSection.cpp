#include "dadavezaruz/KeyComboSection.h"

#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/KeyComboRecorderButton.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/SheetControls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kKeySection = u"Key Combination"_s;
const QString kKeyPlaceholder = u"e.g. cmd+shift+c"_s;
const QString kKeyNote = u"Modifiers: cmd, ctrl, alt, shift. Keys: a-z, 0-9, space, f1-f12, etc."_s;

} // namespace

KeyComboSection::KeyComboSection(QWidget *parent) : KeyComboSection(kKeySection, {}, parent) {}

KeyComboSection::KeyComboSection(const QString &title, const QString &name, QWidget *parent)
    : FormSection(title, parent)
{
    // "keyComboField" or, after a name, "onKeyComboField".
    const auto named = [&name](QString objectName) {
        if (!name.isEmpty())
            objectName = name + objectName[0].toUpper() + objectName.sliced(1);
        return objectName;
    };
    m_field = SheetControls::textField(kKeyPlaceholder, named(u"keyComboField"_s));
    m_field->setAccessibleName(title);
    auto *record = new KeyComboRecorderButton;
    record->setObjectName(named(u"recordKeyCombo"_s));
    auto *row = new QHBoxLayout;
    row->addWidget(m_field, 1);
    row->addWidget(record);
    body()->addLayout(row);
    m_problem = new QLabel;
    m_problem->setObjectName(named(u"keyComboProblem"_s));
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(u"color: %1;"_s.arg(PadColors::red.name()));
    m_problem->hide();
    body()->addWidget(m_problem);
    body()->addWidget(SheetControls::noteLabel(kKeyNote));
    connect(m_field, &QLineEdit::textEdited, this, &KeyComboSection::edited);
    connect(record, &KeyComboRecorderButton::recorded, this, [this](const QString &combo) {
        setKeyCombo(combo);
        Q_EMIT recorded(combo);
    });
    connect(record, &KeyComboRecorderButton::unsupported, this, &KeyComboSection::showProblem);
}

QString KeyComboSection::keyCombo() const
{
    return m_field->text();
}

void KeyComboSection::setKeyCombo(const QString &combo)
{
    m_field->setText(combo);
    check();
}

void KeyComboSection::check()
{
    const auto parsed = parseKeyCombo(m_field->text());
    showProblem(parsed ? QString() : parsed.error().description);
}

void KeyComboSection::setCaption(const QString &title)
{
    setTitle(title);
    m_field->setAccessibleName(title);
}

QString KeyComboSection::problemText() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

void KeyComboSection::showProblem(const QString &text)
{
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

} // namespace hb
