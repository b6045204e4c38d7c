#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tovin {

// The few pieces of statement text in which the engines differ. Everything else the program
// writes is plain SQL that each engine takes as it is.
class StorageDialect {
public:
    virtual ~StorageDialect() = default;

    // A table or column name as both engines read it whatever letters it holds: in double
    // quotes, each double quote in it doubled.
    static QString quoteName(const QString& name);

    // The name of the key every row of a table has, whether or not a column holds it.
    virtual QString rowKey() const = 0;
    // An expression for the largest row key a table holds now (null for an empty table).
    virtual QString largestRowKey(const QString& quotedTable) const = 0;

    // Where a table's keys come from, for a catalogue copied with its keys to go on where the
    // original left off, even past rows deleted at its top. `keyColumn` is the table's counter
    // column, or rowKey() for a table keyed by its row numbers.
    // A query for the largest key the table ever handed out, deleted rows' keys included (no row
    // or null when the engine keeps no mark for the table).
    virtual QString largestKeyGiven(const QString& table, const QString& keyColumn) const = 0;
    // Statements, each taking that key as its one bound value, after which the table hands out
    // only keys beyond it (never moving back).
    virtual QStringList moveKeysPast(const QString& table, const QString& keyColumn) const = 0;
    // A query of one row telling whether this connection may not read that mark (a user let
    // only read the tables); empty when the mark is always readable where the table is.
    virtual QString keyMarkHidden(const QString& table, const QString& keyColumn) const {
        Q_UNUSED(table);
        Q_UNUSED(keyColumn);
        return QString();
    }

    // A comparison of two texts that ignores the letter case of the alphabet.
    virtual QString equalsIgnoringCase(const QString& left, const QString& right) const = 0;
    // An ORDER BY term for a text column that sorts as the catalogue's texts sort everywhere:
    // the letters of the alphabet without their case, every other character by its number.
    virtual QString textOrder(const QString& quotedColumn) const = 0;
    // A LIKE pattern match that ignores the letter case of the alphabet.
    virtual QString likeIgnoringCase(const QString& text, const QString& pattern) const = 0;
    // A condition true of a text holding the long s, which the program reads as an s: rows a
    // lookup ignoring case must read too where the engine's own comparison tells the two apart.
    virtual QString containsLongS(const QString& quotedColumn) const = 0;

    // A date as a bound value and as a literal in a statement's text.
    virtual QVariant dateParameter(const QDate& date) const = 0;
    virtual QString dateLiteral(const QDate& date) const = 0;

    // A row written with one statement: an insert that leaves an existing row with the same
    // key as it is, and one that updates the other columns of that row instead.
    virtual QString insertUnlessPresent(const QString& quotedTable,
                                        const QStringList& quotedColumns) const = 0;
    // Both engines take the same upsert.
    QString insertOrUpdate(const QString& quotedTable, const QStringList& quotedColumns,
                           const QStringList& quotedKeyColumns) const;
    // An INSERT ... SELECT that passes over the rows whose key is already there.
    virtual QString ignoringDuplicates(const QString& insert) const = 0;

    // A query for many lookups at once: for each key of a list, the first row of `quotedTable`
    // whose `quotedKeyColumn` equals it, as "SELECT <columns> ... WHERE key = ? LIMIT 1" finds
    // it, followed by the key's place in the list (from 1); no row for a key not found. It takes
    // one bound value, the keys as keyList() makes them. Empty where one lookup at a time costs
    // no more (an engine in the program's own process).
    virtual QString firstRowOfEach(const QString& columns, const QString& quotedTable,
                                   const QString& quotedKeyColumn) const;
    virtual QVariant keyList(const QStringList& keys) const;

protected:
    // "?, ?, ..." for `count` values.
    static QString placeholders(qsizetype count);
};

} // namespace tovin
