#pragma once

#include "core/import/ImportProgress.h"
#include "core/import/RowTask.h"

#include <QString>
#include <utility>
#include <vector>

namespace tovin {

class CatalogueDatabase;

// Deletes the products of the current selection: those of the active search
// ("select * from products where " + SearchWhere), or every product when no search is active.
class DeleteRecords : public RowTask {
public:
    explicit DeleteRecords(QString searchWhere = QString());

    static QString caption();
    // The record source whose rows are deleted.
    QString selection() const;

    // Deletes the rows one by one; the progress callback is told after each. A search text that
    // cannot be used raises its RunTimeError before anything is deleted.
    ImportOutcome run(CatalogueDatabase& db, const ProgressCallback& progress = {});

private:
    ImportOutcome runInSets(CatalogueDatabase& db,
                            const std::vector<std::pair<qint64, QString>>& rows,
                            const ProgressCallback& progress);

    QString m_searchWhere;
};

} // namespace tovin
