#include "dadavezaruz/EditButtonSheet.h"

#include "common/AppLifecycle.h"
#include "common/ColorHex.h"
#include "common/FormSection.h"
#include "dadavezaruz/AppTargetPicker.h"
#include "dadavezaruz/ButtonIconSection.h"
#include "dadavezaruz/ButtonKindSection.h"
#include "dadavezaruz/ButtonThumbnailSection.h"
#include "dadavezaruz/ColorWell.h"
#include "dadavezaruz/KeyComboSection.h"
#include "dadavezaruz/KeySequenceSection.h"
#include "dadavezaruz/PadColors.h"
#include "dadavezaruz/SheetControls.h"
#include "dadavezaruz/ShortcutPreset.h"
#include "dadavezaruz/ToggleStateSection.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kTitle = u"Edit Button"_s;
const QString kLabelSection = u"Label"_s;
const QString kLabelField = u"Button label"_s;
const QString kColorSection = u"Button Colour"_s;
const QString kColorWell = u"Colour"_s;
const QString kOnColor = u"Colour when on"_s;
// The first state's sections, for a two-state button, and the first step of a sequence.
const QString kLabelSectionOff = u"Label When Off"_s;
const QString kLabelFieldOff = u"Button label when off"_s;
const QString kColorSectionOff = u"Button Colour When Off"_s;
const QString kKeySection = u"Key Combination"_s;
const QString kKeySectionOff = u"Key Combination When Off"_s;
const QString kKeySectionFirstStep = u"Key Combination (Step 1)"_s;
const QString kTargetSection = u"Target App"_s;
const QString kDelete = u"Delete Button"_s;
const QString kDone = u"Done"_s;
const QString kButtonMissing = u"This button no longer exists."_s;
const QString kDiscardQuestion = u"Discard changes to “%1”?"_s;
const QString kDiscardDetail = u"Discard puts the button back as it was before you opened it."_s;

} // namespace

EditButtonSheet::EditButtonSheet(ShortcutPad &pad, qint64 buttonId, QWidget *parent)
    : QDialog(parent), m_pad(pad),
      m_remover([&pad](qint64 button) { return pad.deleteButton(button); })
{
    setWindowTitle(kTitle);
    m_button.id = buttonId;
    m_typingSave.setSingleShot(true);
    m_typingSave.setInterval(kTypingPause);
    connect(&m_typingSave, &QTimer::timeout, this, &EditButtonSheet::save);

    auto *scroll = new QScrollArea;
    m_scroll = scroll;
    scroll->setAccessibleName(kTitle);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(buildForm());
    scroll->setMinimumSize(440, 520);

    m_error = buildErrorLine();

    auto *buttons = new QDialogButtonBox;
    QPushButton *done = buttons->addButton(kDone, QDialogButtonBox::AcceptRole);
    done->setObjectName(u"doneButton"_s);
    done->setDefault(true);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(&AppLifecycle::instance(), &AppLifecycle::saveRequested, this,
            &EditButtonSheet::saveForQuit);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(scroll, 1);
    layout->addWidget(m_error);
    layout->addWidget(buttons);

    load(buttonId);
}

QWidget *EditButtonSheet::buildForm()
{
    m_form = new QWidget;
    auto *form = new QVBoxLayout(m_form);
    form->setContentsMargins(4, 4, 4, 4);
    form->setSpacing(16);
    form->addWidget(buildKindSection());
    form->addWidget(buildLabelSection());
    form->addWidget(buildIconSection());
    form->addWidget(buildThumbnailSection());
    form->addWidget(buildColorSection());
    form->addWidget(buildKeySection());
    form->addWidget(buildToggleSection());
    form->addWidget(buildSequenceSection());
    form->addWidget(buildTargetSection());
    form->addWidget(buildDeleteSection());
    form->addStretch(1);
    return m_form;
}

QWidget *EditButtonSheet::buildLabelSection()
{
    auto *section = new FormSection(kLabelSection);
    m_labelSection = section;
    m_label = SheetControls::textField(kLabelField, u"labelField"_s);
    section->body()->addWidget(m_label);
    connect(m_label, &QLineEdit::textEdited, this, &EditButtonSheet::textEdited);
    return section;
}

