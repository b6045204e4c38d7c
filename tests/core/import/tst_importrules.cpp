#include "core/import/FieldMap.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/MappingCodes.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using Target = ImportValueRules::Target;

Q_DECLARE_METATYPE(tovin::ImportValueRules::Target)

class ImportRulesTest : public QObject {
    Q_OBJECT
private slots:
    void numericValue_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain number kept") << u"12.50"_s << u"12.50"_s;
        QTest::newRow("dollar sign") << u"$5"_s << u"0"_s;
        QTest::newRow("trailing letters") << u"12.50abc"_s << u"12.5"_s;
        QTest::newRow("word") << u"call"_s << u"0"_s;
        QTest::newRow("negative") << u"-3"_s << u"-3"_s;
        QTest::newRow("thousands kept") << u"1,234.5"_s << u"1,234.5"_s;
        QTest::newRow("comma then letters") << u"1,2x"_s << u"1"_s;
    }
    void numericValue() {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        QCOMPARE(ImportValueRules::convert(7, value, Target::ExistingRow), stored);
        QCOMPARE(ImportValueRules::convert(13, value, Target::NewRow), stored);
    }

    void yesNoValue_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<Target>("target");
        QTest::addColumn<QString>("stored");
        for (const QString& yes : {u"Yes"_s, u"Y"_s, u"True"_s, u"Yup"_s})
            QTest::addRow("%s", qPrintable(yes)) << yes << Target::ExistingRow << u"True"_s;
        for (const QString& no :
             {u"No"_s, u"N"_s, u"False"_s, u"1"_s, u"yes"_s, u"y"_s, u"true"_s, u"TRUE"_s, u"-1"_s})
            QTest::addRow("%s", qPrintable(no)) << no << Target::ExistingRow << u"False"_s;
        QTest::newRow("blank before Y, existing row")
            << u" Y"_s << Target::ExistingRow << u"False"_s;
        QTest::newRow("blank before Y, new row") << u" Y"_s << Target::NewRow << u"True"_s;
        QTest::newRow("blanks around True, new row") << u" True "_s << Target::NewRow << u"True"_s;
        QTest::newRow("blanks around True, existing row")
            << u"True "_s << Target::ExistingRow << u"False"_s;
    }
    void yesNoValue() {
        QFETCH(QString, value);
        QFETCH(Target, target);
        QFETCH(QString, stored);
        for (int code : {19, 21, 22, 30})
            QCOMPARE(ImportValueRules::convert(code, value, target), stored);
    }

    void differs_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("incoming");
        QTest::addColumn<bool>("changed");
        QTest::newRow("5 and 5.00") << QVariant(5.0) << u"5.00"_s << false;
        QTest::newRow("text 5 and 5.00") << QVariant(u"5"_s) << u"5.00"_s << false;
        QTest::newRow("5 and 5.01") << QVariant(5.0) << u"5.01"_s << true;
        QTest::newRow("null") << QVariant() << u"x"_s << true;
        QTest::newRow("empty") << QVariant(QString()) << u"x"_s << true;
        QTest::newRow("same text") << QVariant(u"Red Pen"_s) << u"Red Pen"_s << false;
        QTest::newRow("letter case") << QVariant(u"Red Pen"_s) << u"red pen"_s << true;
        QTest::newRow("number and text") << QVariant(5.0) << u"five"_s << true;
        QTest::newRow("yes and True") << QVariant(true) << u"True"_s << false;
        QTest::newRow("no and True") << QVariant(false) << u"True"_s << true;
    }
    void differs() {
        QFETCH(QVariant, stored);
        QFETCH(QString, incoming);
        QFETCH(bool, changed);
        QCOMPARE(ImportValueRules::differs(stored, incoming), changed);
    }

    // Only positions 7 and 8 lose a lone dash, also with blanks around it.
    void dashFields() {
        ImportItem item;
        for (const QString& value :
             {u"A1"_s, u"-"_s, u"-"_s, u"-"_s, u"-"_s, u"-"_s, u"-"_s, u" - "_s, u"-"_s, u"-"_s})
            item.append(value);
        ImportValueRules::clearDashFields(item);
        QCOMPARE(item.field(6), u"-"_s);
        QCOMPARE(item.field(7) + item.field(8), QString());
        QCOMPARE(item.field(9), u"-"_s);
    }

    // Yes/no questions the import asks of a single value: is the stock number one that is passed
    // over, is the item discontinued (also as field 10 of the stock file), is the database the
    // program's own.
    void predicates_data() {
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("yes");
        const auto add = [](const char* question, const QStringList& yes, const QStringList& no) {
            for (const QString& value : yes + no)
                QTest::addRow("%s '%s'", question, qPrintable(value))
                    << QString::fromLatin1(question) << value << yes.contains(value);
        };
        add("skip", {QString(), u"0"_s, u"99999999"_s}, {u"24-MB01"_s, u" 0"_s, u"9999999"_s});
        add("disco", {u"True"_s, u"yes"_s, u"  Y"_s}, {u"true"_s, u" True"_s, u"No"_s, QString()});
        add("own", {u"/data/tovin.mdb"_s, u"/data/Tovin.Mdb"_s, u"C:\\Shop\\TOVIN.MDB"_s},
            {u"/data/mytovin.mdb"_s, u"/tovin.mdb/other.mdb"_s});
    }
    void predicates() {
        QFETCH(QString, question);
        QFETCH(QString, value);
        QFETCH(bool, yes);
        if (question == u"skip"_s)
            QCOMPARE(ImportValueRules::skipsStockNumber(value), yes);
        if (question == u"own"_s)
            QCOMPARE(FixedMappings::isTovinDatabase(value), yes);
        if (question != u"disco"_s)
            return;
        QCOMPARE(ImportValueRules::isDiscontinued(value), yes);
        ImportItem item;
        for (int i = 0; i < 13; ++i)
            item.append(i == 10 ? value : u"y"_s);
        QCOMPARE(ImportValueRules::isDiscontinued(item, FixedMappings::stockFile().map), yes);
    }

    void slotsToAdd_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("slotCount");
        QTest::newRow("two") << u"2"_s << 2;
        QTest::newRow("negative") << u"-1"_s << 0;
        QTest::newRow("word") << u"two"_s << 0;
        QTest::newRow("below one") << u"0.6"_s << 0;
        QTest::newRow("huge") << u"100000"_s << ImportItem::Positions;
    }
    void slotsToAdd() {
        QFETCH(QString, answer);
        QFETCH(int, slotCount);
        QCOMPARE(ImportValueRules::slotsToAdd(answer), slotCount);
    }

    void priceLists_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("priceCode");
        QTest::newRow("white") << 0 << u"White"_s << u"wp-cd.txt"_s << 7;
        QTest::newRow("open party") << 2 << u"Open Party"_s << u"op-cd.txt"_s << 9;
        QTest::newRow("canadian") << 3 << u"Canadian"_s << u"canp-cd.txt"_s << 10;
        QTest::newRow("retail") << 4 << u"Retail"_s << u"sp-cd.txt"_s << 12;
    }
    void priceLists() {
        QFETCH(int, index);
        QFETCH(QString, name);
        QFETCH(QString, file);
        QFETCH(int, priceCode);
        const FixedMappings::SupplierFile list = FixedMappings::priceLists().at(index);
        QCOMPARE(list.relativePath, u"Supplier/"_s + file);
        QCOMPARE(list.divider.kind(), Divider::Kind::Comma);
        QCOMPARE(list.map, (FieldMap{{0, 2}, {1, 5}, {2, 3}, {3, 6}, {4, priceCode}}));
        QCOMPARE(
            FixedMappings::missingFileMessage(list),
            u"This Will Update Your Supplier's %1 Price List '%2' file ONLY!\n"
            u"You Can Get This From Your Supplier's Main Web Site!\n"
            u"This File Must Be In Your Supplier Folder\n\n"
            u"Choose 'Text Files' If This Was Not The File You Intended To Use!"_s.arg(name, file));
    }

    void fullDescriptionFile() {
        const FixedMappings::SupplierFile full = FixedMappings::fullDescriptionFile();
        QCOMPARE(full.relativePath, u"Supplier/fulldesc.tab"_s);
        QCOMPARE(full.divider.kind(), Divider::Kind::Tab);
        QCOMPARE(full.map, (FieldMap{{0, 2}, {1, 4}}));
    }

    void stockFieldIndex() {
        FieldMap map;
        QCOMPARE(map.stockFieldIndex(), -1);
        QCOMPARE(map.lastMappedPosition(), -1);
        map.setCode(3, 2);
        map.setCode(5, 2);
        map.setCode(100, 4);
        map.setCode(101, 4); // no such position
        QCOMPARE(map.stockFieldIndex(), 5);
        QCOMPARE(map.lastMappedPosition(), 100);
    }

    // Texts no other test shows in full.
    void messages_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("skip code") << MappingCodes::caption(0) << u"* SKIP THIS ONE / IGNORE! *"_s;
        QTest::newRow("stock number code")
            << MappingCodes::caption(2)
            << u"Stock # / Item ID ** NOTE: Required! ** (Letters Or Numbers Okay)"_s;
        QTest::newRow("refused code") << MappingCodes::caption(26) << u"** DON'T USE THIS ONE **"_s;
        QTest::newRow("yes/no code")
            << MappingCodes::caption(30) << u"Taxable (True/False Y/N Yes/No)"_s;
        QTest::newRow("no stock file")
            << FixedMappings::missingFileMessage(FixedMappings::stockFile()).section(u'\n', 0, 1)
            << u"This Will Update Your Supplier's 'STOCK.TXT' file ONLY!\nYou Can Get This From "
               u"Your Supplier's FTP Site In Their Inventory Folder"_s;
        QTest::newRow("preview")
            << ImportMessages::preview(100)
            << u"Below Is The First 100 Lines Of The File You Selected!\nIf There Are Lines At "
               u"The Top Which Are NOT Valid,\nSuch As Blanks, Or Dates, Non-Item Information, "
               u"Etc...\nClick The Line You Want To Start With"_s;
        QTest::newRow("no proposal for other")
            << ImportMessages::dividerProposal(Divider::Kind::Other) << QString();
        QTest::newRow("add more") << ImportMessages::addMorePrompt(19)
                                  << u"The Data Shows There Are 19 Items.\nThere May Be Other "
                                     u"Lines With More Items,\nIf You Want To Add Slots For "
                                     u"Them, Enter How Many To Add\nWhich May Not Be On This "
                                     u"One Line?"_s;
        QTest::newRow("bitmap name")
            << ImportMessages::newItemName(u"B2.Bmp"_s) << u"New BMP Picture"_s;
        QTest::newRow("progress with a short stock number")
            << ImportMessages::progress(u"AB12"_s, 3, 2, 1)
            << u"Adding Product ID # AB12   Checked: 3   New: 2   Edited: 1"_s;
        // A whole line read as a stock number (a wrong divider) is cut to its first 60
        // characters.
        QTest::newRow("progress with a line-long stock number")
            << ImportMessages::progress(QString(70, u'x'), 1, 1, 0)
            << u"Adding Product ID # "_s + QString(60, u'x') +
                   u"...   Checked: 1   New: 1   Edited: 0"_s;
    }
    void messages() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(ImportRulesTest)
#include "tst_importrules.moc"
