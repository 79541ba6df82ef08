#pragma once

#include "platform/store/ModelStore.h"

#include <QCryptographicHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace hb::test {

// Every column of every page and button row, ids and blobs included, in id order: equal digests
// mean the pad's records are exactly as they were.
inline QByteArray padDigest(const ModelStore &store)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char *table : {"ShortcutPage", "ShortcutButton"}) {
        QSqlQuery query(store.database());
        if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(QLatin1String(table))))
            return {};
        while (query.next()) {
            for (int column = 0; column < query.record().count(); ++column) {
                const QVariant value = query.value(column);
                const QByteArray bytes =
                    value.isNull() ? QByteArray("\x01null", 5) : value.toByteArray();
                hash.addData(QByteArray(QByteArray::number(bytes.size()) + ':' + bytes));
            }
        }
        hash.addData(QByteArrayView("|"));
    }
    return hash.result().toHex();
}

} // namespace hb::test
