#pragma once

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/import/ImportProgress.h"

#include <array>
#include <functional>
#include <vector>

namespace tovin {

class BulkEdit;
class RunTimeError;

// A bulk edit of a catalogue on a server: the rows are read a few thousand at a time, each
// one's values are worked out as on a file, and each set of them is written by one UPDATE that
// takes the values as arrays (see ServerSets). A set the server refuses goes again row by row
// in one exchange, so that the rows it can take are written and each refused one is told and
// passed over, as on a file. The run journals the rows its sets change itself (see
// ServerJournal::note).
class BulkEditSets {
public:
    struct Work {
        const BulkEdit& edit;
        const QList<ColumnInfo>& info;
        const QList<int>& written;
        const std::array<QVariant, CatalogueSchema::ProductsColumn::Count>& fixed;
        QString extension;
        // The statement a row goes by alone: per written column "keep" (1) and the value, then
        // the row's key.
        StorageStatement& oneRow;
        const ProgressCallback& progress;
        const std::function<void(const RunTimeError&)>& onError;
    };

    BulkEditSets(CatalogueDatabase& db, Work work);

    // Edits the rows in this order; the progress callback is told of each row before its set
    // is written, and a row it stops at is the last one written. Returns the rows visited and
    // whether the run was stopped.
    std::pair<qint64, bool> run(const std::vector<qint64>& rows);

private:
    // One row as it goes to the server: per written column whether it keeps its value, and
    // the value it gets otherwise.
    struct Row {
        qint64 key = 0;
        std::vector<bool> keep;
        std::vector<QVariant> values;
        std::vector<QVariant> before; // as stored before the run, for the journal
    };

    QString readStatement() const;
    QString updateStatement() const;
    // Reads the rows of `keys` and works out their values, in the order of `keys`; false when
    // the progress callback stopped the run.
    bool prepareSet(const std::vector<qint64>& keys, std::vector<Row>& set);
    void writeSet(const std::vector<Row>& set);
    void writeOneByOne(const std::vector<Row>& set);
    void journal(const std::vector<Row>& set) const;
    void report(const RunTimeError& error) const;

    CatalogueDatabase& m_db;
    Work m_work;
    std::vector<int> m_read; // the columns read, by position in the read statement
    std::unique_ptr<StorageStatement> m_readRows;
    std::unique_ptr<StorageStatement> m_update;
    qint64 m_visited = 0;
    qint64 m_count = 0;
    ImportProgress m_report;
};

} // namespace tovin
