#pragma once

#include "core/catalogue/CatalogueSchema.h"
#include "core/import/FieldMap.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportOptions.h"
#include "core/import/ImportProgress.h"
#include "core/import/ImportValueRules.h"
#include "core/import/RepeatedStockNumbers.h"
#include "core/margins/MarginSettings.h"
#include "core/margins/MarginSummary.h"
#include "core/storage/ColumnKind.h"
#include "core/storage/StorageConnection.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace tovin {

class CatalogueDatabase;
class Divider;
class BatchedTransaction;
class JournalRun;
class LineSource;
class TextFile;

// Adds and refreshes Products rows from the items of a supplier file, a text file or a database
// table, one item at a time, whatever the items were read from.
//
// Each item is identified by the field mapped to the stock number. An item whose stock number
// is empty, "0" or "99999999" is passed over without being counted; fields 7 and 8 that hold
// only "-" count as empty; with skipDiscontinued an item marked discontinued is passed over.
//
// Found (edit): every mapped, non-empty field is converted (money columns take the leading
// number, yes/no columns "True"/"False") and compared with the stored value; each difference
// adds a change line and takes the new value. A row with changes counts as edited, and its
// Notes get the note, " - Edited This Item" and the change lines, so the user can see what an
// import changed; an empty note puts today's date (MM/DD/YY) in its place. Every found item
// counts as checked.
//
// Not found: passed over with editOnly, otherwise a new row keyed one past the largest PID,
// holding the mapped non-empty values; its Notes get the note and " - Added This Item" when the
// note is not empty. A money column the item gives no number for gets the column's default of 0,
// as every new product's unset money columns do. It counts as added and checked.
//
// A money value without a number is left as it was (a new product's as the default) and named,
// with its line or row, in the outcome and in the run's entry in the journal of runs.
//
// A block added to Notes starts on a line of its own, after the notes stored or imported.
//
// Lookups go through the StockNo index with prepared statements; rows are written with
// prepared statements, in transactions of `commitEvery` items, so an interrupted run leaves
// the items of its finished batches in the catalogue. Items are taken in groups of up to
// GroupSize within one transaction: the group's lookups run together, then its items are
// compared and told to the progress callback one by one, then the group's writes run together
// (a catalogue on a server answers a group in one exchange, and takes its new rows, and its
// edited rows, of the same columns in one statement each). An item the callback stops at is
// the last written, as when each is written before the next is read. A value that a column refuses
// (a word for a number) is reported through ImportOptions::onError, naming the item and the column,
// and left out; an item whose row the catalogue refuses is reported and passed over; the run goes
// on. A failure of the catalogue file itself (read-only, disk full, a lock that does not clear)
// raises a CatalogueFailure and ends the run, keeping the finished batches.
class ProductImporter {
public:
    // Raises a RunTimeError when no field is mapped to the stock number.
    ProductImporter(CatalogueDatabase& db, const FieldMap& map, ImportOptions options);
    ~ProductImporter();
    ProductImporter(const ProductImporter&) = delete;
    ProductImporter& operator=(const ProductImporter&) = delete;

    // The callback told after every item, and the end of its progress bar.
    void setProgress(ProgressCallback progress, qint64 maximum);

    // Adds or edits the row of one item (fields 7 and 8 of `item` may be cleared) and tells the
    // progress callback with `progressValue`, both once the item's group is written (at the
    // latest by finish()). Returns false once the callback has asked to stop: the items given
    // after the one it stopped at are not written.
    bool process(ImportItem& item, qint64 progressValue);

    // Items that share a stock number are taken as one. `repeats`, from a first reading of the
    // file, names them; processInOrder then holds back the earlier items of each until its last
    // comes, and imports that one with its fields laid over theirs. finish() names them.
    void setRepeats(RepeatedStockNumbers repeats) { m_repeats = std::move(repeats); }
    // The positions processInOrder is given are rows of a table, not lines of a file.
    void setPlacesAreRows(bool rows) { m_placesAreRows = rows; }
    // process() for the item at `position` (its line or row, as `repeats` counts them).
    bool processInOrder(ImportItem& item, qsizetype position, qint64 progressValue);
    int stockIndex() const { return m_stockIndex; }

    // The most items looked up and written together.
    static constexpr int GroupSize = 256;

    // Writes the last batch and gives the totals.
    ImportOutcome finish(bool cancelled);

    // The counts as shown.
    ImportCounts counts() const;
    qint64 rowsChecked() const { return m_rowsChecked; }
    qint64 rowsAdded() const { return m_rowsAdded; }
    qint64 rowsEdited() const { return m_rowsEdited; }

    // Imports every item of a text file from line `startLine` on. Items that share a stock
    // number are imported as one when the last of them comes, its fields laid over those of
    // the earlier ones; the outcome names them.
    static ImportOutcome importText(CatalogueDatabase& db, const TextFile& file,
                                    qsizetype startLine, const Divider& divider,
                                    const FieldMap& map, ImportOptions options,
                                    const ProgressCallback& progress);
    // The same for the file at `path`, read in the named encoding (or the one found from its
    // bytes) and streamed: two readings of the file, neither holding more than the item it
    // reads, so a file of any size takes the same memory. Raises error 53 when the file cannot
    // be read.
    static ImportOutcome importFile(CatalogueDatabase& db, const QString& path,
                                    const QString& encodingName, qsizetype startLine,
                                    const Divider& divider, const FieldMap& map,
                                    ImportOptions options, const ProgressCallback& progress);

