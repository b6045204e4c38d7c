#pragma once

#include "core/catalogue/CatalogueDatabase.h"
#include "core/query/Condition.h"
#include "core/query/SelectText.h"
#include "core/storage/ColumnKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>
#include <vector>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// Which rows a record set holds and in what order, and their values, read a block at a time.
//
// Only the row numbers are held, in the order of the SELECT (or of the sort asked for), once for
// every row the SELECT's condition leaves and once for those the filter leaves as well (the
// view). The values of a row are read when asked for, with the rows after it, and kept in a
// small cache. Rows the set itself added are kept at the end of the order until the keys are
// read afresh.
class RecordKeys {
public:
    struct Field {
        QString name;
        ColumnKind kind;
        int tableColumn; // position in the table's own order
    };

    // The rows whose values are read at once, and past which a check row by row costs more than
    // reading every key again.
    static constexpr int BlockSize = 64;

    RecordKeys();
    ~RecordKeys();

    // Checks the SELECT text (or table name) against the catalogue and takes it on; throws,
    // taking nothing on, when it names a table or column the catalogue lacks. The keys are read
    // by readWhere() and readKeys().
    void open(const QString& source, CatalogueDatabase& connection);
    void close();
    // Takes on the SELECT's own condition.
    void readWhere();
    bool isOpen() const { return m_db != nullptr; }
    CatalogueDatabase& db() const { return *m_db; }
    CatalogueDatabase* connection() const { return m_db; }
    const QString& table() const { return m_table; }
    const QVector<Field>& fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    // Whether the table has a column of that name (any letter case).
    bool hasTableColumn(const QString& name) const;
    Condition parseTableCondition(const QString& text) const;

    // Reads the keys of every row again, in the current order, and applies the filter. Forgets
    // the values read and the rows added.
    void readKeys();
    // The two steps of readKeys(), for a caller that notes that the keys were read before the
    // filter, which reads the file again, is applied.
    void readKeysUnfiltered();
    void applyFilter();
    void setFilter(const Condition& filter);
    void setSortKeys(const QList<SortKey>& keys) { m_sortKeys = keys; }
    // Reads the keys again as readKeys() does, but keeps the rows this set added at the end of
    // the order. Gives the view as it was before; when reading fails, nothing changes.
    std::vector<qint64> readKeysKeepingAdded();

    // The rows under the filter, in order.
    int size() const { return int(m_view.size()); }
    bool isEmpty() const { return m_view.empty(); }
    qint64 keyAt(int position) const { return m_view.at(size_t(position)); }
    // The 0-based position of a row in the view, -1 when it is not there.
    int positionOf(qint64 rowId) const;
    // The position in the view of the row matching the condition that lies nearest to `from`
    // (which counts itself) going forward or backward; size() or -1 when there is none.
    int nearestMatch(const Condition& condition, int from, bool forward) const;

    // A row the set wrote joins the end of the order; a row it deleted leaves it.
    void append(qint64 rowId);
    void removeAt(int position);

    // The values of the row at a position (a row gone from the file reads as empty).
    const QVector<QVariant>& rowValues(int position) const;
    // The values of a row as the file holds them now, without the cache; none when it is gone.
    std::optional<QVector<QVariant>> readRowNow(qint64 rowId) const;
    // Forgets the values read of a row, so that they are read again when next asked for.
    void forget(qint64 rowId) { m_cache.remove(rowId); }
    // Drops the prepared statements (they are prepared again when next needed).
    void dropStatements();

private:
    QString orderClause() const;
    // The rows of the table (not only of the set) the condition matches, ascending by rowid:
    // looked up by value when the condition requires one, else by reading every row.
    std::vector<qint64> matchingRows(const Condition& condition) const;
    std::vector<qint64> rowsRead(const Condition& condition, const QString& where,
                                 const QVariantList& values) const;
    std::optional<std::vector<qint64>> rowsLookedUp(const Condition& condition) const;
    bool isRowidColumn(int tableColumn) const;
    void moveAddedToEnd(std::vector<qint64> added);
    void rebuildPositionIndex() const;
    void fetchBlock(int position) const;

    CatalogueDatabase* m_db = nullptr;
    SelectText m_select;
    QString m_table;
    QList<ColumnInfo> m_tableColumns;
    QVector<Field> m_fields;
    Condition m_where;
    QList<SortKey> m_sortKeys;
    Condition m_filter;

    std::vector<qint64> m_keys;  // every row of the SELECT, in the current order
    std::vector<qint64> m_view;  // the rows under the filter, in the current order
    std::vector<qint64> m_added; // rows this set added since its keys were last read afresh
    // Position by rowid. Rowids are mostly dense, so a plain array from the smallest rowid of
    // the set holds them in a few bytes a row; scattered rowids take the hash.
    mutable std::vector<int> m_densePositions;
    mutable qint64 m_denseBase = 0;
    mutable QHash<qint64, int> m_positions;
    mutable bool m_positionsValid = false;

    mutable QHash<qint64, QVector<QVariant>> m_cache;
    mutable std::unique_ptr<StorageStatement> m_fetch;
    mutable std::unique_ptr<StorageStatement> m_readRow;
};

} // namespace tovin
