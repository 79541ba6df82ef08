#include "dadavezaruz/KeySequenceSection.h"

#include "dadavezaruz/KeyCombo.h"
#include "dadavezaruz/KeyComboRecorderButton.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/SheetControls.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kSection = u"Sequence"_s;
const QString kStep = u"Step %1"_s;
const QString kRemove = u"Remove"_s;
const QString kRemoveStep = u"Remove step %1"_s;
const QString kRecordStep = u"Record step %1"_s;
const QString kAddStep = u"Add Step"_s;
const QString kDelay = u"Delay between steps"_s;
const QString kNote = u"A press types the key combination above, then each step in turn."_s;
constexpr int kDelayStepMs = 50;
constexpr int kDefaultDelayMs = 100;

} // namespace

KeySequenceSection::KeySequenceSection(QWidget *parent)
    : FormSection(kSection, parent), m_rows(new QWidget), m_add(nullptr), m_delay(new QSpinBox),
      m_problem(new QLabel)
{
    auto *rows = new QVBoxLayout(m_rows);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(6);
    body()->addWidget(SheetControls::noteLabel(kNote));
    body()->addWidget(m_rows);

    m_add = SheetControls::formButton(kAddStep, u"addStepButton"_s);
    auto *addRow = new QHBoxLayout;
    addRow->addWidget(m_add);
    addRow->addStretch(1);
    body()->addLayout(addRow);

    m_problem->setObjectName(u"stepProblem"_s);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(u"color: %1;"_s.arg(PadColors::red.name()));
    m_problem->hide();
    body()->addWidget(m_problem);

    m_delay->setObjectName(u"stepDelay"_s);
    m_delay->setRange(0, ShortcutButton::kMaxSequenceDelayMs);
    m_delay->setSingleStep(kDelayStepMs);
    m_delay->setSuffix(u" ms"_s);
    m_delay->setValue(kDefaultDelayMs);
    m_delay->setAccessibleName(kDelay);
    auto *delayLabel = new QLabel(kDelay);
    delayLabel->setBuddy(m_delay);
    auto *delayRow = new QHBoxLayout;
    delayRow->addWidget(delayLabel, 1);
    delayRow->addWidget(m_delay);
    body()->addLayout(delayRow);

    connect(m_add, &QPushButton::clicked, this, &KeySequenceSection::addStep);
    connect(m_delay, &QSpinBox::valueChanged, this, &KeySequenceSection::changed);
}

QStringList KeySequenceSection::steps() const
{
    QStringList steps;
    for (const Step &step : m_steps)
        steps.append(step.field->text());
    return steps;
}

int KeySequenceSection::delayMs() const
{
    return m_delay->value();
}

void KeySequenceSection::setSteps(const QStringList &steps, int delayMs)
{
    while (!m_steps.isEmpty())
        dropRow(m_steps.takeLast().row);
    for (const QString &combo :
         steps.first(std::min<qsizetype>(steps.size(), ShortcutButton::kMaxSequence - 1)))
        appendRow(combo);
    renumber();
    const QSignalBlocker quiet(m_delay);
    m_delay->setValue(delayMs);
}

void KeySequenceSection::addStep()
{
    if (m_steps.size() >= ShortcutButton::kMaxSequence - 1)
        return;
    QLineEdit *field = appendRow({});
    renumber();
    field->setFocus(Qt::OtherFocusReason);
    Q_EMIT changed();
    Q_EMIT stepAdded(field);
}

void KeySequenceSection::removeStep(qsizetype index)
{
    if (index < 0 || index >= m_steps.size())
        return;
    const bool hadFocus = m_steps[index].row->isAncestorOf(focusWidget());
    dropRow(m_steps.takeAt(index).row);
    renumber();
    // The focus goes to the step that took the removed one's place, or to "Add Step".
    if (hadFocus)
        (index < m_steps.size() ? static_cast<QWidget *>(m_steps[index].field) : m_add)
            ->setFocus(Qt::OtherFocusReason);
    Q_EMIT changed();
}

QLineEdit *KeySequenceSection::appendRow(const QString &combo)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *caption = new QLabel;
    QLineEdit *field = SheetControls::textField(QString(), u"stepField"_s);
    field->setText(combo);
    caption->setBuddy(field);
    auto *record = new KeyComboRecorderButton;
    record->setObjectName(u"recordStep"_s);
    QPushButton *remove = SheetControls::formButton(kRemove, u"removeStepButton"_s);
    layout->addWidget(caption);
    layout->addWidget(field, 1);
    layout->addWidget(record);
    layout->addWidget(remove);
    m_rows->layout()->addWidget(row);
    m_steps.append({row, caption, field, record, remove});
    // Tab reaches the row just before "Add Step", not after the sheet's last control, where a
    // widget made later would come. The row goes after the last control that takes the focus.
    QWidget *before = m_add->previousInFocusChain();
    while (before != m_add && before->focusPolicy() == Qt::NoFocus)
        before = before->previousInFocusChain();
    QWidget::setTabOrder(before, field);
    QWidget::setTabOrder(field, record);
    QWidget::setTabOrder(record, remove);

    connect(field, &QLineEdit::textEdited, this, [this] {
        check();
        Q_EMIT edited();
    });
    connect(record, &KeyComboRecorderButton::recorded, this, [this, field](const QString &keys) {
        field->setText(keys);
        check();
        Q_EMIT changed();
    });
    connect(record, &KeyComboRecorderButton::unsupported, this, [this](const QString &why) {
        m_problem->setText(why);
        m_problem->show();
    });
    connect(remove, &QPushButton::clicked, this, [this, row] {
        for (qsizetype i = 0; i < m_steps.size(); ++i) {
            if (m_steps[i].row == row)
                return removeStep(i);
        }
    });
    return field;
}

// Out of the section at once; deleted later, as its remove button may be what is calling.
void KeySequenceSection::dropRow(QWidget *row)
{
    row->hide();
    row->setParent(nullptr);
    row->deleteLater();
}

// Steps are numbered from 2: the button's own key combination is step 1.
void KeySequenceSection::renumber()
{
    for (qsizetype i = 0; i < m_steps.size(); ++i) {
        const QString caption = kStep.arg(i + 2);
        m_steps[i].caption->setText(caption);
        m_steps[i].field->setPlaceholderText(caption);
        m_steps[i].field->setAccessibleName(caption);
        m_steps[i].record->setAccessibleName(kRecordStep.arg(i + 2));
        m_steps[i].remove->setAccessibleName(kRemoveStep.arg(i + 2));
    }
    m_add->setEnabled(m_steps.size() < ShortcutButton::kMaxSequence - 1);
    check();
}

void KeySequenceSection::check()
{
    QString problem;
    for (qsizetype i = 0; i < m_steps.size() && problem.isEmpty(); ++i) {
        const auto parsed = parseKeyCombo(m_steps[i].field->text());
        if (!parsed)
            problem = kStep.arg(i + 2) + u": "_s + parsed.error().description;
    }
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
}

} // namespace hb
