#pragma once

#include "dadavezaruz/ButtonImageFile.h"
#include "dadavezaruz/ButtonKindDraft.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QScrollArea;

namespace hb {

class AppTargetPicker;
class ButtonIconSection;
class ButtonKindSection;
class ButtonThumbnailSection;
class ColorWell;
class FormSection;
class KeyComboSection;
class KeySequenceSection;
class ToggleStateSection;
struct ShortcutPreset;

// Edits one button of the pad: a single key combination, two states (the first state's label,
// colour and keys, and a second's) or a sequence of steps. Trying another kind keeps what was
// typed for the others while the sheet is open; the button is saved as the kind chosen. Every
// change goes to the store at once (typing after a short
// pause, and before the sheet closes); buttonChanged() follows each stored change. Store
// failures stay on the sheet in a red line.
//
// Done keeps the changes. Leaving any other way (Cancel, Escape, closing the window, the pad
// switching page or tool) after something was changed asks whether to discard the changes:
// Save keeps them, Discard puts the button back as it was when the sheet opened, Cancel stays.
// Done also asks when the store refused the last change. When the application ends, the sheet
// writes what it holds and does not ask.
class EditButtonSheet : public QDialog {
    Q_OBJECT

public:
    // Larger image files are refused: the bytes are stored as they are, in the record.
    static constexpr qint64 kMaxImageBytes = ButtonImageFile::kMaxBytes;
    static constexpr std::chrono::milliseconds kTypingPause{300};

    EditButtonSheet(ShortcutPad &pad, qint64 buttonId, QWidget *parent = nullptr);

    qint64 buttonId() const { return m_button.id; }
    // The button as the sheet last stored it.
    const ShortcutButton &button() const { return m_button; }
    // The failure on show, empty when the last change was stored.
    QString errorText() const;
    // What is wrong with the key combination as typed, empty when a server can press it.
    QString keyProblemText() const;

    // The photo picker's choice: stores the file's bytes (see ButtonImageFile) as the button's
    // image. False, with the reason on the sheet, when the file is refused or the store fails.
    bool useImageFile(const QString &path);
    void removeCustomImage();
    void applyPresetChoice(const ShortcutPreset &preset);
    void setColor(const QColor &color);
    // The second state's colour, for a two-state button.
    void setOnColor(const QColor &color);
    void setAppTarget(const QString &target);
    // As the kind's segments do.
    ButtonKind kind() const { return m_draft.kind; }
    void setKind(ButtonKind kind);
    // How deleteButton() removes the button (so that the pad can make it undoable); by default
    // straight from the store.
    using Remover = std::function<Expected<Done>(qint64 buttonId)>;
    void setRemover(Remover remover) { m_remover = std::move(remover); }
    // Stores what is being typed, removes the button, reports it and closes the sheet.
    void deleteButton();

    // Whether the button differs from how it was when the sheet opened, or from the store.
    bool hasChanges() const;
    // The question asked before changes are discarded, while it is open (null otherwise).
    QMessageBox *discardQuestion() const { return m_question; }
    static QString discardQuestionText(const QString &label);

    void done(int result) override;
    // Stores what the sheet holds and closes it without asking, as when the application ends.
    void keepAndClose();

Q_SIGNALS:
    void buttonChanged(qint64 buttonId);
    void buttonDeleted(qint64 buttonId);

private:
    QWidget *buildForm();
    QWidget *buildLabelSection();
    QWidget *buildIconSection();
    QWidget *buildThumbnailSection();
    QWidget *buildColorSection();
    QWidget *buildKeySection();
    QWidget *buildKindSection();
    QWidget *buildToggleSection();
    QWidget *buildSequenceSection();
    QWidget *buildTargetSection();
    QWidget *buildDeleteSection();
    QLabel *buildErrorLine();
    void load(qint64 buttonId);
    void refresh();
    void refreshSymbolPreview();
    // The kind's sections from m_draft, and which of them show.
    void refreshKind();
    void showKind();
    // m_draft from the kind's sections, and the button as saved with it.
    void takeKindFields();
    void kindFieldChanged();
    void textEdited();
    void saveTyping();
    void save();
    bool report(const Expected<Done> &result);
    void showError(const QString &text);
    void openColorDialog();
    void openOnColorDialog();
    void askToDiscard();
    void answerDiscardQuestion(QAbstractButton *answer);
    bool discardChanges();
    void saveForQuit();

    ShortcutPad &m_pad;
    ShortcutButton m_button;
    ShortcutButton m_original; // as the sheet opened
    ShortcutButton m_stored;   // as the store holds it, after the sheet's last successful write
    ButtonKindDraft m_draft;   // the kind chosen, and what is typed for every kind
    bool m_loaded = false;
    bool m_quitting = false;
    QTimer m_typingSave;
    Remover m_remover;
    QPointer<QMessageBox> m_question;

    QScrollArea *m_scroll = nullptr;
    QWidget *m_form = nullptr;
    ButtonKindSection *m_kind = nullptr;
    FormSection *m_labelSection = nullptr;
    FormSection *m_colorSection = nullptr;
    ToggleStateSection *m_toggle = nullptr;
    KeySequenceSection *m_sequence = nullptr;
    QLineEdit *m_label = nullptr;
    ButtonIconSection *m_icon = nullptr;
    ButtonThumbnailSection *m_thumbnail = nullptr;
    ColorWell *m_colorWell = nullptr;
    KeyComboSection *m_keys = nullptr;
    AppTargetPicker *m_target = nullptr;
    QLabel *m_error = nullptr;
};

} // namespace hb
