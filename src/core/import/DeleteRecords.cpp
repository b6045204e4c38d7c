#include "core/import/DeleteRecords.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/RecordSet.h"
#include "core/import/ImportMessages.h"
#include "core/journal/JournalRun.h"

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

} // namespace tovin
