#include "dadavezaruz/PadLayoutTransfer.h"

#include "dadavezaruz/ShortcutPad.h"
#include "platform/store/ModelStore.h"

#include <QRegularExpression>
#include <QSet>

namespace hb {

using namespace Qt::StringLiterals;

Expected<QList<PadLayoutPage>> PadLayoutTransfer::exportPages(const ShortcutPad &pad,
                                                              std::optional<qint64> onlyPage)
{
    const auto stored = pad.pages();
    if (!stored)
        return stored.error();
    QList<PadLayoutPage> pages;
    for (const ShortcutPage &page : *stored) {
        if (onlyPage && page.id != *onlyPage)
            continue;
        auto buttons = pad.buttons(page.id);
        if (!buttons)
            return buttons.error();
        for (ShortcutButton &button : *buttons) {
            button.id = 0;
            button.page = 0;
        }
        pages.append({page.name, std::move(buttons).value()});
    }
    if (onlyPage && pages.isEmpty())
        return Error::make(PadLayoutTransferError::NoSuchPage, u"This page no longer exists."_s);
    // A file that this program would refuse to import is not written at all.
    if (auto checked = PadLayoutFile::check(pages); !checked)
        return checked.error();
    return pages;
}

QString PadLayoutTransfer::freeName(const QString &name, const QStringList &taken)
{
    const QSet<QString> names(taken.cbegin(), taken.cend());
    if (!names.contains(name))
        return name;
    // "Resolve 2" goes on as "Resolve 3", not "Resolve 2 2".
    static const QRegularExpression numbered(u"^(.*\\S) ([1-9][0-9]{0,5})$"_s);
    QString base = name;
    qsizetype number = 2;
    if (const QRegularExpressionMatch match = numbered.match(name); match.hasMatch()) {
        base = match.captured(1);
        number = match.captured(2).toLongLong() + 1;
    }
    // At most taken.size() + 1 tries: each taken name rules out one number.
    for (;; ++number) {
        QString candidate = u"%1 %2"_s.arg(base).arg(number);
        if (!names.contains(candidate))
            return candidate;
    }
}

Expected<QStringList> PadLayoutTransfer::importPages(ModelStore &store,
                                                     const QList<PadLayoutPage> &pages)
{
    if (auto checked = PadLayoutFile::check(pages); !checked)
        return checked.error();
    const ShortcutPad pad(store);
    QStringList given;
    const auto written = store.write([&](QSqlDatabase &db) -> Expected<Done> {
        // Read inside the transaction, so that the names are those the pages join.
        const auto existing = pad.pages();
        if (!existing)
            return existing.error();
        QStringList taken;
        for (const ShortcutPage &page : *existing)
            taken.append(page.name);
        for (const PadLayoutPage &page : pages) {
            const QString name = freeName(page.name, taken);
            const auto added = ShortcutPad::addPageIn(db, name, page.buttons);
            if (!added)
                return added.error();
            taken.append(name);
            given.append(name);
        }
        return Done{};
    });
    if (!written)
        return written.error();
    return given;
}

} // namespace hb
