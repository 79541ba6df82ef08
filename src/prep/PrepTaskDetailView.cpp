#include "prep/PrepTaskDetailView.h"

#include "common/AppLifecycle.h"
#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "common/ToggleSwitch.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepGrowingTextEdit.h"
#include "prep/PrepScreenHeader.h"

#include <QHideEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
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
const QString kNeedsTitle = u"A task needs a title"_s;
const QString kTitleNeeded = kNeedsTitle + u"."_s;
const QString kTitleKept = kNeedsTitle + u": \u201c%1\u201d was kept."_s;

constexpr int kDetailsMinimumLines = 4;
constexpr int kDetailsMaximumLines = 12;

} // namespace

PrepTaskDetailView::PrepTaskDetailView(PrepChecklist &checklist, const PrepTask &task,
                                       QWidget *parent)
    : QWidget(parent), m_checklist(checklist), m_taskId(task.id), m_storedTitle(task.title),
      m_storedDetails(task.details), m_storedDone(task.isDone),
      m_header(new PrepScreenHeader(kTitle)), m_title(new QLineEdit(task.title)),
      m_done(new ToggleSwitch(kDoneSwitch)),
      m_details(new PrepGrowingTextEdit(kDetailsMinimumLines, kDetailsMaximumLines)),
      m_saveTimer(new QTimer(this))
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

    // Connected after the fields are filled: loading the task is no edit.
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(kSaveDelayMs);
    connect(m_saveTimer, &QTimer::timeout, this, [this] { (void)saveEdits(); });
    connect(m_title, &QLineEdit::textChanged, m_saveTimer, qOverload<>(&QTimer::start));
    connect(m_details, &QPlainTextEdit::textChanged, m_saveTimer, qOverload<>(&QTimer::start));
    connect(m_done, &QAbstractButton::toggled, m_saveTimer, qOverload<>(&QTimer::start));
    connect(&AppLifecycle::instance(), &AppLifecycle::saveRequested, this, [this] {
        if (editsPending())
            (void)saveEdits();
    });

    connect(save, &QPushButton::clicked, this, &PrepTaskDetailView::save);
    connect(m_header, &PrepScreenHeader::backRequested, this, &PrepTaskDetailView::leave);
}

PrepTaskDetailView::~PrepTaskDetailView()
{
    // Being destroyed is the editor going away too; a hidden editor stored its edits then.
    if (isVisible() || editsPending())
        storeOnLeaving();
}

QString PrepTaskDetailView::errorText() const
{
    return m_header->errorText();
}

bool PrepTaskDetailView::editsPending() const
{
    return m_saveTimer->isActive();
}

bool PrepTaskDetailView::titleIsBlank() const
{
    return m_title->text().trimmed().isEmpty();
}

QString PrepTaskDetailView::titleKeptText() const
{
    if (!titleIsBlank())
        return {};
    return m_storedTitle.trimmed().isEmpty() ? kTitleNeeded : kTitleKept.arg(m_storedTitle);
}

Expected<Done> PrepTaskDetailView::saveEdits()
{
    m_saveTimer->stop();
    // A blank title leaves the stored one in place; the rest is stored all the same.
    const QString title = titleIsBlank() ? m_storedTitle : m_title->text().trimmed();
    const QString details = m_details->toPlainText();
    const bool done = m_done->isChecked();
    if (title != m_storedTitle || details != m_storedDetails || done != m_storedDone) {
        if (auto saved = m_checklist.saveTaskEdits(m_taskId, title, details, done); !saved) {
            m_header->setErrorText(kSaveFailed + saved.error().description);
            return saved;
        }
        m_storedTitle = title;
        m_storedDetails = details;
        m_storedDone = done;
    }
    const QString shown = m_header->errorText();
    if (shown.startsWith(kSaveFailed) || (!titleIsBlank() && shown.startsWith(kNeedsTitle)))
        m_header->setErrorText({});
    return Done{};
}

void PrepTaskDetailView::save()
{
    if (!saveEdits())
        return;
    if (titleIsBlank()) {
        m_header->setErrorText(titleKeptText());
        return;
    }
    m_left = true;
    Q_EMIT closeRequested();
}

void PrepTaskDetailView::leave()
{
    if (!saveEdits())
        return; // the error is shown; nothing typed is lost by staying
    m_left = true;
    if (titleIsBlank() && !m_storedTitle.trimmed().isEmpty())
        Q_EMIT failedWhileLeaving(titleKeptText());
    Q_EMIT closeRequested();
}

void PrepTaskDetailView::storeOnLeaving()
{
    const Expected<Done> saved = saveEdits();
    if (m_left)
        return;
    m_left = true;
    if (!saved)
        Q_EMIT failedWhileLeaving(kSaveFailed + saved.error().description);
    else if (titleIsBlank() && !m_storedTitle.trimmed().isEmpty())
        Q_EMIT failedWhileLeaving(titleKeptText());
}

void PrepTaskDetailView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_left = false;
}

void PrepTaskDetailView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A minimised window only stores what waits; a hidden editor is the editor being left.
    if (event->spontaneous()) {
        if (editsPending())
            (void)saveEdits();
        return;
    }
    storeOnLeaving();
}

} // namespace hb
