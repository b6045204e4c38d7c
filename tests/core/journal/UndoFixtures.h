#pragma once

// The catalogue states and runs the tests of undo share, and the dump that compares catalogues
// row for row and value for value.

#include "core/catalogue/CatalogueSchema.h"
#include "core/import/Divider.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "core/journal/JournalConnection.h"
#include "core/journal/JournalRun.h"
#include "core/journal/RunHistory.h"
#include "core/journal/RunUndo.h"
#include "core/orders/StoredRows.h"
#include "core/storage/StorageStatement.h"
#include "support/core/TestCatalogue.h"

#include <QUuid>
#include <functional>

namespace tovin::test {

using namespace Qt::Literals::StringLiterals;
namespace PC = CatalogueSchema::ProductsColumn;

using RunTask = std::function<void(TestCatalogue&)>;

// Every journalled table, every row with its key, every value with its type; a double by its
// bits, so a value rounded on the way back shows.
inline QString dump(CatalogueDatabase& db) {
    QString all;
    for (const QString& table : JournalConnection::journalledTables(db)) {
        QStringList columns{u"rowid"_s};
        for (const ColumnInfo& column : db.columns(table))
            columns << CatalogueDatabase::quoteName(column.name);
        const std::unique_ptr<StorageStatement> q =
            db.prepare(u"SELECT "_s + columns.join(u", "_s) + u" FROM "_s +
                       CatalogueDatabase::quoteName(table) + u" ORDER BY rowid"_s);
        all += u"# "_s + table + u'\n';
        while (q->next()) {
            for (int i = 0; i < q->columnCount(); ++i) {
                const QVariant v = q->stored(i);
                if (v.isNull())
                    all += u"null"_s;
                else if (v.typeId() == QMetaType::Double) {
                    const double d = v.toDouble();
                    all += u"r:"_s +
                           QString::fromLatin1(
                               QByteArray(reinterpret_cast<const char*>(&d), sizeof d).toHex());
                } else
                    all += QString::fromLatin1(v.typeName()) + u':' + v.toString();
                all += u'|';
            }
            all += u'\n';
        }
    }
    return all;
}

inline ImportOptions quiet() {
    ImportOptions options;
    options.today = QDate(2026, 5, 1);
    options.note = u"05/01/26 list"_s;
    options.commitEvery = 2;
    options.onError = [](const RunTimeError&) {};
    return options;
}

inline void importLines(TestCatalogue& catalogue, const QByteArray& lines,
                        ImportOptions options = quiet()) {
    ProductImporter::importText(catalogue.db(), TextFile::decode(lines), 0, Divider::comma(),
                                FieldMap{{0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Cost1}},
                                std::move(options), {});
}

// Products whose values take every kind of storage: an odd double, a null beside an empty
// text, notes of several lines; an order of two lines and a stock row for receiving.
inline void seed(TestCatalogue& catalogue) {
    catalogue.add(1, u"A1"_s,
                  {{PC::ProdName, u"Brass Lamp"_s},
                   {PC::Retail, 12.5},
                   {PC::Weight, u""_s},
                   {PC::Inventory, 0.1 + 0.2},
                   {PC::OnOrder, 3},
                   {PC::Picture, u"old/A1.jpg"_s},
                   {PC::Notes, u"first line\r\nsecond \"line\"\r\n"_s}});
    catalogue.add(2, u"B2"_s, {{PC::ProdName, u"Tin Box"_s}, {PC::Price, 1.0 / 3.0}});
    catalogue.add(5, u"C3"_s, {{PC::Notes, QVariant()}, {PC::OnOrder, 2}});
    CatalogueDatabase& db = catalogue.db();
    const auto line = [&](const QString& stock, double quantity) {
        StoredRows::insert(db, u"Orders"_s,
                           {{u"Order ID"_s, u"1002"_s},
                            {u"ProductOrderID"_s, stock},
                            {u"NumberOrdered"_s, quantity},
                            {u"Cost"_s, 100},
                            {u"Date Ordered"_s, QDate(2003, 3, 3)}});
    };
    line(u"A1"_s, 3);
    line(u"C3"_s, 2);
    StoredRows::insert(db, u"Inventory"_s, {{u"Product Id"_s, u"A1"_s}, {u"Number"_s, 5}});
}

// One batch that adds, changes and deletes rows more than once each.
inline void changeRowsAgain(TestCatalogue& c) {
    CatalogueDatabase& db = c.db();
    JournalRun run(db, JournalRun::BulkEdit, u"test"_s);
    ScopedTransaction transaction(db);
    db.run(u"INSERT INTO Products (StockNo, ProdName, Retail) VALUES ('N9', 'Nine', 10000)"_s);
    db.run(u"UPDATE Products SET ProdName = 'Nine Again' WHERE StockNo = 'N9'"_s);
    db.run(u"UPDATE Products SET Retail = 25000, Notes = 'x' WHERE StockNo = 'N9'"_s);
    db.run(u"UPDATE Products SET ProdName = 'Tin' WHERE StockNo = 'B2'"_s);
    db.run(u"UPDATE Products SET ProdName = 'Tin Can' WHERE StockNo = 'B2'"_s);
    db.run(u"UPDATE Products SET ProdName = ProdName WHERE StockNo = 'A1'"_s);
    db.run(u"INSERT INTO Products (StockNo, ProdName) VALUES ('N8', 'Eight')"_s);
    db.run(u"DELETE FROM Products WHERE StockNo = 'N8'"_s);
    db.run(u"UPDATE Products SET Notes = 'going' WHERE StockNo = 'C3'"_s);
    db.run(u"DELETE FROM Products WHERE StockNo = 'C3'"_s);
    transaction.commit();
}

// A server role of its own that may read every table of the catalogue and nothing more,
// dropped with this object.
class ReadingRole {
public:
    explicit ReadingRole(CatalogueDatabase& owner)
        : m_owner(owner),
          m_name(u"reader_"_s + QUuid::createUuid().toString(QUuid::Id128).left(12)) {
        owner.run(u"CREATE ROLE "_s + m_name + u" LOGIN"_s);
        owner.run(u"GRANT SELECT ON ALL TABLES IN SCHEMA public TO "_s + m_name);
    }
    ~ReadingRole() {
        m_owner.run(u"DROP OWNED BY "_s + m_name);
        m_owner.run(u"DROP ROLE "_s + m_name);
    }
    ReadingRole(const ReadingRole&) = delete;
    ReadingRole& operator=(const ReadingRole&) = delete;

    // The owner's address with this role as its user.
    QString uriOf(const QString& ownerUri) const {
        const qsizetype start = ownerUri.indexOf(u"//"_s) + 2;
        return ownerUri.left(start) + m_name + ownerUri.mid(ownerUri.indexOf(u'@', start));
    }

private:
    CatalogueDatabase& m_owner;
    QString m_name;
};

// The kept rows of an undo as the command lists them.
inline QStringList keptLines(const RunUndo::Result& result) {
    QStringList lines;
    for (const RunUndo::Kept& kept : result.kept)
        lines << RunUndo::line(kept);
    return lines;
}

inline qint64 lastRun(CatalogueDatabase& db) {
    const QList<RunHistory::RunInfo> runs = RunHistory::runs(db);
    return runs.isEmpty() ? 0 : runs.first().number;
}

} // namespace tovin::test
