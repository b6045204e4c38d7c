#pragma once

// A catalogue with a shop's history in it, and every row of a catalogue read back, for the tests
// of copying catalogues from one place to another.

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/catalogue/RowWriter.h"
#include "core/journal/JournalRun.h"
#include "core/share/CatalogueShare.h"

#include <QMap>
#include <QVariantList>

namespace tovin::test {

using namespace Qt::Literals::StringLiterals;

using Rows = QList<QVariantList>;

// Every row of a table with its key, in key order, each value as the engine stores it.
inline Rows rowsOf(CatalogueDatabase& db, const QString& table) {
    Rows rows;
    const auto q = db.prepare(u"SELECT rowid, * FROM "_s + CatalogueDatabase::quoteName(table) +
                              u" ORDER BY rowid"_s);
    q->execute();
    while (q->next()) {
        QVariantList row;
        for (int i = 0; i < q->columnCount(); ++i)
            row << q->stored(i);
        rows << row;
    }
    return rows;
}

inline QMap<QString, Rows> everyTable(CatalogueDatabase& db) {
    QMap<QString, Rows> tables;
    for (const QString& table : CatalogueShare::tablesToCopy(db))
        tables.insert(table, rowsOf(db, table));
    return tables;
}

// The demo catalogue with what a shop's history leaves behind: a received order line, an
// imported product, a run that deleted a product and was not undone, and last the newest rows
// of a counter table and of a table keyed by row numbers deleted, and a sale from the middle.
inline void makeShop(const QString& path) {
    DemoCatalogue::create(path);
    CatalogueDatabase db(path);
    db.run(u"UPDATE Orders SET \"Date Received\" = '2024-03-01' WHERE rowid = "
           u"(SELECT min(rowid) FROM Orders)"_s);
    db.run(CatalogueSchema::markDatedLinesReceived(db.dialect()));
    {
        ScopedTransaction transaction(db);
        JournalRun run(db, JournalRun::TextImport, u"new.csv"_s);
        db.run(u"INSERT INTO Products (StockNo, Retail) VALUES ('N1', 123456)"_s);
        transaction.commit();
    }
    {
        ScopedTransaction transaction(db);
        JournalRun run(db, JournalRun::TextImport, u"gone.csv"_s);
        db.run(u"DELETE FROM Products WHERE PID = (SELECT min(PID) FROM Products)"_s);
        transaction.commit();
    }
    const qint64 topProduct = db.scalar(u"SELECT max(PID) FROM Products"_s).toLongLong();
    db.run(u"DELETE FROM Products WHERE PID = ?"_s, {topProduct});
    const qint64 topStock = db.scalar(u"SELECT max(rowid) FROM Inventory"_s).toLongLong();
    RowWriter::remove(db, u"Inventory"_s, topStock);
    RowWriter::remove(db, u"Sales"_s, db.scalar(u"SELECT min(rowid) FROM Sales"_s).toLongLong());
    db.checkpoint();
}

// Adds a row to a table of the catalogue at `location`, with a text in `column` (for Runs, a
// run's kind and start), and returns the key it was given.
inline qint64 addRow(const QString& location, const QString& table, int column) {
    CatalogueDatabase db(location);
    if (column >= 0)
        return RowWriter::insert(db, table, {{column, u"after the move"_s}});
    return RowWriter::insert(db, table, {{1, u"text import"_s}, {2, u"2026-12-07T14:00:00"_s}});
}

} // namespace tovin::test
