#include "core/share/ShareCheck.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/text/Money.h"

#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin::ShareCheck {

Tally tally(CatalogueDatabase& db, const QString& table) {
    Tally result;
    result.table = table;
    QStringList sums;
    for (const ColumnInfo& column : db.columns(table))
        if (column.kind == ColumnKind::Money) {
            // The cast keeps the sum a whole number where the engine would widen it to a
            // decimal type.
            sums << u"CAST(coalesce(sum("_s + CatalogueDatabase::quoteName(column.name) +
                        u"), 0) AS bigint)"_s;
            result.moneySums << qMakePair(column.name, qint64(0));
        }
    const QString sql = u"SELECT count(*)"_s + (sums.isEmpty() ? QString() : u", "_s) +
                        sums.join(u", "_s) + u" FROM "_s + CatalogueDatabase::quoteName(table);
    const auto q = db.prepare(sql);
    q->execute();
    if (q->next()) {
        result.rows = q->integer(0);
        for (int i = 0; i < result.moneySums.size(); ++i)
            result.moneySums[i].second = q->integer(i + 1);
    }
    q->reset();
    return result;
}

std::optional<QString> difference(const Tally& original, const Tally& copy) {
    if (original.rows != copy.rows)
        return u"The copy of the table %1 does not match the original: it has %2 rows where the "
               u"original has %3."_s.arg(original.table)
                   .arg(copy.rows)
                   .arg(original.rows);
    for (int i = 0; i < original.moneySums.size(); ++i) {
        const auto& [column, sum] = original.moneySums.at(i);
        const qint64 copied = i < copy.moneySums.size() ? copy.moneySums.at(i).second : 0;
        if (copied != sum)
            return u"The copy of the table %1 does not match the original: its %2 column adds "
                   u"up to %3 where the original's adds up to %4."_s.arg(
                       original.table, column, Money::fromStored(copied).toText(),
                       Money::fromStored(sum).toText());
    }
    return std::nullopt;
}

} // namespace tovin::ShareCheck
