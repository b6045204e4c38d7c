#include "core/import/DeleteRecords.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/RecordSet.h"
#include "core/import/ImportMessages.h"
#include "core/journal/JournalRun.h"
#include "core/journal/ServerSets.h"
#include "core/storage/CatalogueFailure.h"

#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

DeleteRecords::DeleteRecords(QString searchWhere)
    : RowTask(u"Delete"_s, Writes::Whole), m_searchWhere(std::move(searchWhere)) {}

QString DeleteRecords::caption() {
    return ImportMessages::deleteCaption();
}

QString DeleteRecords::selection() const {
    return m_searchWhere.isEmpty() ? u"Products"_s : ImportMessages::deleteSelection(m_searchWhere);
}

ImportOutcome DeleteRecords::run(CatalogueDatabase& db, const ProgressCallback& progress) {
    // The rows and their stock numbers (to name a row that could not be deleted).
    std::vector<std::pair<qint64, QString>> rows;
    {
        RecordSet selected;
        selected.open(selection(), db);
        const int stockNo = selected.fieldIndex(u"StockNo"_s);
        rows.reserve(size_t(selected.recordCount()));
        for (int i = 0; i < selected.recordCount(); ++i)
            rows.emplace_back(selected.bookmarkAt(i),
                              stockNo < 0 ? QString() : selected.valueAt(i, stockNo).toString());
    }

    if (ServerSets::apply(db))
        return runInSets(db, rows, progress);
    const std::unique_ptr<StorageStatement> remove =
        db.prepare(u"DELETE FROM Products WHERE rowid = ?"_s);
    ImportProgress report;
    report.maximum = qint64(rows.size());
    int deleted = 0;
    Run run(*this, db, progress, JournalRun::Delete, selection());
    for (const auto& row : rows) {
        const qint64 rowId = qint64(row.first);
        run.step(row.second, [&] {
            remove->bind(1, rowId);
            remove->next();
            remove->reset();
            ++deleted;
        });
        ++report.value;
        report.counts.deleted = deleted;
        report.status = ImportMessages::deleteProgress(deleted);
        if (!run.tell(report))
            break;
    }
    return run.finish(report.counts, ImportMessages::deleteTotal(deleted));
}

// On a server each row deleted alone costs a round trip: the rows go a set at a time, in one
// statement. The progress is told of each row before its set goes, and the row it stops at is
// the last one deleted. A set the server refuses goes again row by row, each refused row told
// and passed over as alone.
ImportOutcome DeleteRecords::runInSets(CatalogueDatabase& db,
                                       const std::vector<std::pair<qint64, QString>>& rows,
                                       const ProgressCallback& progress) {
    const std::unique_ptr<StorageStatement> removeSet =
        db.prepare(u"DELETE FROM Products WHERE rowid = ANY(CAST(? AS bigint[]))"_s);
    const std::unique_ptr<StorageStatement> removeOne =
        db.prepare(u"DELETE FROM Products WHERE rowid = ?"_s);
    ImportProgress report;
    report.maximum = qint64(rows.size());
    int deleted = 0;
    Run run(*this, db, progress, JournalRun::Delete, selection());
    bool going = true;
    for (size_t from = 0; going && from < rows.size(); from += ServerSets::RowsPerStatement) {
        const size_t end = std::min(rows.size(), from + size_t(ServerSets::RowsPerStatement));
        std::vector<qint64> keys;
        for (size_t i = from; going && i < end; ++i) {
            keys.push_back(rows[i].first);
            ++report.value;
            report.counts.deleted = deleted + int(keys.size());
            report.status = ImportMessages::deleteProgress(report.counts.deleted);
            going = run.tell(report);
        }
        try {
            removeSet->reset();
            removeSet->bindText(1, ServerSets::keys(keys));
            removeSet->execute();
            removeSet->reset();
            deleted += int(keys.size());
        } catch (const StatementRefused&) {
            removeSet->reset();
            for (size_t i = 0; i < keys.size(); ++i)
                run.step(rows[from + i].second, [&] {
                    removeOne->reset();
                    removeOne->bind(1, keys[i]);
                    removeOne->execute();
                    removeOne->reset();
                    ++deleted;
                });
        }
    }
    report.counts.deleted = deleted;
    return run.finish(report.counts, ImportMessages::deleteTotal(deleted));
}

} // namespace tovin
