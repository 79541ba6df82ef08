#include "prep/NewPrepProjectView.h"

#include "common/Backdrop.h"
#include "common/FormSection.h"
#include "prep/PrepChecklist.h"
#include "prep/PrepGrowingTextEdit.h"
#include "prep/PrepScreenHeader.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

const QString kTitle = u"New Project"_s;
const QString kSection = u"Project"_s;
const QString kName = u"Name"_s;
const QString kNotes = u"Notes"_s;
const QString kCreate = u"Create"_s;
const QString kCancel = u"Cancel"_s;
const QString kCreateFailed = u"Could not create the project: "_s;

constexpr int kNotesMinimumLines = 3;
constexpr int kNotesMaximumLines = 6;

// The dynamic property of the parent widget that holds an unfinished sheet's name and notes.
constexpr char kDraftProperty[] = "hb.prep.newProjectDraft";

} // namespace

NewPrepProjectView::NewPrepProjectView(PrepChecklist &checklist, QWidget *parent)
    : QDialog(parent), m_checklist(checklist), m_header(new PrepScreenHeader(kTitle)),
      m_name(new QLineEdit),
      m_notes(new PrepGrowingTextEdit(kNotesMinimumLines, kNotesMaximumLines))
{
    setWindowTitle(kTitle);
    setModal(true);

    m_name->setObjectName(u"nameField"_s);
    m_name->setPlaceholderText(kName);
    m_name->setAccessibleName(kName);
    m_name->setMinimumWidth(360);
    m_notes->setObjectName(u"notesField"_s);
    m_notes->setPlaceholderText(kNotes);
    m_notes->setAccessibleName(kNotes);
    auto *section = new FormSection(kSection);
    section->body()->addWidget(m_name);
    section->body()->addWidget(m_notes);

    auto *buttons = new QDialogButtonBox;
    QPushButton *cancel = buttons->addButton(kCancel, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    m_create = buttons->addButton(kCreate, QDialogButtonBox::AcceptRole);
    m_create->setObjectName(u"createButton"_s);
    m_create->setDefault(true);
    m_create->setEnabled(false);

    auto *backdrop = new Backdrop;
    auto *content = new QVBoxLayout(backdrop);
    content->setContentsMargins(20, 18, 20, 18);
    content->setSpacing(16);
    content->addWidget(m_header);
    content->addWidget(section);
    content->addStretch(1);
    content->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(backdrop);

    setTabOrder(m_name, m_notes);
    setTabOrder(m_notes, m_create);
    setTabOrder(m_create, cancel);
    m_name->setFocus();

    if (parent) {
        const QStringList draft = parent->property(kDraftProperty).toStringList();
        if (draft.size() == 2) {
            m_name->setText(draft[0]);
            m_notes->setPlainText(draft[1]);
            m_create->setEnabled(!draft[0].trimmed().isEmpty());
        }
    }

    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString &name) { m_create->setEnabled(!name.trimmed().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &NewPrepProjectView::create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString NewPrepProjectView::errorText() const
{
    return m_header->errorText();
}

void NewPrepProjectView::create()
{
    if (m_name->text().trimmed().isEmpty())
        return;
    const Expected<PrepProject> created =
        m_checklist.createProject(m_name->text(), m_notes->toPlainText());
    if (!created) {
        m_header->setErrorText(kCreateFailed + created.error().description);
        return;
    }
    accept();
}

void NewPrepProjectView::done(int result)
{
    if (QWidget *opener = parentWidget()) {
        const bool typed =
            !m_name->text().trimmed().isEmpty() || !m_notes->toPlainText().trimmed().isEmpty();
        opener->setProperty(kDraftProperty,
                            result != Accepted && typed
                                ? QVariant(QStringList{m_name->text(), m_notes->toPlainText()})
                                : QVariant());
    }
    QDialog::done(result);
}

} // namespace hb
