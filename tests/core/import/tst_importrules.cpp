#include "core/import/FieldMap.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportItem.h"
#include "core/import/ImportMessages.h"
#include "core/import/ImportValueRules.h"
#include "core/import/RepeatedStockNumbers.h"

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
        QTest::addColumn<bool>("decimalComma");
        QTest::addColumn<QString>("stored"); // "-" = passed over, the stored value stays
        QTest::newRow("plain number kept") << u"12.50"_s << false << u"12.50"_s;
        QTest::newRow("trailing letters") << u"12.50abc"_s << false << u"12.5"_s;
        QTest::newRow("each after it") << u"12.50 ea"_s << false << u"12.5"_s;
        QTest::newRow("thousands kept") << u"1,234.5"_s << false << u"1,234.5"_s;
        QTest::newRow("comma then letters") << u"1,2x"_s << false << u"-"_s;
        QTest::newRow("decimal comma unticked") << u"44,38"_s << false << u"-"_s;
        QTest::newRow("comma and one digit") << u"1,5"_s << false << u"-"_s;
        QTest::newRow("comma in every gap") << u"1,2,3"_s << false << u"-"_s;
        QTest::newRow("grouped with letters") << u"1,234.50 ea"_s << false << u"1234.5"_s;
        QTest::newRow("two points") << u"1.2.3"_s << false << u"-"_s;
        QTest::newRow("dollar sign") << u"$12.50"_s << false << u"12.50"_s;
        QTest::newRow("euro and a blank") << u"€ 2.50"_s << false << u"2.50"_s;
        QTest::newRow("country letters") << u"US$ 3"_s << false << u"3"_s;
        QTest::newRow("pound with letters after") << u"£4.10 each"_s << false << u"4.1"_s;
        QTest::newRow("word") << u"call"_s << false << u"-"_s;
        QTest::newRow("not available") << u"N/A"_s << false << u"-"_s;
        QTest::newRow("sign without number") << u"$"_s << false << u"-"_s;
        // Zero with a minus is no credit: the money columns take it.
        QTest::newRow("minus zero") << u"-0.00"_s << false << u"-0.00"_s;
        QTest::newRow("zero, trailing minus") << u"0,00-"_s << true << u"-0.00"_s;
        QTest::newRow("decimal comma") << u"30,36"_s << true << u"30.36"_s;
        QTest::newRow("decimal comma, grouped") << u"1.234,50"_s << true << u"1234.50"_s;
        QTest::newRow("decimal comma with euro") << u"€ 2,5 / Stk"_s << true << u"2.5"_s;
        QTest::newRow("decimal comma, word") << u"auf Anfrage"_s << true << u"-"_s;
        QTest::newRow("decimal comma, blank groups") << u"1 234,50"_s << true << u"1234.50"_s;
        QTest::newRow("decimal comma, commas twice") << u"2,849,83"_s << true << u"-"_s;
        QTest::newRow("decimal comma, point for cents") << u"12.50"_s << true << u"-"_s;
        QTest::newRow("decimal comma, grouped thousand") << u"1.234"_s << true << u"1234"_s;
        QTest::newRow("decimal comma, leading comma") << u",5"_s << true << u".5"_s;
        // Spreadsheets group thousands with no-break blanks, Swiss lists with apostrophes.
        QTest::newRow("no-break space groups") << u"1\u00A0234,50"_s << true << u"1234.50"_s;
        QTest::newRow("narrow no-break space groups")
            << u"1\u202F234\u202F567,89"_s << true << u"1234567.89"_s;
        QTest::newRow("no-break space, decimal point")
            << u"1\u00A0234.50"_s << false << u"1234.50"_s;
        QTest::newRow("Swiss apostrophe") << u"1'234.50"_s << false << u"1234.50"_s;
        QTest::newRow("typographic apostrophe") << u"1\u2019234.50"_s << false << u"1234.50"_s;
        QTest::newRow("apostrophe, decimal comma") << u"1'234,50"_s << true << u"1234.50"_s;
        QTest::newRow("no-break space after euro") << u"€\u00A02,50"_s << true << u"2.50"_s;
        QTest::newRow("no-break space before letters") << u"12.50\u00A0ea"_s << false << u"12.5"_s;
        QTest::newRow("no-break spaces around") << u"\u00A012.50\u00A0"_s << false << u"12.50"_s;
        QTest::newRow("no-break space, two digits after") << u"12\u00A050"_s << true << u"-"_s;
        QTest::newRow("blank, two digits after") << u"12 50"_s << false << u"-"_s;
        QTest::newRow("blank in the cents") << u"12.50 3"_s << false << u"-"_s;
        QTest::newRow("two blanks in a group") << u"1  234,50"_s << true << u"-"_s;
        QTest::newRow("apostrophe, two digits after") << u"12'50"_s << false << u"-"_s;
        QTest::newRow("apostrophe after the number") << u"5' long"_s << false << u"5"_s;
        QTest::newRow("points and blanks mixed") << u"1.234\u00A0567,00"_s << true << u"-"_s;
        QTest::newRow("a blank within a group") << u"1.2 3,00"_s << true << u"-"_s;
        QTest::newRow("blanks and commas mixed") << u"1 234,567.00"_s << false << u"-"_s;
    }
    void numericValue() {
        QFETCH(QString, value);
        QFETCH(bool, decimalComma);
        QFETCH(QString, stored);
        for (int code : {7, 12, 13})
            for (Target target : {Target::ExistingRow, Target::NewRow})
                QCOMPARE(
                    ImportValueRules::convert(code, value, target, decimalComma).value_or(u"-"_s),
                    stored);
    }

    // A credit is written with a minus before or after it or in parentheses. It is read as a
    // negative number, and no money column of the import takes it; other columns keep the text.
    void negativeAmounts_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("decimalComma");
        QTest::addColumn<QString>("read"); // "-" = no number
        QTest::newRow("leading minus") << u"-3"_s << false << u"-3"_s;
        QTest::newRow("minus before the sign") << u"-$5"_s << false << u"-5"_s;
        QTest::newRow("trailing minus") << u"12,50-"_s << true << u"-12.50"_s;
        QTest::newRow("grouped, trailing minus") << u"1.234,50-"_s << true << u"-1234.50"_s;
        QTest::newRow("trailing minus after a blank") << u"12.50 -"_s << false << u"-12.50"_s;
        QTest::newRow("trailing minus, letters") << u"12.50- ea"_s << false << u"-12.5"_s;
        QTest::newRow("parentheses") << u"(12.50)"_s << false << u"-12.50"_s;
        QTest::newRow("parentheses, decimal comma") << u"(1.234,50)"_s << true << u"-1234.50"_s;
        QTest::newRow("parentheses around the sign") << u"($1,234.50)"_s << false << u"-1234.50"_s;
        QTest::newRow("sign before parentheses") << u"€ (2,50)"_s << true << u"-2.50"_s;
        QTest::newRow("parentheses and minus") << u"(-12.50)"_s << false << u"-"_s;
        QTest::newRow("parentheses, minus after") << u"(12.50)-"_s << false << u"-"_s;
        QTest::newRow("minus at both ends") << u"-12.50-"_s << false << u"-"_s;
        QTest::newRow("unclosed parenthesis") << u"(12.50"_s << false << u"-"_s;
        QTest::newRow("a range") << u"12-15"_s << false << u"-"_s;
        QTest::newRow("a range with blanks") << u"12,50 - 15,00"_s << true << u"-"_s;
    }
    void negativeAmounts() {
        QFETCH(QString, value);
        QFETCH(bool, decimalComma);
        QFETCH(QString, read);
        QCOMPARE(ImportValueRules::numericValue(value, decimalComma).value_or(u"-"_s), read);
        for (int code = 7; code <= 13; ++code)
            for (Target target : {Target::ExistingRow, Target::NewRow})
                QCOMPARE(ImportValueRules::convert(code, value, target, decimalComma),
                         std::nullopt);
        QCOMPARE(ImportValueRules::convert(3, value, Target::NewRow, decimalComma), value);
    }

    // The first 100 items' money values decide whether to propose the decimal comma: the
    // values that hold a price only under it must be most of those that hold a price.
    void decimalCommaSign_data() {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("sign"); // "-" = no proposal
        QTest::newRow("cents after a comma") << QStringList{u"44,38"_s, u"2,10"_s} << u"44,38"_s;
        QTest::newRow("grouped with points")
            << QStringList{u"12"_s, u"1.234,50"_s, u"€ 3,99"_s} << u"1.234,50"_s;
        QTest::newRow("comma for groups and cents")
            << QStringList{u"2,849,83"_s, u"1,5"_s, u"7"_s} << u"2,849,83"_s;
        QTest::newRow("words do not count")
            << QStringList{u"N/A"_s, u"call"_s, u"9,95"_s, QString()} << u"9,95"_s;
        QTest::newRow("points for cents") << QStringList{u"44.38"_s, u"2.10"_s} << u"-"_s;
        QTest::newRow("thousands commas") << QStringList{u"1,234.50"_s, u"2,000"_s} << u"-"_s;
        QTest::newRow("half and half")
            << QStringList{u"44,38"_s, u"44.38"_s, u"3,5"_s, u"3"_s} << u"-"_s;
        QTest::newRow("one slip among many")
            << QStringList{u"3"_s, u"4.50"_s, u"1,5"_s, u"12"_s} << u"-"_s;
        QTest::newRow("no values") << QStringList{} << u"-"_s;
    }
    void decimalCommaSign() {
        QFETCH(QStringList, values);
        QFETCH(QString, sign);
        QCOMPARE(ImportValueRules::decimalCommaSign(values).value_or(u"-"_s), sign);
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
            QCOMPARE(ImportValueRules::convert(code, value, target).value_or(QString()), stored);
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
        QTest::newRow("exactly one") << u"1"_s << 1;
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

    // Texts made from what the import found.
    void messages_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no proposal for other")
            << ImportMessages::dividerProposal(Divider::Kind::Other) << QString();
        QTest::newRow("bitmap name")
            << ImportMessages::newItemName(u"B2.Bmp"_s) << u"New BMP Picture"_s;
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

    // The stock numbers on more than one item, as a file of any length gives them: compared
    // ignoring the case of A to Z only, named as the first item writes them, in the order they
    // first appear, with every line; and for each item whether a later one has its number.
    void repeatedStockNumbers_data() {
        QTest::addColumn<QStringList>("stockNumbers"); // one per line
        QTest::newRow("letters A to Z in any case")
            << QStringList{u"ab1"_s, u"X9"_s, u"AB1"_s, u"x9"_s, u"Ab1"_s};
        QTest::newRow("other letters keep their case")
            << QStringList{u"\u00c91"_s, u"\u00e91"_s, u"\u00c91"_s, u"\u00df"_s, u"SS"_s};
        QTest::newRow("letters of two and three bytes")
            << QStringList{u"a\u00e9"_s,  u"ax"_s,   u"A\u00e9"_s,  u"\u20ac5"_s, u"\u20ac5"_s,
                           u"ab\u00e9"_s, u"abcd"_s, u"AB\u00e9"_s, u"\u00e9"_s,  u"e"_s};
        QTest::newRow("a number within another") << QStringList{u"A1"_s, u"A10"_s, u"a1"_s};
        QTest::newRow("blank and spaces") << QStringList{u" "_s, u"A"_s, u" "_s, u"A "_s};
        QStringList many;
        for (int i = 0; i < 30000; ++i)
            many << (i % 7 == 0 ? u"sn-%1"_s.arg(i / 7 % 500) : u"SN-%1"_s.arg(i));
        QTest::newRow("thirty thousand lines") << many;
        // Texts of 60 to 150 characters fill many blocks of text and end at their edges; the
        // last three do not fit in one.
        QStringList longOnes;
        for (int i = 0; i < 3000; ++i) {
            const int n = i % 1000;
            const QString text = QString(60 + n % 90, QChar(u'a' + n % 26)) + QString::number(n);
            longOnes << (i % 3 == 1 ? text.toUpper() : text);
        }
        longOnes << QString(70000, u'Z') << QString(70000, u'z') << QString(69999, u'z');
        QTest::newRow("long stock numbers") << longOnes;
    }
    void repeatedStockNumbers() {
        QFETCH(QStringList, stockNumbers);
        RepeatedStockNumbers repeats;
        for (qsizetype line = 0; line < stockNumbers.size(); ++line)
            repeats.add(stockNumbers[line], line);

        // What is expected, the plain way: the lines of each key in order of appearance.
        QHash<QString, QList<qsizetype>> lines;
        QStringList order;
        for (qsizetype line = 0; line < stockNumbers.size(); ++line) {
            QString key;
            for (const QChar c : stockNumbers[line])
                key += (c >= u'A' && c <= u'Z') ? QChar(c.unicode() + 32) : c;
            if (!lines.contains(key))
                order << stockNumbers[line];
            lines[key] << line;
        }
        QStringList expected;
        for (const QString& first : order) {
            const QList<qsizetype>& at = lines[RepeatedStockNumbers::key(first)];
            if (at.size() < 2)
                continue;
            QList<qsizetype> counted;
            for (qsizetype line : at)
                counted << line + 1;
            expected << ImportMessages::repeatedStockNumber(first, counted, false);
        }
        QCOMPARE(repeats.count(), expected.size());
        QCOMPARE(repeats.messages(expected.size() + 1), expected);
        for (qsizetype line = 0; line < stockNumbers.size(); ++line) {
            const QList<qsizetype>& at = lines[RepeatedStockNumbers::key(stockNumbers[line])];
            QCOMPARE(repeats.isRepeated(stockNumbers[line]), at.size() > 1);
            QCOMPARE(repeats.hasLaterItem(stockNumbers[line], line), at.last() > line);
        }
        QVERIFY(!repeats.isRepeated(u"not in the file"_s));
    }
};

QTEST_GUILESS_MAIN(ImportRulesTest)
#include "tst_importrules.moc"
