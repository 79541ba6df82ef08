#pragma once

#include <QPlainTextEdit>

namespace hb {

// A multi-line text field that grows with its text: never shorter than `minimumLines` lines,
// never taller than `maximumLines` (it scrolls from there). Tab moves the focus on rather than
// typing a tab, as in the other fields of a form.
class PrepGrowingTextEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    PrepGrowingTextEdit(int minimumLines, int maximumLines, QWidget *parent = nullptr);

    // The number of text lines the field is tall enough for now.
    int visibleLines() const;
    // The field's height for that many lines of text.
    int heightForLines(int lines) const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitHeight();

    int m_minimumLines;
    int m_maximumLines;
    int m_lines = 0;
};

} // namespace hb
