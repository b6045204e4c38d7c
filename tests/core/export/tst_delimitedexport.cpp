#include "core/base/RunTimeError.h"
#include "core/export/DelimitedExport.h"
#include "core/import/Divider.h"
#include "core/import/FieldMap.h"
#include "core/import/MappingCodes.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestHelpers.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::readFile;
using tovin::test::TestCatalogue;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

QStringList row(const QList<QPair<int, QString>>& values) {
    QStringList fields(31);
    for (const auto& [column, text] : values)
        fields[column] = text;
    return fields;
}

// A small disk of its own (a tmpfs mounted over a temporary folder), filled up to all but
// `free` bytes; it is unmounted again when it goes. Mounting needs root: isValid() tells
// whether it could be had.
class SmallDisk {
public:
    SmallDisk(qint64 free, const QByteArray& earlierFile) {
        QProcess mount;
        mount.start(u"mount"_s,
                    {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=256k"_s, u"tmpfs"_s, m_dir.path()});
        m_mounted = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit &&
                    mount.exitCode() == 0;
        if (!m_mounted)
            return;
        QFile earlier(path(u"keep.txt"_s));
        earlier.open(QIODevice::WriteOnly);
        earlier.write(earlierFile);
        earlier.close();
        // Filled a block at a time until the disk refuses, then given back `free` bytes.
        QFile fill(path(u"fill"_s));
        fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(4096, 'x');
        while (fill.write(block) == block.size()) {
        }
        fill.resize(qMax<qint64>(0, fill.size() - free));
        fill.close();
    }
    ~SmallDisk() {
        if (m_mounted)
            QProcess::execute(u"umount"_s, {m_dir.path()});
    }
    bool isValid() const { return m_mounted; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class DelimitedExportTest : public QObject {
    Q_OBJECT
private slots:
    void lines_data() {
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QString>("divider");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("line");
        const QStringList pen = row({{2, u"A1"_s}, {3, u"Pen"_s}, {12, u"12.5"_s}});
        QTest::newRow("stock number and retail, tab")
            << QList<int>{12, 2} << u"\t"_s << pen << u"A1\t12.5"_s;
        QTest::newRow("two spaces") << QList<int>{2, 3, 12} << u"  "_s << pen << u"A1  Pen  12.5"_s;
        QTest::newRow("empty divider is a comma")
            << QList<int>{2, 3} << QString() << pen << u"A1,Pen"_s;
        QTest::newRow("nothing ticked: an empty line")
            << QList<int>{} << u","_s << pen << QString();
        QTest::newRow("empty value adds nothing but its place")
            << QList<int>{2, 4, 12} << u","_s << pen << u"A1,,12.5"_s;
        QTest::newRow("value holding the divider is quoted")
            << QList<int>{2, 3} << u","_s << row({{2, u"A1"_s}, {3, u"Pen, red"_s}})
            << u"A1,\"Pen, red\""_s;
        QTest::newRow("a comma is plain text with the tab divider")
            << QList<int>{2, 3} << u"\t"_s << row({{2, u"A1"_s}, {3, u"Pen, red"_s}})
            << u"A1\tPen, red"_s;
        QTest::newRow("quotes doubled")
            << QList<int>{3} << u","_s << row({{3, u"12\" ruler"_s}}) << u"\"12\"\" ruler\""_s;
        QTest::newRow("notes with a line break")
            << QList<int>{29} << u","_s << row({{29, u"one\r\ntwo"_s}}) << u"\"one\r\ntwo\""_s;
        QTest::newRow("bracket divider inside a value")
            << QList<int>{2, 3} << u"]"_s << row({{2, u"A1"_s}, {3, u"[x]"_s}}) << u"A1]\"[x]\""_s;
    }
    void lines() {
        QFETCH(QList<int>, columns);
        QFETCH(QString, divider);
        QFETCH(QStringList, values);
        QFETCH(QString, line);
        DelimitedExport exporter;
        exporter.setColumns(columns);
        exporter.setDivider(divider);
        QCOMPARE(exporter.line(values), line);
    }

    // Stock-number order, CR LF after every line, numbers plain, yes/no as words, only the
    // searched products, and an existing file replaced.
    void fileOfTheSelection() {
        TestCatalogue catalogue;
        catalogue.add(1, u"B2"_s,
                      {{PC::Retail, 5.0}, {PC::Taxable, true}, {PC::Supplier, u"Acme"_s}});
        catalogue.add(2, u"A1"_s,
                      {{PC::Retail, 12.5}, {PC::Taxable, false}, {PC::Supplier, u"Acme"_s}});
        catalogue.add(3, u"C3"_s, {{PC::Retail, 1.0}, {PC::Supplier, u"Other"_s}});
        const QString path =
            test::writeFile(catalogue.filePath(u"list.txt"_s),
                            "an older export that is much longer than the new one\r\n");
        DelimitedExport exporter;
        exporter.setColumns({2, 12, 30});
        exporter.setSearchWhere(u"Supplier = 'Acme'"_s);
        const ImportOutcome outcome = exporter.run(catalogue.db(), path);
        QCOMPARE(outcome.counts.edited, 2);
        QCOMPARE(readFile(path), "A1,12.5,False\r\nB2,5,True\r\n"_ba);
    }

    // The heading names the ticked columns in the order of the values below it; the heading is
    // no product: the count stays the products'. Text is written in UTF-8 unless asked.
    void heading_data() {
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QString>("divider");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("captions in column order")
            << QList<int>{12, 2, 3} << u"\t"_s
            << "Stock Number\tProduct Name\tRetail Price\r\nA1\tCaf\xC3\xA9 \xE2\x82\xAC"
               "5, red\t12.5\r\n"_ba;
        QTest::newRow("a caption holding the divider is quoted")
            << QList<int>{2, 3} << u" "_s
            << "\"Stock Number\" \"Product Name\"\r\nA1 \"Caf\xC3\xA9 \xE2\x82\xAC"
               "5, red\"\r\n"_ba;
        QTest::newRow("nothing ticked: an empty heading")
            << QList<int>{} << u","_s << "\r\n\r\n"_ba;
    }
    void heading() {
        QFETCH(QList<int>, columns);
        QFETCH(QString, divider);
        QFETCH(QByteArray, file);
        TestCatalogue catalogue;
        catalogue.add(1, u"A1"_s, {{PC::Retail, 12.5}, {PC::ProdName, u"Café €5, red"_s}});
        DelimitedExport exporter;
        exporter.setColumns(columns);
        exporter.setDivider(divider);
        exporter.setHeading(true);
        const QString path = catalogue.filePath(u"heading.txt"_s);
        QCOMPARE(exporter.run(catalogue.db(), path).counts.edited, 1);
        QCOMPARE(readFile(path), file);
    }

    // The count of written products goes on past 32767 to the last one.
    void countsEveryProduct() {
        constexpr int Products = 33000;
        TestCatalogue catalogue;
        catalogue.addNumbered(Products);
        DelimitedExport exporter;
        exporter.setColumns({2});
        const ImportOutcome outcome =
            exporter.run(catalogue.db(), catalogue.filePath(u"all.txt"_s));
        QCOMPARE(outcome.counts.edited, Products);
        QCOMPARE(outcome.totals, DelimitedExport::progress(Products));
        QVERIFY(outcome.totals.contains(u"33000"_s));
        QCOMPARE(readFile(catalogue.filePath(u"all.txt"_s)).count('\n'), Products);
    }

    void refusals_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<bool>("writableFolder");
        QTest::newRow("folder that does not exist") << QString() << false;
        QTest::newRow("search that cannot be used") << u"NoSuchColumn = 1"_s << true;
    }
    // A failed export is an error, and an earlier file stays as it was.
    void refusals() {
        QFETCH(QString, where);
        QFETCH(bool, writableFolder);
        TestCatalogue catalogue;
        catalogue.add(1, u"A1"_s);
        const QString path = writableFolder
                                 ? test::writeFile(catalogue.filePath(u"keep.txt"_s), "earlier\r\n")
                                 : catalogue.filePath(u"missing/keep.txt"_s);
        DelimitedExport exporter;
        exporter.setColumns({2});
        exporter.setSearchWhere(where);
        QVERIFY_THROWS_EXCEPTION(RunTimeError, exporter.run(catalogue.db(), path));
        QCOMPARE(readFile(path), writableFolder ? "earlier\r\n"_ba : "<missing>"_ba);
    }

    // A divider the import could not read back is refused before the file is touched; every
    // divider the import takes is written.
    void dividers_data() {
        QTest::addColumn<QString>("divider");
        QTest::addColumn<bool>("readable");
        QTest::newRow("double quote") << u"\""_s << false;
        QTest::newRow("quote after a semicolon") << u";\""_s << false;
        QTest::newRow("line feed") << u"\n"_s << false;
        QTest::newRow("carriage return") << u"\r"_s << false;
        QTest::newRow("three characters") << u";;;"_s << false;
        QTest::newRow("empty is a comma") << QString() << true;
        QTest::newRow("tab") << u"\t"_s << true;
        QTest::newRow("two spaces") << u"  "_s << true;
        QTest::newRow("two characters") << u"||"_s << true;
        QTest::newRow("single quote") << u"'"_s << true;
    }
    void dividers() {
        QFETCH(QString, divider);
        QFETCH(bool, readable);
        QCOMPARE(!DelimitedExport::dividerRefusal(divider), readable);
        TestCatalogue catalogue;
        catalogue.add(1, u"A1"_s, {{PC::ProdName, u"Pen"_s}});
        const QString path = test::writeFile(catalogue.filePath(u"keep.txt"_s), "earlier\r\n");
        DelimitedExport exporter;
        exporter.setColumns({PC::StockNo, PC::ProdName});
        exporter.setDivider(divider);
        if (!readable) {
            QVERIFY_THROWS_EXCEPTION(RunTimeError, exporter.run(catalogue.db(), path));
            QCOMPARE(readFile(path), "earlier\r\n"_ba);
            return;
        }
        exporter.run(catalogue.db(), path);
        QCOMPARE(readFile(path), "A1"_ba + exporter.divider().toUtf8() + "Pen\r\n"_ba);
    }

    // An export that does not fit on the disk says so and leaves the earlier file as it was,
    // whether its last bytes fail only when the file is finished or a write fails on the way.
    void fullDisk_data() {
        QTest::addColumn<int>("products");
        QTest::addColumn<qint64>("free");
        QTest::newRow("small export, disk full") << 20 << qint64(0);
        QTest::newRow("large export, some room") << 3000 << qint64(8192);
    }
    void fullDisk() {
        QFETCH(int, products);
        QFETCH(qint64, free);
        if (::geteuid() != 0)
            QSKIP("a small disk of the test's own needs root to be mounted");
        TestCatalogue catalogue;
        catalogue.addNumbered(products);
        const SmallDisk disk(free, "earlier\r\n");
        if (!disk.isValid())
            QSKIP("mounting a small disk is not permitted here");
        DelimitedExport exporter;
        exporter.setColumns({PC::StockNo, PC::ProdName});
        QString message;
        try {
            exporter.run(catalogue.db(), disk.path(u"keep.txt"_s));
        } catch (const RunTimeError& error) {
            message = error.description();
        }
        QVERIFY2(message.contains(u"the disk is full"_s), qPrintable(message));
        QCOMPARE(readFile(disk.path(u"keep.txt"_s)), "earlier\r\n"_ba);
    }

    // A product the code page cannot hold stops the export before anything is written, naming
    // the first few by stock number; characters of columns not exported do not matter.
    void codePageRefusals_data() {
        QTest::addColumn<QStringList>("names"); // product names of A1, A2, ...
        QTest::addColumn<QList<int>>("columns");
        QTest::addColumn<QString>("refusal"); // empty when the file is written
        QTest::addColumn<QByteArray>("written");
        const QList<int> stockAndName{PC::StockNo, PC::ProdName};
        QTest::newRow("Japanese") << QStringList{u"日本"_s} << stockAndName
                                  << u"1 product holds characters Windows-1252 cannot hold (A1);"_s
                                  << QByteArray();
        QTest::newRow("dotless i, second product")
            << QStringList{u"Pen"_s, u"Yardım"_s} << stockAndName << u"(A2);"_s << QByteArray();
        QTest::newRow("four products, three named")
            << QStringList{u"Ωmega"_s, u"Pen"_s, u"日本"_s, u"Yardım"_s, u"Łódź"_s} << stockAndName
            << u"4 products hold characters Windows-1252 cannot hold (A1, A3, "
               u"A4, ...)"_s
            << QByteArray();
        // A failed check must not colour the products after it.
        QTest::newRow("emoji first, accents after")
            << QStringList{u"Gift \U0001F381"_s, u"Caf\u00e9"_s, u"Pen"_s, u"Cr\u00e8me"_s}
            << stockAndName << u"1 product holds characters Windows-1252 cannot hold (A1);"_s
            << QByteArray();
        QTest::newRow("accents around one emoji")
            << QStringList{u"Caf\u00e9"_s, u"Pen"_s, u"\U0001F600"_s, u"Cr\u00e8me"_s, u"\u00c5s"_s}
            << stockAndName << u"1 product holds characters Windows-1252 cannot hold (A3);"_s
            << QByteArray();
        QTest::newRow("only in a column not exported")
            << QStringList{u"日本"_s} << QList<int>{PC::StockNo} << QString() << "A1\r\n"_ba;
        QTest::newRow("euro and accents fit")
            << QStringList{u"Café €5 ‚Ÿ"_s} << stockAndName << QString()
            << "A1,Caf\xE9 \x80"
               "5 \x82\x9F\r\n"_ba;
    }
    void codePageRefusals() {
        QFETCH(QStringList, names);
        QFETCH(QList<int>, columns);
        QFETCH(QString, refusal);
        QFETCH(QByteArray, written);
        TestCatalogue catalogue;
        for (int i = 0; i < names.size(); ++i)
            catalogue.add(i + 1, u"A"_s + QString::number(i + 1), {{PC::ProdName, names.at(i)}});
        const QString path = test::writeFile(catalogue.filePath(u"keep.txt"_s), "earlier\r\n");
        DelimitedExport exporter;
        exporter.setColumns(columns);
        exporter.setEncoding(DelimitedExport::Encoding::Windows1252);
        QString message;
        try {
            exporter.run(catalogue.db(), path);
        } catch (const DelimitedExport::Unencodable& error) {
            message = error.description();
        }
        if (refusal.isEmpty()) {
            QVERIFY2(message.isEmpty(), qPrintable(message));
            QCOMPARE(readFile(path), written);
            return;
        }
        QVERIFY2(message.contains(refusal), qPrintable(message));
        QCOMPARE(readFile(path), "earlier\r\n"_ba);
    }

    // Every column that the import takes comes back unchanged from an export of all 30 columns:
    // every text with a comma, quotes and a line break, money to four decimals, yes and no.
    void roundTripThroughTheImport() {
        TestCatalogue source;
        const QList<ColumnInfo> columns = source.db().columns(u"Products"_s);
        ColumnValueList values;
        for (int column = 1; column <= 30; ++column) {
            const ColumnKind kind = columns.at(column).kind;
            if (column == PC::StockNo)
                continue;
            if (kind == ColumnKind::Money)
                values.append({column, 1000 + column + 0.5678});
            else if (kind == ColumnKind::Number)
                values.append({column, column});
            else if (kind == ColumnKind::YesNo)
                values.append({column, column % 2 == 0});
            else
                values.append({column, u"%1, \"quoted\"\r\nnext line"_s.arg(column)});
        }
        source.add(1, u"RT-1"_s, values);
        source.add(2, u"RT-2"_s, {{PC::ProdName, u"Plain"_s}, {PC::Retail, 1.0}});
        const QString path = source.folder() + u"/all.txt"_s;
        DelimitedExport exporter;
        QList<int> all;
        for (int column = 1; column <= 30; ++column)
            all << column;
        exporter.setColumns(all);
        exporter.run(source.db(), path);

        TestCatalogue target;
        FieldMap map;
        for (int column = 1; column <= 30; ++column)
            if (!MappingCodes::isRefused(column))
                map.setCode(column - 1, column);
        ImportOptions options;
        options.onError = [](const RunTimeError& error) { QFAIL(qPrintable(error.description())); };
        const ImportOutcome outcome = ProductImporter::importText(
            target.db(), TextFile::load(path), 0, Divider::comma(), map, options, {});
        QCOMPARE(outcome.counts.added, 2);
        for (const QString& stock : {u"RT-1"_s, u"RT-2"_s})
            for (int column = 1; column <= 30; ++column) {
                if (MappingCodes::isRefused(column))
                    continue;
                const QString name = MappingCodes::columnName(column);
                QCOMPARE(target.text(stock, name), source.text(stock, name));
            }
    }
};

QTEST_GUILESS_MAIN(DelimitedExportTest)
#include "tst_delimitedexport.moc"
