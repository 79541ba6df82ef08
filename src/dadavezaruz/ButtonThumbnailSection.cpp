#include "dadavezaruz/ButtonThumbnailSection.h"

#include "dadavezaruz/SheetControls.h"
#include "dadavezaruz/ShortcutButtonCell.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kThumbnailSection = u"Custom Thumbnail"_s;
const QString kChoosePhoto = u"Choose Image…"_s;
const QString kReplaceImage = u"Replace Image"_s;
const QString kImageInUse = u"Custom image in use"_s;
const QString kRemoveImage = u"Remove Custom Image"_s;
const QString kImageNote =
    u"Square PNG or JPEG images work best. The image replaces the icon on this button."_s;
const QString kImageFilter = u"PNG or JPEG images (*.png *.jpg *.jpeg)"_s;

constexpr int kPreviewSize = 40;

} // namespace

ButtonThumbnailSection::ButtonThumbnailSection(QWidget *parent)
    : FormSection(kThumbnailSection, parent)
{
    m_imageInUse = new QWidget;
    m_imageInUse->setObjectName(u"imageInUse"_s);
    m_preview = new QLabel(m_imageInUse);
    m_preview->setFixedSize(kPreviewSize, kPreviewSize);
    auto *inUse = new QHBoxLayout(m_imageInUse);
    inUse->setContentsMargins(0, 0, 0, 0);
    inUse->setSpacing(10);
    inUse->addWidget(m_preview);
    inUse->addWidget(new QLabel(kImageInUse, m_imageInUse), 1);

    m_choose = SheetControls::formButton(kChoosePhoto, u"chooseImageButton"_s);
    m_remove = SheetControls::formButton(kRemoveImage, u"removeImageButton"_s);
    SheetControls::makeDestructive(m_remove);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addWidget(m_choose);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    body()->addWidget(m_imageInUse);
    body()->addLayout(buttons);
    body()->addWidget(SheetControls::noteLabel(kImageNote));
    connect(m_choose, &QPushButton::clicked, this, &ButtonThumbnailSection::openImagePicker);
    connect(m_remove, &QPushButton::clicked, this, &ButtonThumbnailSection::removeRequested);
}

void ButtonThumbnailSection::setImage(const std::optional<QByteArray> &bytes)
{
    const bool hasImage = bytes.has_value();
    m_choose->setText(hasImage ? kReplaceImage : kChoosePhoto);
    m_imageInUse->setVisible(hasImage);
    m_remove->setVisible(hasImage);
    const QImage image = hasImage ? ShortcutButtonCell::thumbnail(*bytes) : QImage();
    if (image.isNull()) {
        m_preview->clear();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QPixmap preview = QPixmap::fromImage(image.scaled(
        QSize(kPreviewSize, kPreviewSize) * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    preview.setDevicePixelRatio(ratio);
    m_preview->setPixmap(preview);
}

void ButtonThumbnailSection::openImagePicker()
{
    // The picker belongs to the sheet, as the sheet's other dialogs do.
    const QString path = QFileDialog::getOpenFileName(
        window(), kChoosePhoto, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        kImageFilter);
    if (!path.isEmpty())
        Q_EMIT imageChosen(path);
}

} // namespace hb
