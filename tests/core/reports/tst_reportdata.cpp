// What a report reads from the catalogue, as its page shows it.
#include "core/base/RunTimeError.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/reports/PreparedReport.h"
#include "core/reports/ReportData.h"
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

    // The category report on category numbers as users type them: those that read exactly as
    // numbers come first in numeric order and gather the products of that number; any other
    // text is listed after them in text order, with no products, and never read as a number
    // ("12,50" is not 12, "1e3" not 1000, " 7" not 7). Products whose number no category reads
    // as are listed apart.
    void categoryNumbersThatAreNoNumbers_data() {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QList<double>>("products");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<int>("others");
        QTest::newRow("numbers and texts")
            << QStringList{u"12"_s, u"3"_s, u"12,50"_s, u"abc"_s, u" 7"_s, u"1e3"_s, u""_s}
            << QList<double>{12, 12, 3, 7, 1000, 12.5, 0}
            << QStringList{u"3:1"_s,     u"12:2"_s,  u":0"_s,   u" 7:0"_s,
                           u"12,50:0"_s, u"1e3:0"_s, u"abc:0"_s}
            << 4;
        QTest::newRow("decimal points")
            << QStringList{u"12.5"_s, u"2."_s, u".5"_s, u"."_s, u"1.2.3"_s, u"10"_s}
            << QList<double>{12.5, 2, 0.5, 1.2, 10, 10}
            << QStringList{u".5:1"_s, u"2.:1"_s, u"10:2"_s, u"12.5:1"_s, u".:0"_s, u"1.2.3:0"_s}
            << 1;
        // Too many digits for a double: the server would refuse to read it as one.
        const QString huge = u"1"_s + QString(400, u'0');
        QTest::newRow("numbers too long, leading zeros")
            << QStringList{huge, u"012"_s, u"12"_s} << QList<double>{12, 1e300}
            << QStringList{u"012:1"_s, u"12:1"_s, huge + u":0"_s} << 1;
        QTest::newRow("only texts") << QStringList{u"b"_s, u"A"_s, u"-1"_s} << QList<double>{-1, 1}
                                    << QStringList{u"-1:0"_s, u"A:0"_s, u"b:0"_s} << 2;
    }
    void categoryNumbersThatAreNoNumbers() {
        QFETCH(QStringList, numbers);
        QFETCH(QList<double>, products);
        QFETCH(QStringList, listed);
        QFETCH(int, others);
        TestCatalogue catalogue;
        for (qsizetype i = 0; i < numbers.size(); ++i)
            catalogue.db().run(u"INSERT INTO Catagory (CatName, CatNum) VALUES (?, ?)"_s,
                               {u"C%1"_s.arg(i), numbers[i]});
        for (qsizetype i = 0; i < products.size(); ++i)
            catalogue.add(i + 1, u"P%1"_s.arg(i), {{PC::Catagory, products[i]}});
        QVariantMap page;
        try {
            page =
                readReportData(catalogue.db(), ReportDefinition::read(test::resourcesDir() +
                                                                      u"/program/catagory.rpt"_s));
        } catch (const RunTimeError& error) {
            QFAIL(qPrintable(error.description()));
        }
        QStringList seen;
        for (const QVariant& row : page.value(u"categories"_s).toList()) {
            const QVariantMap category = row.toMap();
            seen << category.value(u"CatNum"_s).toString() + u':' +
                        QString::number(category.value(u"products"_s).toList().size());
        }
        QCOMPARE(seen, listed);
        QCOMPARE(page.value(u"others"_s).toList().size(), others);
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
