#include "core/share/ShareCheck.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The comparison of a table's tally in a catalogue and in its copy: any difference in either
// direction is found and told with the copy's figure first, the original's second.
class ShareCheckTest : public QObject {
    Q_OBJECT

private slots:
    void difference_data() {
        QTest::addColumn<qint64>("copyRows");
        QTest::addColumn<qint64>("copyCost");
        QTest::addColumn<qint64>("copyTax");
        QTest::addColumn<QString>("told"); // empty when the copy agrees
        const QString differs = u"The copy of the table Invoice does not match the original: "_s;
        const auto row = [](const char* name, qint64 rows, qint64 cost, qint64 tax,
                            const QString& told) {
            QTest::newRow(name) << rows << cost << tax << told;
        };
        // The original: 3 rows, Cost adding up to 12.5, Tax to 0.62.
        row("the same", 3, 125000, 6200, QString());
        row("a row fewer", 2, 125000, 6200, differs + u"it has 2 rows where the original has 3."_s);
        row("a row more", 4, 125000, 6200, differs + u"it has 4 rows where the original has 3."_s);
        row("a sum lower", 3, 124999, 6200,
            differs + u"its Cost column adds up to 12.4999 where the original's adds up to "
                      u"12.5."_s);
        row("a sum higher", 3, 125001, 6200,
            differs + u"its Cost column adds up to 12.5001 where the original's adds up to "
                      u"12.5."_s);
        row("a later column's sum lower", 3, 125000, 6100,
            differs + u"its Tax column adds up to 0.61 where the original's adds up to 0.62."_s);
        row("a later column's sum higher", 3, 125000, 6300,
            differs + u"its Tax column adds up to 0.63 where the original's adds up to 0.62."_s);
    }
    void difference() {
        QFETCH(qint64, copyRows);
        QFETCH(qint64, copyCost);
        QFETCH(qint64, copyTax);
        QFETCH(QString, told);
        const ShareCheck::Tally original{u"Invoice"_s, 3, {{u"Cost"_s, 125000}, {u"Tax"_s, 6200}}};
        const ShareCheck::Tally copy{
            u"Invoice"_s, copyRows, {{u"Cost"_s, copyCost}, {u"Tax"_s, copyTax}}};
        QCOMPARE(ShareCheck::difference(original, copy).value_or(QString()), told);
    }
};

QTEST_MAIN(ShareCheckTest)
#include "tst_sharecheck.moc"