QWidget *EditButtonSheet::buildIconSection()
{
    m_icon = new ButtonIconSection;
    connect(m_icon, &ButtonIconSection::edited, this, &EditButtonSheet::textEdited);
    connect(m_icon, &ButtonIconSection::presetChosen, this, &EditButtonSheet::applyPresetChoice);
    return m_icon;
}

QWidget *EditButtonSheet::buildThumbnailSection()
{
    m_thumbnail = new ButtonThumbnailSection;
    connect(m_thumbnail, &ButtonThumbnailSection::imageChosen, this,
            &EditButtonSheet::useImageFile);
    connect(m_thumbnail, &ButtonThumbnailSection::removeRequested, this,
            &EditButtonSheet::removeCustomImage);
    return m_thumbnail;
}

QWidget *EditButtonSheet::buildColorSection()
{
    auto *section = new FormSection(kColorSection);
    m_colorSection = section;
    m_colorWell = new ColorWell(kColorWell);
    m_colorWell->setObjectName(u"colorWell"_s);
    section->body()->addLayout(SheetControls::labelledRow(kColorWell, m_colorWell));
    connect(m_colorWell, &QToolButton::clicked, this, &EditButtonSheet::openColorDialog);
    return section;
}

QWidget *EditButtonSheet::buildKeySection()
{
    m_keys = new KeyComboSection;
    connect(m_keys, &KeyComboSection::edited, this, &EditButtonSheet::textEdited);
    connect(m_keys, &KeyComboSection::recorded, this, [this](const QString &combo) {
        m_button.keyCombo = combo;
        save();
    });
    return m_keys;
}

QWidget *EditButtonSheet::buildKindSection()
{
    m_kind = new ButtonKindSection;
    connect(m_kind, &ButtonKindSection::kindChosen, this, &EditButtonSheet::setKind);
    return m_kind;
}

QWidget *EditButtonSheet::buildToggleSection()
{
    m_toggle = new ToggleStateSection;
    m_toggle->hide();
    connect(m_toggle, &ToggleStateSection::edited, this, &EditButtonSheet::textEdited);
    connect(m_toggle, &ToggleStateSection::recorded, this, &EditButtonSheet::kindFieldChanged);
    connect(m_toggle, &ToggleStateSection::colorRequested, this,
            &EditButtonSheet::openOnColorDialog);
    return m_toggle;
}

QWidget *EditButtonSheet::buildSequenceSection()
{
    m_sequence = new KeySequenceSection;
    m_sequence->hide();
    connect(m_sequence, &KeySequenceSection::edited, this, &EditButtonSheet::textEdited);
    connect(m_sequence, &KeySequenceSection::changed, this, &EditButtonSheet::kindFieldChanged);
    connect(m_sequence, &KeySequenceSection::stepAdded, this, [this](QWidget *field) {
        // Once the new row has its place in the form.
        QTimer::singleShot(0, m_scroll, [scroll = m_scroll, field = QPointer(field)] {
            if (field)
                scroll->ensureWidgetVisible(field);
        });
    });
    return m_sequence;
}

QWidget *EditButtonSheet::buildTargetSection()
{
    auto *section = new FormSection(kTargetSection);
    m_target = new AppTargetPicker;
    m_target->setObjectName(u"targetPicker"_s);
    m_target->setAccessibleName(kTargetSection);
    section->body()->addWidget(m_target);
    connect(m_target, &AppTargetPicker::targetChosen, this, &EditButtonSheet::setAppTarget);
    return section;
}

QWidget *EditButtonSheet::buildDeleteSection()
{
    auto *section = new FormSection({});
    QPushButton *remove = SheetControls::formButton(kDelete, u"deleteButton"_s);
    SheetControls::makeDestructive(remove);
    section->body()->addWidget(remove);
    connect(remove, &QPushButton::clicked, this, &EditButtonSheet::deleteButton);
    return section;
}

QLabel *EditButtonSheet::buildErrorLine()
{
    auto *error = new QLabel;
    error->setObjectName(u"errorText"_s);
    error->setWordWrap(true);
    error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = error->palette();
    red.setColor(QPalette::WindowText, PadColors::red);
    error->setPalette(red);
    error->hide();
    return error;
}

void EditButtonSheet::load(qint64 buttonId)
{
    const Expected<std::optional<ShortcutButton>> found = m_pad.button(buttonId);
    if (!found || !*found) {
        showError(found ? kButtonMissing : found.error().description);
        m_form->setEnabled(false);
        return;
    }
    m_button = **found;
    m_original = m_button;
    m_stored = m_button;
    m_draft = ButtonKindDraft::of(m_button);
    m_loaded = true;
    refresh();
    refreshKind();
}

