#include "core/import/AccessTableImport.h"
#include "core/import/ImportWords.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

using Pairs = QList<QPair<int, int>>;
Q_DECLARE_METATYPE(Pairs)

class ImportWordsTest : public QObject {
    Q_OBJECT
private slots:
    void readMap_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Pairs>("pairs");     // every mapped position with its code
        QTest::addColumn<QString>("refusal"); // empty: read
        QTest::newRow("pairs with blanks")
            << u"0=2, 3 = 12"_s << Pairs{{0, 2}, {3, 12}} << QString();
        QTest::newRow("empty pairs passed over") << u"1=2,,"_s << Pairs{{1, 2}} << QString();
        QTest::newRow("last position") << u"100=2"_s << Pairs{{100, 2}} << QString();
        QTest::newRow("highest code") << u"0=2,1=30"_s << Pairs{{0, 2}, {1, 30}} << QString();
        QTest::newRow("a position given twice keeps the later code")
            << u"0=3,0=2"_s << Pairs{{0, 2}} << QString();
        QTest::newRow("no equals sign")
            << u"0=2,4"_s << Pairs{} << u"--map takes POS=CODE pairs, not \"4\""_s;
        QTest::newRow("two equals signs")
            << u"0=2=3"_s << Pairs{} << u"--map takes POS=CODE pairs, not \"0=2=3\""_s;
        QTest::newRow("negative position")
            << u"-1=2"_s << Pairs{}
            << u"A field position must be a whole number of 0 or more, not \"-1\""_s;
        QTest::newRow("column names for codes")
            << u"0=StockNo, 1=prodname ,2=RETAIL"_s << Pairs{{0, 2}, {1, 3}, {2, 12}} << QString();
        QTest::newRow("names and codes mixed")
            << u"0=2,1=Cost1"_s << Pairs{{0, 2}, {1, 7}} << QString();
        QTest::newRow("word that is no column")
            << u"0=stock"_s << Pairs{}
            << u"\"stock\" is neither a mapping code nor a column; the nearest column is StockNo"_s;
        QTest::newRow("misspelt column")
            << u"0=2,1=Retial"_s << Pairs{}
            << u"\"Retial\" is neither a mapping code nor a column; the nearest column is Retail"_s;
        QTest::newRow("negative code") << u"0=-2"_s << Pairs{}
                                       << u"A mapping code must be a whole number of 0 or more, "
                                          u"not \"-2\""_s;
        QTest::newRow("column kept by the program")
            << u"0=2,1=inventory"_s << Pairs{}
            << u"mapping code 23 (Inventory) is kept by the program and cannot be imported"_s;
        QTest::newRow("position past the last")
            << u"101=2"_s << Pairs{} << u"field position 101 is past the last position (100)"_s;
        QTest::newRow("code out of range")
            << u"0=31"_s << Pairs{} << u"mapping code 31 is not one of the codes 0 to 30"_s;
        QTest::newRow("code kept by the program")
            << u"0=2,1=23"_s << Pairs{}
            << u"mapping code 23 (Inventory) is kept by the program and cannot be imported"_s;
    }
    void readMap() {
        QFETCH(QString, text);
        QFETCH(Pairs, pairs);
        QFETCH(QString, refusal);
        const ImportWords::MapReading reading = ImportWords::readMap(text);
        QCOMPARE(reading.refusal, refusal);
        if (!refusal.isEmpty())
            return;
        FieldMap expected;
        for (const auto& [position, code] : pairs)
            expected.setCode(position, code);
        QCOMPARE(reading.map, expected);
    }

    void readSupplierFiles_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("files"); // the files' relative paths, in reading order
        QTest::addColumn<QString>("refusal");
        const QString white = FixedMappings::priceList(0).relativePath;
        const QString yellow = FixedMappings::priceList(1).relativePath;
        const QString retail = FixedMappings::priceList(4).relativePath;
        QTest::newRow("one list") << u"yellow"_s << QStringList{yellow} << QString();
        QTest::newRow("lists in reading order, any case")
            << u"Retail, WHITE,yellow"_s << QStringList{white, yellow, retail} << QString();
        QTest::newRow("full descriptions")
            << u"fulldesc"_s << QStringList{FixedMappings::fullDescriptionFile().relativePath}
            << QString();
        QTest::newRow("stock") << u"Stock"_s << QStringList{FixedMappings::stockFile().relativePath}
                               << QString();
        QTest::newRow("stock with a list")
            << u"stock,white"_s << QStringList{}
            << u"fulldesc and stock are read on their own, not with other files"_s;
        QTest::newRow("fulldesc with stock")
            << u"fulldesc,stock"_s << QStringList{}
            << u"fulldesc and stock are read on their own, not with other files"_s;
        QTest::newRow("unknown name")
            << u"white,green"_s << QStringList{}
            << u"unknown supplier file \"green\" (fulldesc, stock, white, yellow, openparty, "
               u"canadian or retail)"_s;
        QTest::newRow("only commas")
            << u",,"_s << QStringList{} << u"--supplier-file needs the name of a supplier file"_s;
    }
    void readSupplierFiles() {
        QFETCH(QString, text);
        QFETCH(QStringList, files);
        QFETCH(QString, refusal);
        const ImportWords::SupplierFilesReading reading = ImportWords::readSupplierFiles(text);
        QCOMPARE(reading.refusal, refusal);
        QStringList paths;
        for (const FixedMappings::SupplierFile& file : reading.files)
            paths << file.relativePath;
        QCOMPARE(paths, files);
    }

    // The divider words of the command line, which are also how a remembered mapping keeps its
    // divider: each divider read from its word is the divider the word was made from.
    void readDivider_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word"); // of the divider read; empty when refused
        QTest::addColumn<QString>("refusal");
        const QString invalid = u"Sorry, that is not a valid choice! (a divider is one or two "_s
                                u"characters, or comma, tab, spaces, bracket or lines:N)"_s;
        QTest::newRow("comma in capitals") << u"COMMA"_s << u"comma"_s << QString();
        QTest::newRow("tab") << u"Tab"_s << u"tab"_s << QString();
        QTest::newRow("spaces") << u"spaces"_s << u"spaces"_s << QString();
        QTest::newRow("bracket") << u"bracket"_s << u"bracket"_s << QString();
        QTest::newRow("lines per item") << u"LINES:4"_s << u"lines:4"_s << QString();
        QTest::newRow("typed comma is the comma") << u","_s << u"comma"_s << QString();
        QTest::newRow("typed tab is the tab") << u"\t"_s << u"tab"_s << QString();
        QTest::newRow("typed text keeps its case") << u"Xy"_s << u"Xy"_s << QString();
        QTest::newRow("no lines") << u"lines:0"_s << QString()
                                  << u"an item needs at least one line"_s;
        QTest::newRow("lines not a number")
            << u"lines:x"_s << QString()
            << u"The number of lines per item must be a whole number of 0 or more, not \"x\""_s;
        QTest::newRow("more lines than a whole number holds")
            << u"lines:40000"_s << QString() << invalid;
        QTest::newRow("three characters") << u";;;"_s << QString() << invalid;
        QTest::newRow("double quote") << u"\""_s << QString() << invalid;
        QTest::newRow("nothing") << QString() << QString() << invalid;
    }
    void readDivider() {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(QString, refusal);
        const ImportWords::DividerReading reading = ImportWords::readDivider(text);
        QCOMPARE(reading.refusal, refusal);
        QCOMPARE(reading.divider.has_value(), refusal.isEmpty());
        if (!reading.divider)
            return;
        QCOMPARE(ImportWords::dividerWord(*reading.divider), word);
        const std::optional<Divider> again = ImportWords::readDivider(word).divider;
        QVERIFY(again);
        QCOMPARE(again->kind(), reading.divider->kind());
        QCOMPARE(again->text(), reading.divider->text());
        QCOMPARE(again->linesPerItem(), reading.divider->linesPerItem());
    }

    // Which files the database import reads and which the text import.
    void databaseFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("database");
        QTest::newRow("mdb") << u"/data/Shop.mdb"_s << true;
        QTest::newRow("accdb in capitals") << u"C:/data/SHOP.ACCDB"_s << true;
        QTest::newRow("named after a database") << u"/data/shop.mdb.txt"_s << false;
        QTest::newRow("text") << u"/data/prices.csv"_s << false;
    }
    void databaseFiles() {
        QFETCH(QString, path);
        QFETCH(bool, database);
        QCOMPARE(AccessTableImport::readsFile(path), database);
    }
};

QTEST_GUILESS_MAIN(ImportWordsTest)
#include "tst_importwords.moc"
