#pragma once

// The checklist tables' contents as one hash: what the durability helper prints after each
// change and what its test compares the reopened store with.

#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

inline QByteArray checklistDigest(const QSqlDatabase &db)
{
    using namespace Qt::StringLiterals;
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &sql :
         {u"SELECT * FROM PrepProject ORDER BY id"_s, u"SELECT * FROM PrepTask ORDER BY id"_s}) {
        QSqlQuery query(db);
        if (!query.exec(sql))
            return {};
        while (query.next()) {
            for (int column = 0; column < query.record().count(); ++column)
                hash.addData(QByteArray(query.value(column).toString().toUtf8() + '\x1f'));
            hash.addData("\x1e");
        }
        hash.addData("\x1d");
    }
    return hash.result().toHex();
}
