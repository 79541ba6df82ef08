#include "mogrt/MogrtLibraryRow.h"

#include "mogrt/MogrtLibrary.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hb {

MogrtLibraryRow::MogrtLibraryRow(const LibraryItem &item, QWidget *parent) : QWidget(parent)
{
    auto *name = new QLabel(item.displayName, this);
    name->setTextFormat(Qt::PlainText);
    auto *file = new QLabel(QFileInfo(item.fileURL).fileName(), this);
    file->setTextFormat(Qt::PlainText);
    file->setForegroundRole(QPalette::PlaceholderText);
    QFont small = file->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    file->setFont(small);
    auto *share = new QPushButton(QStringLiteral("Share"), this);
    share->setObjectName(QStringLiteral("shareButton"));
    share->setFocusPolicy(Qt::NoFocus); // the list keeps the keyboard

    auto *text = new QVBoxLayout;
    text->setSpacing(1);
    text->addWidget(name);
    text->addWidget(file);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 5, 8, 5);
    layout->addLayout(text, 1);
    layout->addWidget(share, 0, Qt::AlignVCenter);
    connect(share, &QPushButton::clicked, this, &MogrtLibraryRow::shareRequested);
}

} // namespace hb
