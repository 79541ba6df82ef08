#pragma once

#include "common/Expected.h"
#include "converters/DocToSRTImport.h"

#include <QWidget>

class QAction;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace hb {

class Settings;
class SubtitleImportJob;

// Turns a Word transcript into subtitles: pick or drop a .doc or .docx file, see its text and
// the SubRip subtitles with the cues that read too fast marked, copy them or save them as .srt
// or .vtt. The text is kept, so a new frame rate converts it again without reading the file.
// With settings, the last document, frame rate and reading-speed limit come back after a
// restart. Closing the screen during a read gives up on it without waiting.
class DocToSRTView : public QWidget {
    Q_OBJECT

public:
    explicit DocToSRTView(Settings *settings = nullptr, QWidget *parent = nullptr);
    ~DocToSRTView() override;

    // Reads the document in the background; the screen shows the result when it is done.
    void importDocument(const QString &path);
    bool isImporting() const;

    QString selectedFileName() const { return m_selectedFileName; }
    QString inputPreview() const;
    QString outputSRT() const { return m_outputSRT; }
    QString errorMessage() const { return m_errorMessage; }

    void copySRT();
    // Write the subtitles as UTF-8 without a byte-order mark; false, with the reason shown,
    // when that fails.
    bool saveSRT(const QString &path);
    bool saveVTT(const QString &path);

Q_SIGNALS:
    void importFinished();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QWidget *buildSource();
    QWidget *buildPreview();
    QWidget *buildOutput();
    bool hasSubtitles() const;
    void chooseFile();
    void chooseSaveFile(SubtitleFormat format);
    void openInDefaultApp();
    void showResult(const Expected<DocToSRTResult> &result);
    void frameRateChosen(int index);
    void speedLimitChanged(int charactersPerSecond);
    // Converts the kept text at the chosen frame rate and shows the subtitles.
    void convertText();
    void showSubtitles();
    void markReadingSpeed();
    bool save(const QString &path, const QString &text);
    void setErrorMessage(const QString &text);
    void setStatus(const QString &text);

    QString m_selectedFileName;
    QString m_text; // the whole extracted text
    SubtitleCues m_cues;
    QString m_outputSRT;
    QString m_errorMessage;
    QString m_suggestedName;         // for "Save SRT…", without the suffix
    SubtitleOptions m_options;       // as chosen on the screen
    SubtitleOptions m_importOptions; // of the running read

    QPushButton *m_choose = nullptr;
    QLabel *m_fileName = nullptr;
    QComboBox *m_frameRate = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_readingSpeed = nullptr;
    QPlainTextEdit *m_problems = nullptr;
    QLabel *m_error = nullptr;
    QPlainTextEdit *m_preview = nullptr;
    QSpinBox *m_speedLimit = nullptr;
    QPlainTextEdit *m_output = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_share = nullptr;
    QList<QAction *> m_outputActions; // usable only when there are subtitles
    SubtitleImportJob *m_job = nullptr;
    Settings *m_settings = nullptr;
};

} // namespace hb
