#pragma once

#include "core/journal/RunUndoWrites.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace tovin {

class CatalogueDatabase;
class StorageStatement;

// The rows a run added, deleted on a server by one statement for many of them where they still
// hold exactly what the run wrote: the server compares each row with the values sent and deletes
// it in the same step, so the rows never travel to the program. A row the statement leaves (one
// changed or deleted since, or whose values it cannot compare exactly) is for the caller to read
// and decide on, as it decides on any row.
//
// "Exactly" is as the journal tells values apart: a null is not an empty text, texts are equal
// byte for byte (not by the column's rule for letter case), whole numbers and money as the
// numbers they are, floating numbers bit for bit (0 is not -0). A value the server could only
// call equal by converting it is not sent, and its row is left to the caller.
//
// Given the versions the run left its rows in (ServerJournal::versionsOf), the rows of a range
// of keys still in them can be deleted at once, uncompared: a row still in one of them cannot
// have changed since, and only the run's own rows can be in them.
class RunUndoSetDelete {
public:
    // A row the run added: its key and its values packed as the journal keeps them.
    using Added = std::pair<qint64, QByteArray>;

    RunUndoSetDelete(CatalogueDatabase& db, const RunUndoWrites::Table& table,
                     const QString& versions = QString());
    ~RunUndoSetDelete();
    RunUndoSetDelete(const RunUndoSetDelete&) = delete;
    RunUndoSetDelete& operator=(const RunUndoSetDelete&) = delete;

    // False when a column of the table is of a type the server cannot be asked to compare
    // exactly: then no row of it is deleted here.
    bool usable() const { return !m_columns.isEmpty(); }

    // Deletes the rows with keys from `lowest` to `highest` still in a version the run left
    // them in, with the run's journal triggers silent (the caller journals the deletes),
    // telling the connection's other listeners of each; gives back their keys. None without
    // the run's versions.
    QSet<qint64> removeInVersions(qint64 lowest, qint64 highest);

    // Deletes those of the rows (each key once, none written by the undo yet) that still hold
    // their values, with the run's journal triggers silent (the caller journals the deletes),
    // telling the connection's other listeners of each; gives back the keys deleted. `next` are
    // the rows the caller expects to hand over next time: their statement is made while the
    // server deletes these, and used if they are indeed the next rows.
    QSet<qint64> remove(const std::vector<Added>& rows, const std::vector<Added>& next = {});

private:
    // How a column's values are compared, from the column's type on the server.
    enum class Compare { Whole, Real, Text };
    struct Column {
        QString quoted;
        Compare compare = Compare::Text;
    };

    struct Cell;
    // The rows to compare: their keys, and their values beside them in the same order, a row's
    // after the row before (read in place from the packed rows, which outlive the set).
    struct Set {
        std::vector<qint64> keys;
        std::vector<Cell> cells;
    };
    // The statement deleting a set, and the texts bound after its keys: the arrays of values,
    // then (after the key range) the values every row shares.
    struct Deletion {
        QString sql;
        QStringList arrays;
        QStringList constants;
    };
    // The statement for some rows, with the rows it was made for (their values are read in
    // place, so they are kept with it).
    struct Planned {
        std::vector<Added> rows;
        Set set;
        Deletion deletion;
    };

    static std::optional<Compare> compareOf(const QString& type);
    bool comparable(const QByteArray& packed, Cell* cells) const;
    Set comparableRows(const std::vector<Added>& rows) const;
    Deletion deletionOf(const Set& set) const;
    Planned plan(const std::vector<Added>& rows) const;
    Planned plannedFor(const std::vector<Added>& rows);
    QSet<qint64> run(const Planned& planned, const std::vector<Added>& next);
    void tellListeners(const QSet<qint64>& deleted);

    CatalogueDatabase& m_db;
    QString m_quoted;
    QByteArray m_spelling; // the table's name as the connection tells listeners of it
    QList<Column> m_columns;
    QString m_versions; // "{…}" for CAST(? AS xid[]); empty when the run's are not known
    std::optional<Planned> m_planned; // for the rows expected next
};

} // namespace tovin