void EditButtonSheet::refresh()
{
    m_label->setText(m_button.label);
    m_icon->setSymbol(m_button.sfSymbol);
    m_keys->setKeyCombo(m_button.keyCombo);
    refreshSymbolPreview();
    m_target->setTarget(m_button.appTarget);
    m_thumbnail->setImage(m_button.customImageData);
}

void EditButtonSheet::refreshKind()
{
    m_kind->setKind(m_draft.kind);
    m_toggle->setState(m_draft.onLabel, colorFromHex(m_draft.onColorHex), m_draft.onKeyCombo);
    m_sequence->setSteps(m_draft.steps, m_draft.delayMs);
    showKind();
}

void EditButtonSheet::showKind()
{
    const bool twoStates = m_draft.kind == ButtonKind::TwoStates;
    const bool sequence = m_draft.kind == ButtonKind::Sequence;
    m_toggle->setVisible(twoStates);
    m_sequence->setVisible(sequence);
    m_labelSection->setTitle(twoStates ? kLabelSectionOff : kLabelSection);
    m_label->setPlaceholderText(twoStates ? kLabelFieldOff : kLabelField);
    m_label->setAccessibleName(m_label->placeholderText());
    m_colorSection->setTitle(twoStates ? kColorSectionOff : kColorSection);
    m_keys->setCaption(twoStates ? kKeySectionOff : sequence ? kKeySectionFirstStep : kKeySection);
}

void EditButtonSheet::takeKindFields()
{
    m_draft.kind = m_kind->kind();
    m_draft.steps = m_sequence->steps();
    m_draft.delayMs = m_sequence->delayMs();
    m_draft.onLabel = m_toggle->label();
    m_draft.onKeyCombo = m_toggle->keyCombo();
    m_button = m_draft.applied(m_button, m_original);
}

void EditButtonSheet::kindFieldChanged()
{
    takeKindFields();
    save();
}

void EditButtonSheet::setKind(ButtonKind kind)
{
    m_kind->setKind(kind);
    takeKindFields();
    showKind();
    save();
}

void EditButtonSheet::refreshSymbolPreview()
{
    const QColor color = colorFromHex(m_button.colorHex);
    m_icon->showPreview(m_button.sfSymbol, color);
    m_colorWell->setColor(color);
}

QString EditButtonSheet::errorText() const
{
    return m_error->isHidden() ? QString() : m_error->text();
}

QString EditButtonSheet::keyProblemText() const
{
    return m_keys->problemText();
}

