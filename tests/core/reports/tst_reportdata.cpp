// What a report reads from the catalogue, as its page shows it.
#include "core/reports/ReportData.h"
#include "support/core/TestCatalogue.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(ReportDataTest)
#include "tst_reportdata.moc"
