#pragma once

#include "core/catalogue/CatalogueDatabase.h"
#include "core/query/Condition.h"
#include "core/query/SelectText.h"
#include "core/storage/ColumnKind.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>
#include <vector>

namespace tovin {

class CatalogueDatabase;

// A client-side, static, updatable view of one SELECT text, with the cursor, filter, sort,
// find and editing operations the screens rely on.
//
// Only the row numbers of the rows are held in order; the values of a row are read when it is
// shown and kept in a small cache, so a set over a hundred thousand products opens at once and
// stays small. Changes are written to the file when the cursor leaves a changed row or by
// update()/updateBatch(), each inside a transaction. A write the file refuses raises a
// RunTimeError, writes nothing and leaves the row pending with the typed values. A row is
// written only while the file still holds it as it was read (its key, and the values of the
// fields being written); a row another screen deleted or changed meanwhile is refused the same
// way. Rows that any connection writes to the same file are read again once that write is
// committed (rowUpdated for each), so a set never shows or writes back values the file no
// longer holds; a row with a pending change keeps what was typed. When such a write adds rows
// the set does not hold or removes rows it does, the set reads its keys again (once for the
// whole write), staying on its row; while a row is being edited or added that waits until the
// row is written, dropped or left. Rows this set added stay at its end until it is requeried.
class RecordSet : public QObject {
    Q_OBJECT
public:
    // Why a row is about to change (the will-change event).
    enum class ChangeReason { AddNew, Delete, Update, UpdateBatch, FirstChange, Move, Requery };
    Q_ENUM(ChangeReason)

    // Special values of absolutePosition(); all negative.
    static constexpr int PositionUnknown = -1;
    static constexpr int PositionBOF = -2;
    static constexpr int PositionEOF = -3;

    using Bookmark = qint64;

    explicit RecordSet(QObject* parent = nullptr);
    ~RecordSet() override;

    // Opens the set over a SELECT text (or a table name) and moves to its first row.
    void open(const QString& source, CatalogueDatabase& connection);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString& source() const { return m_source; }
    CatalogueDatabase* connection() const { return m_db; }
    const QString& tableName() const { return m_table; }

    // Fields.
    int fieldCount() const { return int(m_fields.size()); }
    QString fieldName(int index) const;
    ColumnKind fieldKind(int index) const;
    int fieldIndex(const QString& name) const; // -1 when absent (any letter case)
    // The current row's value (with any pending change); error 3021 without a current row.
    QVariant value(int index) const;
    QVariant value(const QString& name) const;
    // Changes a field of the current row; the change is pending until written.
    void setValue(int index, const QVariant& value);
    void setValue(const QString& name, const QVariant& value);
    // The value of any row of the set, by 0-based position in the current order, without
    // moving the cursor (for grids).
    QVariant valueAt(int position, int index) const;
    Bookmark bookmarkAt(int position) const;
    // The 0-based position of a row in the current order, -1 when it is not in the set.
    int positionOfBookmark(Bookmark bookmark) const { return positionOf(bookmark); }

    // Cursor.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool bof() const;
    bool eof() const;
    int recordCount() const { return int(m_view.size()); }
    // 1-based position of the current row; PositionBOF/PositionEOF/PositionUnknown otherwise.
    int absolutePosition() const;
    void setAbsolutePosition(int position);
    bool hasCurrentRow() const;
    Bookmark bookmark() const;
    void setBookmark(Bookmark bookmark);

    // Filter: a condition text; an empty text removes the filter. Moves to the first match.
    void setFilter(const QString& condition);
    const QString& filter() const { return m_filterText; }
    // Sort: "a,b Desc"; an empty text returns to the SELECT's own order. Keeps the current row.
    void setSort(const QString& sortText);
    const QString& sort() const { return m_sortText; }

    enum class SearchDirection { Forward, Backward };
    enum class FindStart { CurrentRow, FirstRow };
    // Moves to the first row matching the criterion, skipping `skip` rows from the start. When
    // nothing matches, the set is left after its last row (before its first going backward).
    void find(const QString& criterion, int skip = 0,
              SearchDirection direction = SearchDirection::Forward,
              FindStart start = FindStart::CurrentRow);

