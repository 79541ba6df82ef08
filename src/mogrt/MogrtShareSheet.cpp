#include "mogrt/MogrtShareSheet.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace hb {

MogrtShareSheet::MogrtShareSheet(const QString &path, QWidget *parent)
    : QDialog(parent), m_path(path)
{
    setWindowTitle(QFileInfo(path).fileName());
    auto *label = new QLabel(QDir::toNativeSeparators(path), this);
    label->setObjectName(QStringLiteral("sharePath"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setWordWrap(true);
    label->setMinimumWidth(420);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *openFolder =
        buttons->addButton(QStringLiteral("Open Folder"), QDialogButtonBox::ActionRole);
    QPushButton *copyPath =
        buttons->addButton(QStringLiteral("Copy Path"), QDialogButtonBox::ActionRole);
    openFolder->setObjectName(QStringLiteral("openFolderButton"));
    copyPath->setObjectName(QStringLiteral("copyPathButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(openFolder, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_path).absolutePath()));
    });
    connect(copyPath, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(QDir::toNativeSeparators(m_path)); });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(12);
    layout->addWidget(label);
    layout->addWidget(buttons);
}

} // namespace hb
