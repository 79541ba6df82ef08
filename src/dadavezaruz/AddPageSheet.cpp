#include "dadavezaruz/AddPageSheet.h"

#include "common/FormSection.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kTitle = u"New Page"_s;
const QString kPageName = u"Page Name"_s;
const QString kPlaceholder = u"e.g. Resolve, OBS, Custom\u2026"_s;
const QString kAdd = u"Add"_s;

} // namespace

AddPageSheet::AddPageSheet(QWidget *parent) : QDialog(parent), m_name(new QLineEdit), m_add(nullptr)
{
    setWindowTitle(kTitle);
    m_name->setObjectName(u"pageName"_s);
    m_name->setPlaceholderText(kPlaceholder);
    m_name->setAccessibleName(kPageName);
    m_name->setMinimumWidth(320);
    auto *section = new FormSection(kPageName);
    section->body()->addWidget(m_name);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(u"cancelButton"_s);
    cancel->setAutoDefault(false);
    m_add = buttons->addButton(kAdd, QDialogButtonBox::AcceptRole);
    m_add->setObjectName(u"addButton"_s);
    m_add->setDefault(true);
    m_add->setEnabled(false);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(16);
    layout->addWidget(section);
    layout->addStretch(1);
    layout->addWidget(buttons);

    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_add->setEnabled(isAcceptableName(text)); });
    connect(buttons, &QDialogButtonBox::accepted, this, &AddPageSheet::add);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool AddPageSheet::isAcceptableName(const QString &name)
{
    return !name.trimmed().isEmpty();
}

QString AddPageSheet::name() const
{
    return m_name->text();
}

void AddPageSheet::add()
{
    if (!isAcceptableName(name()))
        return;
    Q_EMIT nameChosen(name());
    accept();
}

} // namespace hb
