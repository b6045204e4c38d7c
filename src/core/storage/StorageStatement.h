#pragma once

#include "core/storage/ColumnKind.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

namespace tovin {

// One prepared statement of a StorageConnection. Values are bound by position, counted from 1
// as the engines count them; columns are read by position, counted from 0. A statement the
// engine refuses raises a RunTimeError carrying the engine's message (a CatalogueFailure when
// the file itself cannot be used), never a silent false.
class StorageStatement {
public:
    virtual ~StorageStatement() = default;
    StorageStatement(const StorageStatement&) = delete;
    StorageStatement& operator=(const StorageStatement&) = delete;

    virtual void bindNull(int position) = 0;
    virtual void bind(int position, qint64 value) = 0;
    virtual void bindDouble(int position, double value) = 0;
    virtual void bindText(int position, const QString& value) = 0;
    virtual void bindBlob(int position, const QByteArray& value) = 0;
    // Binds by the value's type: null, a whole number, a floating number, a blob, and anything
    // else as its text (a date and time with milliseconds).
    void bind(int position, const QVariant& value);
    // The position of a named parameter (":name"), 0 when the statement has none of that name.
    virtual int parameterPosition(const QString& name) const = 0;

    // Runs the statement up to its first row: a write is done when this returns, and the next
    // call of next() gives the first row a reading statement found.
    virtual void execute() = 0;
    // Steps to the next row; false at the end.
    virtual bool next() = 0;
    // Ends the run and clears the bound values, so the statement can run again.
    virtual void reset() = 0;
    // Ends a reading loop left before its last row: the statement holds the file's read lock
    // until then.
    void finish() { reset(); }

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual bool isNull(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QString text(int column) const = 0;
    // The column's value exactly as the file stores it: null, a qlonglong, a double, a QString
    // or a QByteArray (which bind() writes back as the same value).
    virtual QVariant stored(int column) const = 0;
    // The same value, for readers that take what the statement gives.
    QVariant value(int column) const { return stored(column); }
    // The column's value converted for its kind (see ColumnKind.h).
    virtual QVariant value(int column, ColumnKind kind) const = 0;
    // Steps through every remaining row and appends its whole number in `column` (a list of
    // keys, which may run to a hundred thousand rows).
    virtual void appendRemainingIntegers(int column, std::vector<qint64>& to);
    // Every column this statement reads is a blob (a run's journal, many megabytes): an engine
    // that would otherwise send them spelled out as text sends them as they are. On such an
    // engine (a server), a statement so marked that reads any other column raises an error.
    virtual void readBlobsAsTheyAre() {}

protected:
    StorageStatement() = default;
};

} // namespace tovin
