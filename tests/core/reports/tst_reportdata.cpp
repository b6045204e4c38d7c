// What a report reads from the catalogue, as its page shows it.
#include "core/data/DemoCatalogue.h"
#include "core/reports/PreparedReport.h"
#include "core/reports/ReportData.h"
#include "core/shell/RunTimeError.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestProgramFolder.h"

#include <QRegularExpression>
#include <QTest>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::TestCatalogue;
namespace PC = CatalogueSchema::ProductsColumn;

class ReportDataTest : public QObject {
    Q_OBJECT
private slots:
    // A sum of money is summed by the catalogue in ten-thousandths and shown from them, with
    // no double in between to lose its last digits.
    void moneySums_data() {
        QTest::addColumn<QStringList>("retail");
        QTest::addColumn<QString>("shown");
        QTest::newRow("cents") << QStringList{u"19.99"_s, u"0.01"_s} << u"$20.00"_s;
        QTest::newRow("more digits than a double holds")
            << QStringList{u"12345678901234.56"_s, u"0.005"_s} << u"$12,345,678,901,234.57"_s;
        QTest::newRow("negative below a cent") << QStringList{u"-0.0001"_s} << u"$0.00"_s;
    }
    void moneySums() {
        QFETCH(QStringList, retail);
        QFETCH(QString, shown);
        TestCatalogue catalogue;
        for (qsizetype i = 0; i < retail.size(); ++i)
            catalogue.add(i + 1, u"P%1"_s.arg(i), {{PC::Retail, retail[i]}});
        const ReportDefinition report = ReportDefinition::parse(
            u"title: Stock value\nmoney: Total\n"
            u"data sums: select sum(Retail) as Total from Products\npage:\n{{Total}}\n"_s);
        const QVariantList sums = readReportData(catalogue.db(), report).value(u"sums"_s).toList();
        QCOMPARE(sums.size(), 1);
        QCOMPARE(sums.first().toMap().value(u"Total"_s).toString(), shown);
    }

    // A report is read while another program holds the writers' turn with a row not yet saved
    // (an import or a bulk edit running elsewhere): at once, from what is saved.
    void readsWhileAnotherProgramWrites() {
        TestCatalogue catalogue;
        catalogue.add(1, u"A"_s, {{PC::Retail, u"2"_s}});
        CatalogueDatabase writer(catalogue.path());
        ScopedTransaction held(writer);
        RowWriter::insert(writer, u"Products"_s, {{PC::StockNo, u"B"_s}, {PC::Retail, u"3"_s}});
        // Not waiting for a lock at all: a report that took the writers' turn fails at once.
        catalogue.db().setLockWait(0);
        const ReportDefinition report = ReportDefinition::parse(
            u"title: Stock value\nmoney: Total\n"
            u"data sums: select sum(Retail) as Total from Products\npage:\n{{Total}}\n"_s);
        QVariantList sums;
        try {
            sums = readReportData(catalogue.db(), report).value(u"sums"_s).toList();
        } catch (const RunTimeError& error) {
            QFAIL(qPrintable(error.description()));
        }
        QCOMPARE(sums.size(), 1);
        QCOMPARE(sums.first().toMap().value(u"Total"_s).toString(), u"$2.00"_s);
    }

    // The report files the program comes with read the demo catalogue alike on either engine,
    // with one more product in a category the catalogue does not have: the page holds its rows
    // and totals (seen here as words without the markup) and names the catalogue.
    void shippedReportsReadTheDemo_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("words");
        const QString listed = u"Products listed: 51"_s;
        QTest::newRow("cost 1") << u"cost1.rpt"_s
                                << QStringList{u"Maple Lane Gifts &amp; Hardware Stock #"_s,
                                               u"0012 Brass Cup Hooks 1 in. (10) 10/pk 1 Kestrel "
                                               u"Ridge Tool Supply $0.95 AB12"_s,
                                               listed};
        QTest::newRow("retail") << u"retail.rpt"_s
                                << QStringList{u"Maple Lane Gifts &amp; Hardware Stock #"_s,
                                               u"0012 Brass Cup Hooks 1 in. (10) 10/pk 1 $2.29 "
                                               u"$2.29 AB12"_s,
                                               listed};
        QTest::newRow("categories")
            << u"catagory.rpt"_s
            << QStringList{
                   u"1 - Lamps &amp; Lighting LMP-1001 Brass Desk Lamp 1 ea $19.50 $44.95"_s,
                   u"TL-540 LED Flashlight 3 AAA 1 ea $4.70 $10.99 Products in this "
                   u"category: 6 2 - Hand Tools"_s,
                   u"Products in this category: 5 No category (1) ODD-1 Odd Lot $0.00 "
                   u"$3.00 "_s +
                       listed};
        QTest::newRow("inventory")
            << u"inventory.rpt"_s
            << QStringList{u"On Hand Cost Each Wholesale Retail Date In Date Sold Value at Cost "
                           u"Value at Retail AB30 Plush Teddy Bear 12 in. 3 $8.90 $7.95 $18.99 "
                           u"01/20/2003 $26.70 $56.97 AB7"_s,
                           u"CND-315 Lavender Jar Candle 16 oz. 4 $6.03 $5.50 $13.95 03/12/2003 "
                           u"03/22/2003 $24.12 $55.80"_s,
                           u"Total (10 items) 48 $304.82 $648.74"_s};
        QTest::newRow("orders")
            << u"orders.rpt"_s
            << QStringList{u"Order 1001 , ordered 03/03/2003 AB7 Porcelain Bud Vase 4 $4.25 $17.00 "
                           u"$0.85 $1.70 $1.50 03/12/2003 $19.35 CND-315"_s,
                           u"Total of order 1001 $91.65 Orders: 1 Grand total: $91.65"_s};
    }
    void shippedReportsReadTheDemo() {
        QFETCH(QString, file);
        QFETCH(QStringList, words);
        QTemporaryDir dir;
        std::unique_ptr<test::ServerDatabase> server;
        if (test::onServer())
            server = std::make_unique<test::ServerDatabase>();
        const QString catalogue = server ? server->uri() : dir.filePath(u"demo.mde"_s);
        DemoCatalogue::create(catalogue);
        {
            CatalogueDatabase db(catalogue);
            RowWriter::insert(db, u"Products"_s,
                              {{PC::StockNo, u"ODD-1"_s},
                               {PC::ProdName, u"Odd Lot"_s},
                               {PC::Catagory, 99},
                               {PC::Retail, 3}});
        }
        PreparedReport report;
        try {
            report = PreparedReport::make(test::resourcesDir() + u"/program/"_s + file, catalogue);
        } catch (const RunTimeError& error) {
            QFAIL(qPrintable(error.description()));
        }
        static const QRegularExpression markup(u"<[^>]*>"_s);
        const QString text = QString(report.html).replace(markup, u" "_s).simplified();
        for (const QString& word : words)
            QVERIFY2(text.contains(word), qPrintable(word + u"\nnot in: "_s + text));
        // A server is named by its database, never by its address.
        if (server)
            QVERIFY2(report.catalogue.startsWith(server->name() + u" on "_s),
                     qPrintable(report.catalogue));
        else
            QCOMPARE(report.catalogue, u"demo.mde"_s);
    }
};

QTEST_GUILESS_MAIN(ReportDataTest)
#include "tst_reportdata.moc"