    // The key of a new product as the inserting statement gives it: NULL lets the counter column
    // choose one past every key it ever gave out, so a deleted product's key is never handed to
    // a new one, and the key is chosen while the write lock is held, so another program adding
    // products between two batches cannot take it.
    static QString nextKeyExpression();
    // What an added row's Notes get: the note and " - Added This Item" with CR LF, or nothing
    // for an empty note.
    static QString addedNote(const QString& note);
    // What an edited row's Notes get: the note (today's date when it is empty), " - Edited This
    // Item", CR LF, then the change lines.
    static QString editedNote(const QString& note, const QDate& today, const QString& changes);

private:
    static constexpr int ColumnCount = CatalogueSchema::ProductsColumn::Count;
    // The most places held with a group, held-back items of repeated stock numbers included.
    static constexpr int MostWaiting = 4 * GroupSize;
    struct Column {
        QString name;
        QString quotedName;
        ColumnKind kind = ColumnKind::Text;
        int selectIndex = -1; // position in the lookup's result, -1 when not read
    };
    struct MappedField {
        int position;
        int code;
    };

    // The two readings of a file from line `startLine`: `first` for the first, then another
    // source from `reopen`.
    ImportOutcome importLines(LineSource first, const std::function<LineSource()>& reopen,
                              qsizetype startLine, const Divider& divider,
                              const ProgressCallback& progress);
    // One item, or a place in the file, waiting in the group.
    struct Waiting {
        enum class Kind {
            ProgressOnly, // an earlier item of a repeated stock number, held back
            PassedOver,   // passed over without a lookup, but counted in its transaction
            Item,
        };
        Kind kind = Kind::ProgressOnly;
        ImportItem item;
        QString stockNumber;
        qint64 progressValue = 0;
        qsizetype place = -1;  // the item's line or row, when processInOrder was told it
        bool lookedUp = false; // false when the lookup was refused
        bool found = false;
        qint64 rowId = 0;
        // The row's stored values, for a found item only: a group's places are made for every
        // line read, most of them new products.
        std::unique_ptr<std::array<QVariant, ColumnCount>> stored;
        enum class Written { Nothing, Added, Edited } written = Written::Nothing;
        // Told once the group is written, in the order of the items.
        QList<RunTimeError> errors;
        // The product as the margin summary counts it, once added or changed.
        std::optional<MarginProduct> margin;
        // The item is passed over for what the catalogue said (`words`).
        void refuse(int number, const QString& words);
    };
    // Whether the item passes through to a lookup (else it is passed over).
    bool takesPart(ImportItem& item) const;
    void addWaiting(Waiting waiting);
    // Looks up, compares and writes the waiting group; false when the callback asked to stop.
    // Its writes are held back to go with the next group's lookups, so that the program
    // compares that group while the catalogue writes this one (see HeldGroup).
    bool writeGroup();
    // Compares the waiting group's items and tells the progress callback of each, from
    // m_compared on; stops at the item the callback stops at.
    void compareWaiting();
    // Looks the waiting group up, with the held group's writes after the lookups, and compares
    // the group once its lookups are answered, and then tells what came of the writes.
    void lookUpGroup();
    // The group's lookups in one run, or one run an item; `together` tells the one-run kind
    // that the catalogue refused it.
    std::vector<StorageConnection::GroupedRun> lookups(bool& refusedTogether);
    // Reads the rows answering the lookups of `items` run together.
    void readTogether(const std::vector<Waiting*>& items, StorageStatement& found);
    void readFound(Waiting& waiting, StorageStatement& found);
    // Reads the stored values of the row `found` stands on.
    void readRow(Waiting& waiting, StorageStatement& found);
    void compare(Waiting& waiting);
    // Takes the compared group's writes (of its first `told` items) into m_held.
    void holdWrites(qsizetype told);
    struct HeldGroup;
    struct RowWrite;
    // Puts rows of the same columns that follow one another into one statement each, after
    // the held group's runs: edits when `edits`, else new rows.
    void holdTogether(HeldGroup& held, std::vector<RowWrite>& rows, bool edits);
    // Writes the held group now, then tells what came of it.
    void sendHeld();
    // Once the group's runs are made: the rows of a refused statement again one by one;
    // then the items' errors and the products added, in the order of the items, each item
    // counted in its transaction.
    void tellHeld(std::unique_ptr<HeldGroup> held);
    // The items still to come before the transaction is committed, those held counted.
    int rowsUntilCommit() const;
    // Passes over the item whose row was refused, uncounting it.
    std::function<void(const StatementRefused&)> refusalOf(Waiting& waiting);
    // A group stops short of a stock number the catalogue may take as one already in it.
    static QString groupKey(const QString& stockNumber);
    // Tells the progress callback; false when it asks to stop.
    bool tellProgress(qint64 progressValue);
    void editRow(const ImportItem& item, qint64 rowId);
    // With keepMargins, moves the selling price of the row being edited with its Cost1 (see
    // ImportOptions::keepMargins); `before` holds Cost1, Retail and Price as stored, and
    // `movedFrom` receives the selling price before a move.
    MarginProduct::Kept keepMargin(const ImportItem& item, const std::array<QVariant, 3>& before,
                                   std::optional<Money>& movedFrom);
    // Whether the item gives a value for column `code`.
    bool gives(const ImportItem& item, int code) const;
    void addRow(const ImportItem& item);
    // The value as the file stores it for column `code`; false (reported) when refused.
    bool toStorage(int code, const QString& value, QVariant& storage);
    // Compares and takes one value for the row being edited.
    void editValue(int code, const QString& raw);
    // A money value without a number: the stored value stays, the value is counted.
    void passOver(int code, const QString& raw);
    void reportError(const RunTimeError& error);
    // An update of `rows` rows of the columns in `mask` and Notes, each row's values in the
    // order of the one-row statement's (the columns, the notes, the row's key).
    StorageStatement& updateStatement(quint32 mask, int rows);
    // An insert of `rows` new rows of the columns in `mask`.
    StorageStatement& insertStatement(quint32 mask, int rows);

