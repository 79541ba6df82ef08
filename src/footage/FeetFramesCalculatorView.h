#pragma once

#include "footage/FeetFrames.h"
#include "footage/FeetFramesInput.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace hb {

// The "Feet & Frames" screen: a film gauge, a frame rate and a length entered one of four ways,
// shown in all four forms at once. The outputs follow every keystroke; the inputs are brought
// into range when the gauge or the frame rate changes and when a field is submitted. The state
// starts afresh with each screen and is not stored.
class FeetFramesCalculatorView : public QWidget {
    Q_OBJECT

public:
    static constexpr int kColumnMaximumWidth = 720;
    static constexpr int kFieldWidth = 140;

    explicit FeetFramesCalculatorView(QWidget *parent = nullptr);
    ~FeetFramesCalculatorView() override;

    const FeetFramesState &state() const { return m_state; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *buildSettingsSection();
    QWidget *buildInputSection();
    QWidget *buildOutputSection();
    QLineEdit *buildField(FeetFramesInput input);
    void setFormat(int index);
    void setFps(int fps);
    void setMode(int index);
    void onTextEdited(FeetFramesInput input, const QString &text);
    // Brings the inputs into range and shows them again.
    void normalise();
    void showInputs();
    void showOutput();
    void arrangeTabOrder();

    FeetFramesState m_state;
    QComboBox *m_format = nullptr;
    QSpinBox *m_fps = nullptr;
    QComboBox *m_mode = nullptr;
    std::array<QLineEdit *, kFeetFramesInputCount> m_fields{};
    std::array<QWidget *, kInputModes.size()> m_inputPages{};
    QLabel *m_totalFrames = nullptr;
    QLabel *m_feetFrames = nullptr;
    QLabel *m_timecode = nullptr;
    QLabel *m_meters = nullptr;
};

} // namespace hb
