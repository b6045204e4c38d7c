#include "core/share/CatalogueShare.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/files/OutputFile.h"
#include "core/share/BatchedInsert.h"
#include "core/share/ShareCheck.h"
#include "core/storage/CatalogueFailure.h"
#include "core/storage/CatalogueLocation.h"
#include "core/storage/ReadSnapshot.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <memory>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

qint64 CatalogueShare::Result::totalRows() const {
    qint64 total = 0;
    for (const auto& table : rowsPerTable)
        total += table.second;
    return total;
}

namespace CatalogueShare {

namespace {

// Rows are read a page at a time by their keys, so no table is ever held in memory whole; a
// page is a whole number of insert batches.
constexpr int PageRows = 20 * BatchedInsert::RowsPerStatement;

// The same error with words naming the table it happened in; a failure of the catalogue itself
// (a lost connection, a full disk) stays one.
[[noreturn]] void raiseForTable(const RunTimeError& error, const QString& table,
                                const QString& target) {
    const QString words =
        u"The table %1 could not be copied to %2: %3 %2 was left as it was."_s.arg(
            table, target, error.description());
    if (dynamic_cast<const CatalogueFailure*>(&error))
        throw CatalogueFailure(error.number(), words);
    throw RunTimeError(error.number(), words);
}

bool holdsRows(CatalogueDatabase& db, const QStringList& tables) {
    for (const QString& table : tables)
        if (db.scalar(u"SELECT count(*) FROM "_s + CatalogueDatabase::quoteName(table))
                .toLongLong() > 0)
            return true;
    return false;
}

// Copies one table's rows with their keys. A table with a counter column carries its key in
// that column; any other table's key is written as the row key itself, so rows that other
// tables and the run journal point at keep their numbers.
qint64 copyTable(CatalogueDatabase& source, CatalogueDatabase& target, const QString& table,
                 qint64 rowsInTable, const Progress& progress) {
    const QList<ColumnInfo> columns = source.columns(table);
    bool counterKeyed = false;
    QStringList names;
    for (const ColumnInfo& column : columns) {
        names << CatalogueDatabase::quoteName(column.name);
        counterKeyed = counterKeyed || column.kind == ColumnKind::Counter;
    }
    const QString quotedTable = CatalogueDatabase::quoteName(table);
    const QString key = source.dialect().rowKey();
    const auto read = source.prepare(
        u"SELECT %1%2%3 FROM %4 WHERE %1 > ? ORDER BY %1 LIMIT %5"_s
            .arg(key, names.isEmpty() ? QString() : u", "_s, names.join(u", "_s), quotedTable)
            .arg(PageRows));
    QStringList written = names;
    if (!counterKeyed)
        written.prepend(target.dialect().rowKey());
    BatchedInsert write(target, quotedTable, written);
    const int firstWritten = counterKeyed ? 1 : 0;

    qint64 last = std::numeric_limits<qint64>::min();
    qint64 rows = 0;
    for (;;) {
        read->reset();
        read->bind(1, last);
        read->execute();
        int onPage = 0;
        while (read->next()) {
            ++onPage;
            last = read->integer(0);
            QVariantList values;
            values.reserve(read->columnCount() - firstWritten);
            for (int i = firstWritten; i < read->columnCount(); ++i)
                values << read->stored(i);
            write.add(std::move(values));
            ++rows;
        }
        if (onPage < PageRows)
            write.flush();
        read->reset();
        if (progress && rows > 0 && (onPage == PageRows || rows == rowsInTable))
            progress(table, rows, rowsInTable);
        if (onPage < PageRows)
            return rows;
    }
}

// The column a table's keys are in: its counter, or the row key itself.
QString keyColumnOf(CatalogueDatabase& db, const QString& table) {
    for (const ColumnInfo& column : db.columns(table))
        if (column.kind == ColumnKind::Counter)
            return column.name;
    return db.dialect().rowKey();
}

// The target hands out keys for the table where the source left off, also when the rows the
// source gave its last keys to were deleted since and so were not copied. Each engine keeps that
// mark its own way, so it is carried over rather than copied as a table.
// A source that does not let its user read the mark gives none: the target goes on after the
// keys it holds, and the caller is told so. Returns false then.
bool carryKeyMark(CatalogueDatabase& source, CatalogueDatabase& target, const QString& table) {
    const QString sourceKey = keyColumnOf(source, table);
    if (const QString hidden = source.dialect().keyMarkHidden(table, sourceKey);
        !hidden.isEmpty() && source.scalar(hidden).toBool())
        return false;
    const QVariant given = source.scalar(source.dialect().largestKeyGiven(table, sourceKey));
    if (given.isNull())
        return true;
    const QVariant present = target.scalar(
        u"SELECT "_s + target.dialect().largestRowKey(CatalogueDatabase::quoteName(table)));
    if (given.toLongLong() <= present.toLongLong())
        return true;
    for (const QString& statement :
         target.dialect().moveKeysPast(table, keyColumnOf(target, table)))
        target.run(statement, {given.toLongLong()});
    return true;
}

void removeWithJournals(const QString& path) {
    for (const QString& suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(path + suffix);
}

Result shareToFile(CatalogueDatabase& source, const QString& to, bool replace,
                   const Progress& progress) {
    const QString openSource =
        CatalogueLocation::isServer(source.path()) ? QString() : source.path();
    const OutputRules rules{openSource, true, replace};
    OutputFile::check(to, rules);
    const QString working = OutputFile::temporaryBeside(to);
    // The name was only reserved; the catalogue is made there afresh.
    QFile::remove(working);
    Result result;
    try {
        CatalogueDatabase::create(working);
        {
            CatalogueDatabase target(working);
            // Told by the name it is to have, not the working name it is written under.
            result = copyAs(source, target, false, progress, to);
            target.checkpoint();
        }
        // Journals of a catalogue being replaced would be read into the new one.
        QFile::remove(to + u"-wal"_s);
        QFile::remove(to + u"-shm"_s);
        OutputFile::moveIntoPlace(working, to, rules);
        removeWithJournals(working);
    } catch (...) {
        removeWithJournals(working);
        throw;
    }
    return result;
}

Result shareToServer(CatalogueDatabase& source, const QString& to, bool replace,
                     const Progress& progress) {
    std::unique_ptr<CatalogueDatabase> target;
    try {
        target = std::make_unique<CatalogueDatabase>(to);
    } catch (const CatalogueFailure&) {
        throw; // the server cannot be reached or refused the connection
    } catch (const RunTimeError& error) {
        if (error.number() != ErrorNumber::CannotOpenDatabase)
            throw;
        // A database without a catalogue gets the catalogue's tables in the transaction that
        // writes the rows, so a copy that fails or is cut off leaves the database as empty as
        // it was. Another copy may have made them meanwhile, and this one then goes onto its
        // catalogue as onto any other; one that holds a catalogue this program cannot open
        // (another layout) is told as such, not as a database already in use.
        try {
            target = CatalogueDatabase::createOnServerUncommitted(to);
        } catch (const CatalogueFailure&) {
            throw;
        } catch (const RunTimeError&) {
            try {
                target = std::make_unique<CatalogueDatabase>(to);
            } catch (const RunTimeError&) {
                throw error;
            }
        }
    }
    try {
        return copy(source, *target, replace, progress);
    } catch (...) {
        target->connection().rollback();
        throw;
    }
}

} // namespace

QStringList tablesToCopy(CatalogueDatabase& source) {
    QStringList tables;
    for (const TableDefinition& table : CatalogueSchema::tables())
        tables << table.name;
    // After the catalogue's own tables, so that clearing a target's rows, which drops received
    // lines with their orders, comes before these. RowKeys is the file's own way of keeping the
    // keys given out, which travel with each table instead.
    for (const QString& table : {CatalogueSchema::ReceivedLinesTable, CatalogueSchema::RunsTable,
                                 CatalogueSchema::RunRowsTable})
        if (source.hasTable(table))
            tables << table;
    return tables;
}

Result copy(CatalogueDatabase& source, CatalogueDatabase& target, bool replaceRows,
            const Progress& progress) {
    return copyAs(source, target, replaceRows, progress,
                  CatalogueLocation::forMessages(target.path()));
}

Result copyAs(CatalogueDatabase& source, CatalogueDatabase& target, bool replaceRows,
              const Progress& progress, const QString& targetName) {
    target.requireWritable();
    const QStringList tables = tablesToCopy(source);
    for (const QString& table : tables)
        if (!source.hasTable(table) || !target.hasTable(table))
            throw RunTimeError(
                ErrorNumber::CannotOpenDatabase,
                u"The table %1 is missing from %2; nothing was copied."_s.arg(
                    table, CatalogueLocation::forMessages(source.hasTable(table) ? target.path()
                                                                                 : source.path())));

    // The copy and its check read one unchanging state of the source, even while others write.
    const ReadSnapshot snapshot(source.connection());
    QList<ShareCheck::Tally> original;
    for (const QString& table : tables)
        original << ShareCheck::tally(source, table);

    // A target whose tables were just made for the copy has their transaction open: the rows
    // join it, so the tables are kept only with them.
    std::optional<ScopedTransaction> transaction;
    if (!target.connection().inTransaction())
        transaction.emplace(target);
    if (holdsRows(target, tables)) {
        if (!replaceRows)
            throw TargetHoldsCatalogue(ErrorNumber::DatabaseRefused,
                                       targetName +
                                           u" already holds a catalogue; it is replaced only "
                                           u"when replacing it was asked for."_s);
        for (const QString& table : tables) {
            try {
                target.run(u"DELETE FROM "_s + CatalogueDatabase::quoteName(table));
            } catch (const RunTimeError& error) {
                raiseForTable(error, table, targetName);
            }
        }
    }
    Result result;
    for (int i = 0; i < tables.size(); ++i) {
        const QString& table = tables.at(i);
        try {
            result.rowsPerTable << qMakePair(
                table, copyTable(source, target, table, original.at(i).rows, progress));
            if (!carryKeyMark(source, target, table))
                result.keyMarksUnread << table;
        } catch (const RunTimeError& error) {
            raiseForTable(error, table, targetName);
        }
    }
    for (int i = 0; i < tables.size(); ++i)
        if (const auto difference =
                ShareCheck::difference(original.at(i), ShareCheck::tally(target, tables.at(i))))
            throw RunTimeError(ErrorNumber::DatabaseRefused,
                               *difference + u" "_s + targetName + u" was left as it was."_s);
    if (transaction) {
        transaction->commit();
    } else {
        target.beforeCommit();
        target.connection().commit();
    }
    target.settleAfterManyWrites(tables);
    return result;
}

Result share(const QString& from, const QString& to, bool replace, const Progress& progress) {
    if (CatalogueLocation::isServer(from) && CatalogueLocation::isServer(to) &&
        CatalogueLocation::withoutPassword(from).trimmed() ==
            CatalogueLocation::withoutPassword(to).trimmed())
        throw RunTimeError(ErrorNumber::DatabaseRefused,
                           u"The copy would go onto the catalogue it is made from; nothing was "
                           u"copied."_s);
    CatalogueDatabase source(from);
    if (!source.hasTable(u"Products"_s))
        throw RunTimeError(ErrorNumber::CannotOpenDatabase,
                           CatalogueLocation::forMessages(from) +
                               u" holds no catalogue (it has no Products table); nothing was "
                               u"copied."_s);
    if (CatalogueLocation::isServer(to))
        return shareToServer(source, to, replace, progress);
    return shareToFile(source, QFileInfo(to).absoluteFilePath(), replace, progress);
}

} // namespace CatalogueShare

} // namespace tovin
