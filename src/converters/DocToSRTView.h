#pragma once

#include "common/Expected.h"
#include "converters/DocToSRTImport.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QThread;

namespace hb {

class Settings;

// Turns a Word transcript into SubRip subtitles: pick or drop a .doc or .docx file, see its
// text and the subtitles, copy them or save them as an .srt file. With settings, the last
// document chosen is read again when the screen opens after a restart.
class DocToSRTView : public QWidget {
    Q_OBJECT

public:
    explicit DocToSRTView(Settings *settings = nullptr, QWidget *parent = nullptr);
    ~DocToSRTView() override;

    // Reads the document in the background; the screen shows the result when it is done.
    void importDocument(const QString &path);
    bool isImporting() const { return m_worker != nullptr; }

    QString selectedFileName() const { return m_selectedFileName; }
    QString inputPreview() const;
    QString outputSRT() const { return m_outputSRT; }
    QString errorMessage() const { return m_errorMessage; }

    void copySRT();
    // Writes the subtitles as UTF-8 without a byte-order mark; false, with the reason shown,
    // when that fails.
    bool saveSRT(const QString &path);

Q_SIGNALS:
    void importFinished();

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QWidget *buildSource();
    QWidget *buildPreview();
    QWidget *buildOutput();
    void chooseFile();
    void chooseSaveFile();
    void openInDefaultApp();
    void showResult(const Expected<DocToSRTResult> &result);
    void setErrorMessage(const QString &text);
    void setStatus(const QString &text);

    QString m_selectedFileName;
    QString m_outputSRT;
    QString m_errorMessage;
    QString m_suggestedName; // for "Save SRT…"

    QPushButton *m_choose = nullptr;
    QLabel *m_fileName = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_error = nullptr;
    QPlainTextEdit *m_preview = nullptr;
    QPlainTextEdit *m_output = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_share = nullptr;
    QThread *m_worker = nullptr;
    Settings *m_settings = nullptr;
};

} // namespace hb