    CatalogueDatabase& m_db;
    ImportOptions m_options;
    std::array<Column, ColumnCount> m_columns;
    std::vector<MappedField> m_fields;
    int m_stockIndex = -1;
    RepeatedStockNumbers m_repeats;
    QHash<QString, ImportItem> m_earlier; // merged earlier items of a repeated stock number
    bool m_supplierMapped = false;
    QString m_table;

    std::unique_ptr<StorageStatement> m_find;
    // Where the engine answers many lookups at once: them, with each row's place in the group
    // in column m_placeColumn.
    std::unique_ptr<StorageStatement> m_findEach;
    int m_placeColumn = 0;
    std::unordered_map<quint64, std::unique_ptr<StorageStatement>> m_updates;
    // Where the engine answers many lookups at once (a server), a group's edited rows go in
    // one statement too: sent one by one, each costs the server a statement and its savepoint.
    bool m_editsTogether = false;
    std::unordered_map<quint64, std::unique_ptr<StorageStatement>> m_inserts;
    std::unique_ptr<BatchedTransaction> m_transaction;
    std::vector<Waiting> m_waiting;
    int m_waitingRows = 0; // of them, those counted in their transaction
    QSet<QString> m_waitingKeys;
    qsizetype m_compared = 0; // of them, those compared and told
    bool m_goOn = true;       // the callback has not asked to stop
    // A compared group whose writes wait for the next group's lookups: the catalogue on a
    // server answers the lookups first and writes the group while the program compares the
    // next. Never held past the end of its transaction (another program may write between
    // two), nor when the next group holds a stock number the catalogue may take as one of
    // its own (the lookup must find what the group adds).
    struct HeldGroup {
        std::vector<Waiting> waiting; // the items, which the runs' callbacks point to
        qsizetype told = 0;
        int rows = 0; // of the told, those counted in their transaction
        QSet<QString> keys;
        // The updates, then the inserts; once sent, after the next group's lookups.
        std::vector<StorageConnection::GroupedRun> runs;
        size_t firstSpan = 0; // the run of the first span
        struct Span {
            std::vector<Waiting*> items; // the rows of one statement, in order
            quint32 mask = 0;
            bool edits = false; // updated rows, else new ones
            bool refused = false;
        };
        std::vector<Span> spans; // one for each run from firstSpan on
    };
    std::unique_ptr<HeldGroup> m_held;
    std::vector<Waiting> m_spare; // a held group's places, emptied, for the next group
    std::vector<StorageConnection::GroupedRun> m_writes; // the compared group's updates
    struct RowWrite {
        Waiting* waiting;
        quint32 mask;
        std::vector<QVariant> values;
    };
    std::vector<RowWrite> m_edited; // or, with m_editsTogether, its edited rows
    std::vector<RowWrite> m_added;  // and its new rows
    Waiting* m_writing = nullptr;   // the item whose row is being compared
    bool m_stopped = false;
    std::unique_ptr<JournalRun> m_run; // none for a trial run, which keeps nothing

    // Per item: the stored values read by the lookup, the values to write and which columns.
    std::array<QVariant, ColumnCount> m_current;
    std::array<QVariant, ColumnCount> m_write;
    quint32 m_mask = 0;
    QString m_changes;
    QString m_stockNumber; // of the item being written, for the error reports

    qint64 m_rowsChecked = 0;
    qint64 m_rowsAdded = 0;
    qint64 m_rowsEdited = 0;
    int m_errors = 0;
    qint64 m_passedOver = 0;
    QStringList m_passedOverNamed; // the first ImportReport::Kept of them
    qsizetype m_place = -1;        // of the item processInOrder hands to process()
    bool m_placesAreRows = false;

    MarginSettings m_margins;
    MarginSummary m_summary;

    ProgressCallback m_progressCallback;
    ImportProgress m_progress;
};

} // namespace tovin