    // Editing.
    void addNew();
    bool isAdding() const { return m_adding; }
    bool isDirty() const { return m_adding || !m_changed.isEmpty(); }
    // Deletes the current row from the file at once; the cursor stays on the gap until moved.
    void deleteCurrent();
    // Writes the current row's pending change (or new row).
    void update();
    // Writes every pending change of the set.
    void updateBatch();
    // Drops the pending change of the current row, and a row being added.
    void cancelUpdate();
    // Reads the set again with the same SELECT (pending changes are dropped); first row.
    void requery();
    // Reads every row again, keeping the filter, the sort and the place, for when the file may
    // have changed unseen. As after a write that added or removed rows, a row being typed into
    // keeps what was typed, and the rows follow once it is written, dropped or left. Done by
    // itself, once events run, when the connection to the server is made again.
    void readAgain();

signals:
    // After every move, also after opening, filtering, sorting, finding and re-reading.
    void moveComplete();
    // Before a row changes; a handler may set *cancel to refuse the change.
    void willChangeRecord(tovin::RecordSet::ChangeReason reason, bool* cancel);
    // The rows of the set changed as a whole (opened, closed, read again, filtered, sorted) or a
    // row joined or left it (a new row written, the current row deleted): positions read before
    // no longer hold. Sent before the moveComplete of the move that goes with it.
    void rowsReset();
    // The row at this 0-based position was written with new values.
    void rowUpdated(int position);

private:
    struct Field {
        QString name;
        ColumnKind kind;
        int tableColumn; // position in the table's own order
    };

    void readKeys();
    // The rows of the table (not only of the set) the condition matches, ascending by rowid:
    // looked up by value when the condition requires one, else by reading every row.
    std::vector<qint64> matchingRows(const Condition& condition) const;
    std::vector<qint64> rowsRead(const Condition& condition, const QString& where,
                                 const QVariantList& values) const;
    std::optional<std::vector<qint64>> rowsLookedUp(const Condition& condition) const;
    bool isRowidColumn(int tableColumn) const;
    Condition parseTableCondition(const QString& text) const;
    void applyFilter();
    void rebuildPositionIndex() const;
    int positionOf(qint64 rowId) const;
    const QVector<QVariant>& rowValues(int position) const;
    std::optional<QVector<QVariant>> readRowNow(qint64 rowId) const;
    void fetchBlock(int position) const;
    void writePending(ChangeReason reason);
    void leaveRow();
    void arrive(int position);
    void checkOpen() const;
    void askWillChange(ChangeReason reason);
    QString orderClause() const;
    void requireCurrentRow() const;
    void rowsWritten(const QString& catalogue, const QString& table, const QList<qint64>& rows);
    void connectionBack(const QString& catalogue);
    bool rowsJoinedOrLeft(const QList<qint64>& rows, QList<int>& heldPositions) const;
    void rereadKeys();
    bool takeInRowsIfDue();
    void takeInRows();

    CatalogueDatabase* m_db = nullptr;
    QString m_source;
    SelectText m_select;
    QString m_table;
    QList<ColumnInfo> m_tableColumns;
    QVector<Field> m_fields;
    Condition m_where;
    QList<SortKey> m_sortKeys;
    QString m_sortText;
    QString m_filterText;
    Condition m_filter;

    std::vector<qint64> m_keys; // every row of the SELECT, in the current order
    std::vector<qint64> m_view; // the rows under the filter, in the current order
    // Position by rowid. Rowids are mostly dense, so a plain array from the smallest rowid of
    // the set holds them in a few bytes a row; scattered rowids take the hash.
    mutable std::vector<int> m_densePositions;
    mutable qint64 m_denseBase = 0;
    mutable QHash<qint64, int> m_positions;
    mutable bool m_positionsValid = false;

    // Cursor: -1 before the first row, m_view.size() after the last.
    int m_position = -1;
    bool m_onDeletedRow = false;
    bool m_adding = false;
    int m_positionBeforeAdd = -1;
    bool m_rowsReplaced = false; // rowsReset is due with the next arrival
    QVector<QVariant> m_edit;    // the current row's values with pending changes
    QHash<int, bool> m_changed;  // fields changed since the row was written
    QVector<QVariant> m_read;    // the current row's values as read, to check before writing

    bool m_writing = false; // this set's own write is being committed
    // Rows joined or left the file while a row was being edited or added: the keys are read
    // again once the user is done with that row.
    bool m_rereadDue = false;
    bool m_rereading = false;
    std::vector<qint64> m_appended; // rows this set added since its keys were last requeried
    QString m_catalogue;            // the identity of the connection's file
    QMetaObject::Connection m_changes;
    QMetaObject::Connection m_reconnected;
    bool m_readAgainQueued = false;

    mutable QHash<qint64, QVector<QVariant>> m_cache;
    mutable std::unique_ptr<class StorageStatement> m_fetch;
    mutable std::unique_ptr<class StorageStatement> m_readRow;
};

} // namespace tovin
