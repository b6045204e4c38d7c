#pragma once

// A catalogue of its own for one test, in a temporary folder, with helpers to put products in
// and read them back as the program shows them. When the test runs on the server (onServer()),
// the catalogue is a fresh database on the test cluster instead, and path() is its URI; the
// folder is still there for the test's other files.

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "core/text/ValueText.h"
#include "support/core/TestServer.h"

#include <QTemporaryDir>
#include <QVariant>
#include <memory>

namespace tovin::test {

class TestCatalogue {
public:
    TestCatalogue() {
        if (onServer())
            m_server = std::make_unique<ServerDatabase>();
        CatalogueDatabase::create(path());
        m_db = std::make_unique<CatalogueDatabase>(path());
    }
    ~TestCatalogue() { m_db.reset(); }

    QString path() const {
        return m_server ? m_server->uri() : m_dir.filePath(QStringLiteral("catalogue.mde"));
    }
    QString folder() const { return m_dir.path(); }
    // A file of the catalogue's folder (which is otherwise empty).
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    CatalogueDatabase& db() { return *m_db; }
    // Opens the catalogue anew, as the program does when it starts on it.
    void reopen() {
        m_db.reset();
        m_db = std::make_unique<CatalogueDatabase>(path());
    }

    void add(qint64 pid, const QString& stockNumber, const ColumnValueList& more = {}) {
        ColumnValueList values{{CatalogueSchema::ProductsColumn::PID, pid},
                               {CatalogueSchema::ProductsColumn::StockNo, stockNumber}};
        RowWriter::insert(*m_db, QStringLiteral("Products"), values + more);
    }

    // `count` products "P0", "P1", ... with keys the catalogue chooses, in one transaction (for
    // runs large enough to pass the 16-bit counts of old).
    void addNumbered(int count, const ColumnValueList& more = {}) {
        ScopedTransaction transaction(*m_db);
        for (int i = 0; i < count; ++i)
            RowWriter::insert(*m_db, QStringLiteral("Products"),
                              ColumnValueList{{CatalogueSchema::ProductsColumn::StockNo,
                                               QStringLiteral("P%1").arg(i)}} +
                                  more);
        transaction.commit();
    }

    // A column of the product with that stock number as the program shows it ("" for null or
    // no such product).
    QString text(const QString& stockNumber, const QString& column) {
        ColumnKind kind = ColumnKind::Text;
        for (const ColumnInfo& info : m_db->columns(QStringLiteral("Products")))
            if (info.name == column)
                kind = info.kind;
        QVariant stored =
            m_db->scalar(QStringLiteral("SELECT \"") + column +
                             QStringLiteral("\" FROM Products WHERE StockNo = ? ORDER BY rowid"),
                         {stockNumber});
        if (kind == ColumnKind::Money && !stored.isNull())
            stored = stored.toLongLong() / 10000.0;
        else if (kind == ColumnKind::YesNo)
            stored = stored.toLongLong() != 0;
        return TextRules::toText(stored);
    }
    // Products, or those matching a condition in SQL.
    qint64 count(const QString& where = QString()) {
        return m_db
            ->scalar(QStringLiteral("SELECT count(*) FROM Products") +
                     (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
            .toLongLong();
    }
    qint64 pid(const QString& stockNumber) {
        return m_db
            ->scalar(QStringLiteral("SELECT PID FROM Products WHERE StockNo = ?"), {stockNumber})
            .toLongLong();
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ServerDatabase> m_server;
    std::unique_ptr<CatalogueDatabase> m_db;
};

} // namespace tovin::test