void EditButtonSheet::showError(const QString &text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

bool EditButtonSheet::report(const Expected<Done> &result)
{
    if (!result) {
        showError(result.error().description);
        return false;
    }
    showError({});
    Q_EMIT buttonChanged(m_button.id);
    return true;
}

void EditButtonSheet::textEdited()
{
    m_button.label = m_label->text();
    m_button.sfSymbol = m_icon->symbol();
    m_button.keyCombo = m_keys->keyCombo();
    m_keys->check();
    takeKindFields();
    refreshSymbolPreview();
    m_typingSave.start();
}

void EditButtonSheet::saveTyping()
{
    if (m_typingSave.isActive())
        save();
}

void EditButtonSheet::save()
{
    m_typingSave.stop();
    if (report(m_pad.updateButton(m_button)))
        m_stored = m_button;
}

void EditButtonSheet::setColor(const QColor &color)
{
    m_button.colorHex = hexFromColor(color);
    refreshSymbolPreview();
    save();
}

void EditButtonSheet::setOnColor(const QColor &color)
{
    m_draft.onColorHex = hexFromColor(color);
    m_toggle->setColor(color);
    takeKindFields();
    save();
}

void EditButtonSheet::setAppTarget(const QString &target)
{
    if (target == m_button.appTarget)
        return;
    m_button.appTarget = target;
    m_target->setTarget(target);
    save();
}

bool EditButtonSheet::useImageFile(const QString &path)
{
    const auto bytes = ButtonImageFile::read(path);
    if (!bytes) {
        showError(bytes.error().description);
        return false;
    }
    saveTyping();
    if (!report(m_pad.setCustomImage(m_button.id, *bytes)))
        return false;
    m_button.customImageData = *bytes;
    m_stored.customImageData = *bytes;
    refresh();
    return true;
}

void EditButtonSheet::removeCustomImage()
{
    saveTyping();
    if (!report(m_pad.setCustomImage(m_button.id, std::nullopt)))
        return;
    m_button.customImageData.reset();
    m_stored.customImageData.reset();
    refresh();
}

void EditButtonSheet::applyPresetChoice(const ShortcutPreset &preset)
{
    saveTyping();
    if (!report(m_pad.applyPreset(m_button.id, preset)))
        return;
    for (ShortcutButton *button : {&m_button, &m_stored}) {
        button->label = preset.label;
        button->sfSymbol = preset.sfSymbol;
        button->colorHex = preset.colorHex;
        button->keyCombo = preset.keyCombo;
        button->appTarget = preset.appTarget;
        button->customImageData.reset();
        // The store makes it a plain button; what was typed for the other kinds stays on show.
        button->thenKeyCombos.clear();
        button->isToggle = false;
        button->toggledOn = false;
    }
    m_draft.kind = ButtonKind::Single;
    m_kind->setKind(ButtonKind::Single);
    showKind();
    refresh();
}

void EditButtonSheet::deleteButton()
{
    // What is being typed goes with the button, so that undoing the delete brings it back.
    saveTyping();
    const auto result = m_remover(m_button.id);
    if (!result) {
        showError(result.error().description);
        return;
    }
    Q_EMIT buttonDeleted(m_button.id);
    QDialog::done(Accepted);
}

bool EditButtonSheet::hasChanges() const
{
    return m_loaded && (m_button != m_original || m_stored != m_original);
}

QString EditButtonSheet::discardQuestionText(const QString &label)
{
    return kDiscardQuestion.arg(label);
}

void EditButtonSheet::done(int result)
{
    if (m_question)
        return; // the question is open: its answer closes the sheet or not
    saveTyping();
    const bool stored = !m_loaded || m_button == m_stored;
    if (m_quitting || (stored && (result == Accepted || !hasChanges()))) {
        QDialog::done(result);
        return;
    }
    askToDiscard();
}

void EditButtonSheet::askToDiscard()
{
    auto *question =
        new QMessageBox(QMessageBox::Question, kTitle, discardQuestionText(m_original.label),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    question->setObjectName(u"discardQuestion"_s);
    question->setInformativeText(kDiscardDetail);
    question->setDefaultButton(QMessageBox::Save);
    question->setAttribute(Qt::WA_DeleteOnClose);
    connect(question, &QMessageBox::buttonClicked, this, &EditButtonSheet::answerDiscardQuestion);
    m_question = question;
    question->open();
}

void EditButtonSheet::answerDiscardQuestion(QAbstractButton *answer)
{
    const QMessageBox::StandardButton choice = m_question->standardButton(answer);
    m_question.clear();
    if (choice == QMessageBox::Save) {
        if (m_button != m_stored)
            save();
        if (m_button == m_stored) // otherwise the sheet stays, with the store's reason
            QDialog::done(Accepted);
    } else if (choice == QMessageBox::Discard) {
        if (discardChanges())
            QDialog::done(Rejected);
    }
}

bool EditButtonSheet::discardChanges()
{
    m_typingSave.stop();
    if (m_stored != m_original && !report(m_pad.updateButton(m_original)))
        return false;
    m_button = m_original;
    m_stored = m_original;
    m_draft = ButtonKindDraft::of(m_original);
    refresh();
    refreshKind();
    return true;
}

void EditButtonSheet::saveForQuit()
{
    m_quitting = true;
    delete m_question.data();
    if (m_loaded && m_button != m_stored)
        save();
}

void EditButtonSheet::keepAndClose()
{
    saveForQuit();
    QDialog::done(Accepted);
}

void EditButtonSheet::openOnColorDialog()
{
    const QColor color = QColorDialog::getColor(colorFromHex(m_draft.onColorHex), this, kOnColor);
    if (color.isValid())
        setOnColor(color);
}

void EditButtonSheet::openColorDialog()
{
    const QColor color = QColorDialog::getColor(colorFromHex(m_button.colorHex), this, kColorWell);
    if (color.isValid())
        setColor(color);
}

} // namespace hb
