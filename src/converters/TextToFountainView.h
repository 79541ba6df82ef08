#pragma once

#include "converters/FountainMode.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace hb {

class DraftFile;
class ToggleSwitch;

// The "Text to Fountain" screen: plain text pasted into the input is shown as a Fountain
// screenplay, following the mode and the two switches, and can be copied or saved. The input
// is kept in a draft file, when one is given, and comes back after a restart.
class TextToFountainView : public QWidget {
    Q_OBJECT

public:
    explicit TextToFountainView(const QString &draftPath = {}, QWidget *parent = nullptr);

    FountainMode mode() const;
    bool preserveIndentation() const;
    bool includeTimecodes() const;
    QString inputText() const;
    // The screenplay as shown; a conversion still waiting for a pause in typing is not in it yet.
    QString outputText() const { return m_outputText; }
    QString errorText() const { return m_errorText; }

    // Both first bring the output up to date with the input.
    void copyOutput();
    // Writes the screenplay to `path` as UTF-8 without a byte-order mark, replacing the file as a
    // whole; a failure is shown on the screen. Returns whether the file was written.
    bool saveOutput(const QString &path);

Q_SIGNALS:
    // The output area shows a new conversion.
    void outputChanged();

private:
    QWidget *buildOptionsSection();
    QWidget *buildInputSection();
    QWidget *buildOutputSection();
    void scheduleConversion();
    void convertNow();
    void chooseSaveFile();
    void setErrorText(const QString &text);

    QComboBox *m_mode = nullptr;
    ToggleSwitch *m_preserveIndentation = nullptr;
    ToggleSwitch *m_includeTimecodes = nullptr;
    QPlainTextEdit *m_input = nullptr;
    QPlainTextEdit *m_output = nullptr;
    QLabel *m_autoMode = nullptr;
    QLabel *m_error = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_save = nullptr;
    QTimer *m_debounce = nullptr;
    DraftFile *m_draft = nullptr;
    QString m_outputText;
    QString m_errorText;
};

} // namespace hb
