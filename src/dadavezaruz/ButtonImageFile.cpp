#include "dadavezaruz/ButtonImageFile.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace hb {
namespace {

using namespace Qt::StringLiterals;

const QString kImageTooLarge = u"This image is larger than 10 MB. Choose a smaller PNG or JPEG."_s;
const QString kImageUnreadable = u"This file could not be read: "_s;
const QString kImageWrongKind = u"This file is not a PNG or JPEG image."_s;

Error imageError(ButtonImageError code, const QString &description)
{
    return Error::make(code, description);
}

} // namespace

Expected<QByteArray> ButtonImageFile::read(const QString &path)
{
    QFile file(path);
    if (QFileInfo(file).size() > kMaxBytes)
        return imageError(ButtonImageError::TooLarge, kImageTooLarge);
    if (!file.open(QIODevice::ReadOnly))
        return imageError(ButtonImageError::Unreadable, kImageUnreadable + file.errorString());
    // One byte past the limit tells a file that grew since it was measured.
    QByteArray bytes = file.read(kMaxBytes + 1);
    if (bytes.size() > kMaxBytes)
        return imageError(ButtonImageError::TooLarge, kImageTooLarge);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if ((format != "png" && format != "jpeg") || reader.read().isNull())
        return imageError(ButtonImageError::WrongKind, kImageWrongKind);
    return bytes;
}

} // namespace hb
