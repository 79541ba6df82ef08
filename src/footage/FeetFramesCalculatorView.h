#pragma once

#include "footage/FeetFrames.h"
#include "footage/FeetFramesInput.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <optional>

class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QToolButton;

namespace hb {

class Settings;

// The "Feet & Frames" screen: a film gauge, a frame rate and a length entered one of four ways,
// shown in all four forms at once, each with a button that copies it. The outputs follow every
// keystroke; the inputs are brought into range when the gauge or the frame rate changes and
// when a field is submitted. Whatever is refused, limited, dropped or carried is told in a note
// below its field. With settings, the inputs are saved as they change and restored on the next
// start.
class FeetFramesCalculatorView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kColumnMaximumWidth = 720;
    static constexpr int kFieldWidth = 140;
    // How long a copy button says it copied.
    static constexpr int kCopiedMilliseconds = 1500;

    explicit FeetFramesCalculatorView(Settings *settings = nullptr, QWidget *parent = nullptr);
    ~FeetFramesCalculatorView() override;

    const FeetFramesState &state() const { return m_state; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildSettingsSection();
    QWidget *buildInputSection();
    QWidget *buildOutputSection();
    void addFieldRow(QGridLayout *rows, FeetFramesInput input, QWidget *control);
    void setUpField(FeetFramesInput input, QLineEdit *edit);
    void fillFrameRates();
    void setFormat(int index);
    void pickFrameRate(int index);
    void setMode(int index);
    void onTextEdited(FeetFramesInput input, const QString &text);
    void onReport(FeetFramesInput input, const QString &note, bool refused);
    void copyOutput(int index);
    // A new step of the user's, in a field or elsewhere: the notes of earlier steps go, except a
    // refusal in that same field.
    void clearNotes(std::optional<FeetFramesInput> typingIn = std::nullopt);
    // Brings the inputs into range, tells what changed and shows them again.
    void normalise();
    void showInputs();
    void showOutput();
    void showNotes();
    void save();
    void arrangeTabOrder();

    Settings *m_settings;
    QString m_savedText;
    FeetFramesState m_state;
    QComboBox *m_format = nullptr;
    QComboBox *m_fps = nullptr;
    QComboBox *m_mode = nullptr;
    std::array<QLineEdit *, kFeetFramesInputCount> m_fields{};
    std::array<QLabel *, kFeetFramesInputCount> m_noteLabels{};
    // What became of the text last typed into a field, why a keystroke in it was refused (kept
    // while typing on in that field), and what the last normalising changed.
    InputNotes m_typedNotes;
    InputNotes m_refusedNotes;
    InputNotes m_appliedNotes;
    std::array<QWidget *, kInputModes.size()> m_inputPages{};
    std::array<QLabel *, 4> m_outputs{};
    std::array<QToolButton *, 4> m_copyButtons{};
    QTimer m_copiedTimer;
};

} // namespace hb
