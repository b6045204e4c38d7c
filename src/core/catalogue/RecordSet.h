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
class RecordEdit;
class RecordKeys;

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
//
// The set itself keeps the cursor and follows the writes to the file; which rows it holds and
// their values are RecordKeys' business, the row being typed into and its writing RecordEdit's.
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
    bool isOpen() const;
    const QString& source() const { return m_source; }
    CatalogueDatabase* connection() const;
    const QString& tableName() const;

    // Fields.
    int fieldCount() const;
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
    int positionOfBookmark(Bookmark bookmark) const;

    // Cursor.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool bof() const;
    bool eof() const;
    int recordCount() const;
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
    bool isAdding() const;
    bool isDirty() const;
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
    void readKeys();
    void leaveRow();
    void arrive(int position);
    void checkOpen() const;
    void requireCurrentRow() const;
    void askWillChange(ChangeReason reason);
    void writePending(ChangeReason reason);
    void rowsWritten(const QString& catalogue, const QString& table, const QList<qint64>& rows);
    void connectionBack(const QString& catalogue);
    bool rowsJoinedOrLeft(const QList<qint64>& rows, QList<int>& heldPositions) const;
    void rereadKeys();
    bool takeInRowsIfDue();
    void takeInRows();

    std::unique_ptr<RecordKeys> m_keys; // which rows, in what order, and their values
    std::unique_ptr<RecordEdit> m_edit; // the current row's values as typed, and their writing
    QString m_source;
    QString m_sortText;
    QString m_filterText;

    // Cursor: -1 before the first row, recordCount() after the last.
    int m_position = -1;
    bool m_onDeletedRow = false;
    int m_positionBeforeAdd = -1;
    bool m_rowsReplaced = false; // rowsReset is due with the next arrival

    bool m_writing = false; // this set's own write is being committed
    // Rows joined or left the file while a row was being edited or added: the keys are read
    // again once the user is done with that row.
    bool m_rereadDue = false;
    bool m_rereading = false;
    QString m_catalogue; // the identity of the connection's file
    QMetaObject::Connection m_changes;
    QMetaObject::Connection m_reconnected;
    bool m_readAgainQueued = false;
};

} // namespace tovin
