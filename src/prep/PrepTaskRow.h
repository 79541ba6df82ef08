#pragma once

#include "prep/PrepRecords.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace hb {

class PrepClampedLabel;

// One row of a project's checklist: the status symbol, the title (struck through when done)
// with up to two lines of details below it, and a button that ticks the task off or back on.
class PrepTaskRow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kDetailsLines = 2;

    explicit PrepTaskRow(const PrepTask &task, QWidget *parent = nullptr);

    const PrepTask &task() const { return m_task; }
    // "checkmark.circle.fill" for a done task, else "circle".
    QString symbolName() const;
    QLabel *titleLabel() const { return m_title; }
    PrepClampedLabel *detailsLabel() const { return m_details; }
    QPushButton *toggleButton() const { return m_toggle; }

Q_SIGNALS:
    void toggleRequested(qint64 taskId);

private:
    PrepTask m_task;
    QLabel *m_symbol;
    QLabel *m_title;
    PrepClampedLabel *m_details;
    QPushButton *m_toggle;
};

} // namespace hb
