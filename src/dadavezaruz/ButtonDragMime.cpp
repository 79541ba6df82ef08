#include "dadavezaruz/ButtonDragMime.h"

#include <QMimeData>

namespace hb {

using namespace Qt::StringLiterals;

const QString ButtonDragMime::kMimeType = u"application/x-huebench-button"_s;

QMimeData *ButtonDragMime::make(qint64 buttonId)
{
    auto *data = new QMimeData;
    data->setData(kMimeType, QByteArray::number(buttonId));
    return data;
}

std::optional<qint64> ButtonDragMime::buttonId(const QMimeData *data)
{
    if (!data || !data->hasFormat(kMimeType))
        return std::nullopt;
    bool ok = false;
    const qint64 id = data->data(kMimeType).toLongLong(&ok);
    if (!ok || id <= 0)
        return std::nullopt;
    return id;
}

} // namespace hb
