// A report's filled page taken apart around its longest table: which pages are taken apart and
// which are left whole (laid out as they are), what each run of rows is given, and how a row's
// cells are read for measuring.
#include "ui/reports/ReportHtmlParts.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

namespace {

const QString Head = u"<thead><tr><th>Stock #</th><th align=\"right\">Cost</th></tr></thead>\n"_s;

QString row(int i) {
    return u"<tr><td>S%1</td><td align=\"right\">$%1.00</td></tr>\n"_s.arg(i);
}

QString table(int rows, const QString& open = u"<table width=\"100%\" cellspacing=\"0\">"_s) {
    QString text = open + u"\n"_s + Head;
    for (int i = 0; i < rows; ++i)
        text += row(i);
    return text + u"</table>\n"_s;
}

} // namespace

class ReportHtmlPartsTest : public QObject {
    Q_OBJECT

private slots:
    void whichTableIsTakenApart_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<int>("rows"); // -1: the page is left whole
        QTest::addColumn<int>("tablesBefore");
        const QString shop = u"<p><b>Shop</b></p>\n"_s;
        QTest::newRow("one table") << shop + table(3) + u"<p>3 listed</p>"_s << 3 << 0;
        QTest::newRow("the longer of two") << table(2) + table(5) << 5 << 1;
        QTest::newRow("a table in a cell counts no rows")
            << u"<table><tr><td><table><tr><td>a</td></tr><tr><td>b</td></tr></table></td></tr>"
               u"</table>"_s
            << 1 << 0;
        QTest::newRow("rows in a comment or a quoted '>' are no rows")
            << u"<table title=\"a > b\"><!-- <tr><td>x</td></tr> --><tr><td>1</td></tr>"
               u"<tr><td>2</td></tr></table>"_s
            << 2 << 0;
        QTest::newRow("inside another element") << u"<div>"_s + table(3) + u"</div>"_s << -1 << 0;
        QTest::newRow("a cell over two rows")
            << u"<table><tr><td rowspan=\"2\">a</td><td>b</td></tr><tr><td>c</td></tr></table>"_s
            << -1 << 0;
        QTest::newRow("a tbody") << u"<table><tbody><tr><td>a</td></tr></tbody></table>"_s << -1
                                 << 0;
        QTest::newRow("a heading after the rows")
            << u"<table><tr><td>a</td></tr><thead><tr><th>h</th></tr></thead></table>"_s << -1 << 0;
        QTest::newRow("no rows") << u"<table>"_s + Head + u"</table>"_s << -1 << 0;
        QTest::newRow("never closed") << table(3).chopped(9) << -1 << 0;
        QTest::newRow("no table") << u"<p>nothing</p>"_s << -1 << 0;
    }

    void whichTableIsTakenApart() {
        QFETCH(QString, html);
        QFETCH(int, rows);
        QFETCH(int, tablesBefore);
        const std::optional<ReportHtmlParts> parts = ReportHtmlParts::split(html);
        QCOMPARE(parts.has_value(), rows >= 0);
        if (!parts)
            return;
        QCOMPARE(parts->rowCount(), rows);
        QCOMPARE(parts->tablesBefore(), tablesBefore);
    }

    // Each run is a whole table with the heading rows; what stands before the table comes with
    // the first run only, what follows it with the last only; joined, the runs hold every row
    // once.
    void runsOfRows_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("first") << 0 << 2;
        QTest::newRow("middle") << 2 << 4;
        QTest::newRow("last") << 4 << 6;
        QTest::newRow("all") << 0 << 6;
    }

    void runsOfRows() {
        QFETCH(int, from);
        QFETCH(int, to);
        const QString before = u"<p><b>Shop</b></p>\n"_s;
        const QString after = u"<p>6 listed</p>\n"_s;
        const std::optional<ReportHtmlParts> parts =
            ReportHtmlParts::split(before + table(6) + after);
        QVERIFY(parts);
        QCOMPARE(parts->headRows(), 1);
        QString expected = from == 0 ? before : QString();
        expected += u"<table width=\"100%\" cellspacing=\"0\">\n"_s + Head;
        for (int i = from; i < to; ++i)
            expected += row(i);
        expected += u"</table>"_s + (to == 6 ? u"\n"_s + after : QString());
        QCOMPARE(parts->chunk(from, to), expected);
    }

    void tableWithChosenRows() {
        const std::optional<ReportHtmlParts> parts = ReportHtmlParts::split(table(6));
        QVERIFY(parts);
        QCOMPARE(parts->tableWith({1, 4}), u"<table width=\"100%\" cellspacing=\"0\">\n"_s + Head +
                                               row(1) + row(4) + u"</table>"_s);
    }

    // Text only is measured; a span, markup or an entity the measuring does not read leaves
    // the cell to the layout.
    void cellsOfARow_data() {
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<bool>>("plain");
        QTest::newRow("text, aligned")
            << u"<td>A  &amp;\n B</td><td align=\"right\">&lt;1&gt;</td>"_s
            << QStringList{u"A & B"_s, u"<1>"_s} << QList<bool>{true, true};
        QTest::newRow("a span") << u"<td colspan=\"2\">wide</td>"_s << QStringList{u"wide"_s}
                                << QList<bool>{false};
        QTest::newRow("markup") << u"<td><b>bold</b></td><td>x</td>"_s
                                << QStringList{u"<b>bold</b>"_s, u"x"_s}
                                << QList<bool>{false, true};
        QTest::newRow("an entity not read")
            << u"<td>&eacute;t&eacute;</td>"_s << QStringList{u"&eacute;t&eacute;"_s}
            << QList<bool>{false};
        QTest::newRow("empty") << u"<td></td>"_s << QStringList{QString()} << QList<bool>{true};
    }

    void cellsOfARow() {
        QFETCH(QString, cells);
        QFETCH(QStringList, texts);
        QFETCH(QList<bool>, plain);
        const std::optional<ReportHtmlParts> parts =
            ReportHtmlParts::split(u"<table><tr>"_s + cells + u"</tr>\n</table>"_s);
        QVERIFY(parts);
        const QList<ReportHtmlParts::Cell> read = parts->cells(0);
        QCOMPARE(read.size(), texts.size());
        for (qsizetype i = 0; i < read.size(); ++i) {
            QCOMPARE(read.at(i).text, texts.at(i));
            QCOMPARE(read.at(i).plain, plain.at(i));
        }
    }
};

QTEST_MAIN(ReportHtmlPartsTest)
#include "tst_reporthtmlparts.moc"
