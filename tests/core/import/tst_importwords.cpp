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
        QTest::newRow("word for a code")
            << u"0=stock"_s << Pairs{}
            << u"A mapping code must be a whole number of 0 or more, not \"stock\""_s;
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
};

QTEST_GUILESS_MAIN(ImportWordsTest)
#include "tst_importwords.moc"
