#include "app/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace hb {
namespace {

QString resourceText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QPlainTextEdit *textPage(const QString &text, const QString &name, QWidget *parent)
{
    auto *page = new QPlainTextEdit(text, parent);
    page->setReadOnly(true);
    page->setObjectName(name);
    page->setAccessibleName(name == u"aboutLicence"_s ? u"Licence"_s : u"Notices"_s);
    page->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return page;
}

} // namespace

QString AboutDialog::licenceText()
{
    return resourceText(u":/about/LICENSE"_s);
}

QString AboutDialog::noticesText()
{
    return resourceText(u":/about/NOTICE"_s) + u"\n\n"_s +
           resourceText(u":/about/resources/icons/LICENSE"_s);
}

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"aboutDialog"_s);
    setWindowTitle(u"About Huebench"_s);

    auto *icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(64, 64));
    auto *title = new QLabel(u"Huebench"_s, this);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto *version = new QLabel(u"Version %1"_s.arg(QCoreApplication::applicationVersion()), this);
    version->setObjectName(u"aboutVersion"_s);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *summary = new QLabel(u"A desktop toolkit for colourists, editors and post-production "
                               u"staff. Released under the MIT licence."_s,
                               this);
    summary->setWordWrap(true);

    auto *tabs = new QTabWidget(this);
    tabs->addTab(textPage(licenceText(), u"aboutLicence"_s, tabs), u"Licence"_s);
    tabs->addTab(textPage(noticesText(), u"aboutNotices"_s, tabs), u"Notices"_s);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *heading = new QHBoxLayout;
    heading->addWidget(icon);
    auto *names = new QVBoxLayout;
    names->addWidget(title);
    names->addWidget(version);
    heading->addLayout(names, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(summary);
    layout->addWidget(tabs, 1);
    layout->addWidget(buttons);
    resize(600, 460);
}

} // namespace hb
