#include "common/AtomicFile.h"

#include <QDir>
#include <QSaveFile>

namespace hb {

Expected<Done> writeFileAtomically(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Error{QString::fromLatin1(kFileErrorDomain), int(file.error()),
                     u"Could not save \u201C" + QDir::toNativeSeparators(path) + u"\u201D: " +
                         reason};
    }
    return Done{};
}

} // namespace hb
