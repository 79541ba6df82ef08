#pragma once

#include "dadavezaruz/ButtonImageFile.h"
#include "dadavezaruz/ShortcutPad.h"

#include <QDialog>
#include <QTimer>

#include <chrono>

class QLabel;
class QLineEdit;

namespace hb {

class AppTargetPicker;
class ButtonIconSection;
class ButtonThumbnailSection;
class ColorWell;
class KeyComboSection;
struct ShortcutPreset;

// Edits one button of the pad. Every change goes to the store at once (typing after a short
// pause, and before the sheet closes); buttonChanged() follows each stored change. Store
// failures stay on the sheet in a red line.
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
    void setAppTarget(const QString &target);
    // Removes the button, reports it and closes the sheet.
    void deleteButton();

    void done(int result) override;

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
    QWidget *buildTargetSection();
    QWidget *buildDeleteSection();
    QLabel *buildErrorLine();
    void load(qint64 buttonId);
    void refresh();
    void refreshSymbolPreview();
    void textEdited();
    void saveTyping();
    void save();
    bool report(const Expected<Done> &result);
    void showError(const QString &text);
    void openColorDialog();

    ShortcutPad &m_pad;
    ShortcutButton m_button;
    QTimer m_typingSave;

    QWidget *m_form = nullptr;
    QLineEdit *m_label = nullptr;
    ButtonIconSection *m_icon = nullptr;
    ButtonThumbnailSection *m_thumbnail = nullptr;
    ColorWell *m_colorWell = nullptr;
    KeyComboSection *m_keys = nullptr;
    AppTargetPicker *m_target = nullptr;
    QLabel *m_error = nullptr;
};

} // namespace hb
