#pragma once

#include <QStringList>
#include <QWidget>

namespace hb {

// Secondary text wrapped to the widget's width and cut after a number of lines, the last line
// shown ends with an ellipsis when text was left out. Its height follows its width.
class PrepClampedLabel : public QWidget {
    Q_OBJECT

public:
    explicit PrepClampedLabel(int maximumLines, QWidget *parent = nullptr);

    // The lines `text` takes at `width` pixels in `font`, at most `maximumLines` of them. Line
    // breaks in the text start new lines.
    static QStringList clampedLines(const QString &text, const QFont &font, int width,
                                    int maximumLines);

    QString text() const { return m_text; }
    void setText(const QString &text);
    // The lines as shown at the current width.
    QStringList shownLines() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_maximumLines;
    QString m_text;
};

} // namespace hb
