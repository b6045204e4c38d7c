#pragma once

#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RecordSet.h"
#include "core/catalogue/RowWriter.h"
#include "support/core/TestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace tovin::test {

// What the record-set tests stand on: a catalogue of the engine under test, made anew for each
// test, with a record set opened on it whose moves are counted.
class RecordSetFixture {
protected:
    static inline const QString CategorySelect =
        QStringLiteral("select CID,CatName,CatNum from Catagory Order by CID");
    static inline const QString ProductsSelect =
        QStringLiteral("select * from Products order by StockNo");

    static ColumnValueList product(const QString& stockNo, double retail, int category = 1,
                                   const QString& name = QStringLiteral("Mug"),
                                   bool taxable = false) {
        namespace PC = CatalogueSchema::ProductsColumn;
        return {{PC::StockNo, stockNo},
                {PC::ProdName, name},
                {PC::Retail, retail},
                {PC::Catagory, category},
                {PC::Taxable, taxable}};
    }

    static QString stock(const RecordSet& rs) {
        return rs.value(QStringLiteral("StockNo")).toString();
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    // On the server each catalogue is a database of its own, dropped after the test function.
    std::vector<std::unique_ptr<ServerDatabase>> m_databases;
    std::unique_ptr<CatalogueDatabase> m_db;
    std::unique_ptr<RecordSet> m_rs;
    std::unique_ptr<QSignalSpy> m_moves;

    // A catalogue with categories 1..n named C1..Cn and the given products.
    void makeCatalogue(int categories, const QList<ColumnValueList>& products = {}) {
        using namespace Qt::Literals::StringLiterals;
        QString path = m_dir.filePath(u"rs%1.mde"_s.arg(++m_count));
        if (onServer()) {
            m_databases.push_back(std::make_unique<ServerDatabase>());
            path = m_databases.back()->uri();
        }
        CatalogueDatabase::create(path);
        m_db = std::make_unique<CatalogueDatabase>(path);
        ScopedTransaction t(*m_db);
        for (int i = 1; i <= categories; ++i)
            RowWriter::insert(*m_db, u"Catagory"_s,
                              {{1, u"C%1"_s.arg(i)}, {2, QString::number(i * 10)}});
        for (const ColumnValueList& p : products)
            RowWriter::insert(*m_db, u"Products"_s, p);
        t.commit();
    }

    // Such a catalogue, with a record set opened on source whose moves are counted.
    RecordSet& open(const QString& source, int categories,
                    const QList<ColumnValueList>& products = {}) {
        makeCatalogue(categories, products);
        m_rs = std::make_unique<RecordSet>();
        m_moves = std::make_unique<QSignalSpy>(m_rs.get(), &RecordSet::moveComplete);
        m_rs->open(source, *m_db);
        return *m_rs;
    }

    static QStringList stockNumbers(RecordSet& rs) {
        using namespace Qt::Literals::StringLiterals;
        QStringList list;
        for (int p = 0; p < rs.recordCount(); ++p)
            list << rs.valueAt(p, rs.fieldIndex(u"StockNo"_s)).toString();
        return list;
    }

    // Closes the set and lets its catalogue go, after each test function.
    void closeAll() {
        m_moves.reset();
        m_rs.reset();
        m_db.reset();
        m_databases.clear();
    }
};

} // namespace tovin::test
