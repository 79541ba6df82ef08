#include "prep/PrepTaskDetailView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ToggleSwitch.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepGrowingTextEdit.h"
#include "prep/PrepScreenHeader.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"Task"_s;
const QString kTaskSection = u"Task"_s;
const QString kTitleField = u"Title"_s;
const QString kDoneSwitch = u"Done"_s;
const QString kNotesSection = u"Notes"_s;
const QString kDetailsField = u"Details"_s;
const QString kSave = u"Save"_s;
const QString kSaveFailed = u"Could not save the task: "_s;

constexpr int kDetailsMinimumLines = 4;
constexpr int kDetailsMaximumLines = 12;

} // namespace

PrepTaskDetailView::PrepTaskDetailView(PrepChecklist &checklist, const PrepTask &task,
                                       QWidget *parent)
    : QWidget(parent), m_checklist(checklist), m_taskId(task.id),
      m_header(new PrepScreenHeader(kTitle)), m_title(new QLineEdit(task.title)),
      m_done(new ToggleSwitch(kDoneSwitch)),
      m_details(new PrepGrowingTextEdit(kDetailsMinimumLines, kDetailsMaximumLines))
{
    setWindowTitle(kTitle);

    auto *save = new QPushButton(kSave);
    save->setObjectName(u"saveButton"_s);
    save->setShortcut(QKeySequence::Save);
    save->setToolTip(
        u"Save (%1)"_s.arg(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
    m_header->addAction(save);
    m_header->enableBack(this);

    m_title->setObjectName(u"titleField"_s);
    m_title->setPlaceholderText(kTitleField);
    m_title->setAccessibleName(kTitleField);
    m_done->setObjectName(u"doneSwitch"_s);
    m_done->setChecked(task.isDone);
    m_details->setObjectName(u"detailsField"_s);
    m_details->setPlaceholderText(kDetailsField);
    m_details->setAccessibleName(kDetailsField);
    m_details->setPlainText(task.details);

    auto *taskSection = new FormSection(kTaskSection);
    taskSection->body()->addWidget(m_title);
    taskSection->body()->addWidget(m_done);
    auto *notesSection = new FormSection(kNotesSection);
    notesSection->body()->addWidget(m_details);

    auto *backdrop = new Backdrop;
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(24, 20, 24, 20);
    content->setSpacing(18);
    content->addWidget(m_header);
    content->addWidget(taskSection);
    content->addWidget(notesSection);
    content->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    setTabOrder(m_title, m_done);
    setTabOrder(m_done, m_details);
    setTabOrder(m_details, save);
    setFocusProxy(m_title);

    connect(save, &QPushButton::clicked, this, &PrepTaskDetailView::save);
    connect(m_header, &PrepScreenHeader::backRequested, this, &PrepTaskDetailView::closeRequested);
}

QString PrepTaskDetailView::errorText() const
{
    return m_header->errorText();
}

void PrepTaskDetailView::save()
{
    const Expected<Done> saved = m_checklist.saveTaskEdits(
        m_taskId, m_title->text(), m_details->toPlainText(), m_done->isChecked());
    if (!saved) {
        m_header->setErrorText(kSaveFailed + saved.error().description);
        return;
    }
    Q_EMIT closeRequested();
}

} // namespace hb
