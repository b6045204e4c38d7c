#pragma once

#include <QString>

class QDateTime;

namespace tovin {

class CatalogueDatabase;

// One batch run in the journal. While it lives, every row its connection adds, changes or
// deletes in the shop's tables is journalled under its number through the connection's change
// capture and written to RunRows when the transaction that made the change commits (see
// JournalBuffer): a run killed part way leaves a journal of exactly the batches it kept. Writes of
// other connections (a screen's own edit, another program) are not journalled.
//
// Made inside the run's first transaction, it writes the Runs row there and drops the runs
// past keeping (see keepRuns/keepDays). A catalogue that cannot be written, or of a layout
// without the journal, gets no journal; a run opened inside another one belongs to it.
class JournalRun {
public:
    // Kinds of runs as the history shows them.
    static inline const QString TextImport = QStringLiteral("text import");
    static inline const QString SupplierFile = QStringLiteral("supplier file");
    static inline const QString AccessTable = QStringLiteral("Access table");
    static inline const QString Folder = QStringLiteral("folder");
    static inline const QString PicturePaths = QStringLiteral("picture paths");
    static inline const QString Delete = QStringLiteral("delete");
    static inline const QString BulkEdit = QStringLiteral("bulk edit");
    static inline const QString Receive = QStringLiteral("receive order");
    static inline const QString Undo = QStringLiteral("undo");

    JournalRun(CatalogueDatabase& db, const QString& kind, const QString& source);
    ~JournalRun();
    JournalRun(const JournalRun&) = delete;
    JournalRun& operator=(const JournalRun&) = delete;

    // The run's number; 0 when this run is not journalled.
    qint64 number() const { return m_number; }
    // Records the run's totals line (in the transaction in progress, the run's last batch).
    void setTotals(const QString& totals);

    // Runs are kept while they are among the last keepRuns() or younger than keepDays() days
    // (settings Journal/KeepRuns and Journal/KeepDays).
    static int keepRuns();
    static int keepDays();

private:
    static void dropOldRuns(CatalogueDatabase& db, const QDateTime& now);

    CatalogueDatabase& m_db;
    qint64 m_number = 0;
};

} // namespace tovin
