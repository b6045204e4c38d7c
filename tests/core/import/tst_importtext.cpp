#include "core/base/RunTimeError.h"
#include "core/import/Divider.h"
#include "core/import/FieldSplitter.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportItem.h"
#include "core/import/LineSource.h"
#include "core/import/TextFile.h"
#include "core/import/TextFileReader.h"
#include "support/core/TestData.h"
#include "support/core/TestHelpers.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

Q_DECLARE_METATYPE(tovin::Divider)
Q_DECLARE_METATYPE(tovin::TextFile::Encoding)

namespace {

QString testFile(const QString& name) {
    return test::testDataFile(u"delimited/"_s + name);
}

QStringList fieldsOf(const ImportItem& item) {
    QStringList fields;
    for (int i = 0; i < item.fieldCount(); ++i)
        fields.append(item.field(i));
    return fields;
}

// Every item of a file, as lists of fields.
QList<QStringList> readAll(const TextFile& file, const Divider& divider) {
    LineSource source(file);
    const FieldSplitter splitter(divider);
    ImportItem item;
    QList<QStringList> items;
    while (splitter.readItem(source, item))
        items.append(fieldsOf(item));
    return items;
}

// Every item of a source, each with the line it starts on and the line after it.
QList<QStringList> readWithLines(LineSource&& source, const Divider& divider) {
    const FieldSplitter splitter(divider);
    ImportItem item;
    QList<QStringList> items;
    for (qsizetype line = source.position(); splitter.readItem(source, item);
         line = source.position())
        items.append(QStringList{QString::number(line), QString::number(source.position())} +
                     fieldsOf(item));
    return items;
}

QList<QStringList> readAll(const QByteArray& bytes, const Divider& divider) {
    return readAll(TextFile::decode(bytes), divider);
}

} // namespace

class ImportTextTest : public QObject {
    Q_OBJECT
private slots:
    void lineEnds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("mixed ends")
            << "a\r\nb\nc\rd"_ba << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
        QTest::newRow("final end adds no line") << "a\nb\n"_ba << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("one empty line") << "\r\n"_ba << QStringList{QString()};
        QTest::newRow("blank lines kept")
            << "a\n\n\nb"_ba << QStringList{u"a"_s, QString(), QString(), u"b"_s};
        QTest::newRow("CR before CR LF") << "a\r\r\nb"_ba << QStringList{u"a"_s, QString(), u"b"_s};
        QTest::newRow("LF then CR") << "a\n\r"_ba << QStringList{u"a"_s, QString()};
    }
    void lineEnds() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const TextFile file = TextFile::decode(bytes);
        QCOMPARE(file.lines(0, 1000), lines);
        // The line ends are kept apart, so the text can be put back together byte for byte.
        QString joined;
        for (qsizetype i = 0; i < file.lineCount(); ++i)
            joined += file.line(i).toString() + file.lineEnd(i).toString();
        QCOMPARE(joined, QString::fromUtf8(bytes));
    }

    // UTF-8 (a mark dropped), Windows-1252 as soon as one byte is no UTF-8, and UTF-16 written
    // without a mark, told by its zero bytes and their side; a stray zero byte in other text
    // does not make it UTF-16. No byte is ever lost.
    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text"); // null: only as many characters as bytes
        QTest::addColumn<TextFile::Encoding>("encoding");
        const auto utf8 = TextFile::Encoding::Utf8;
        const auto cp1252 = TextFile::Encoding::Windows1252;
        const auto utf16 = TextFile::Encoding::Utf16;
        QTest::newRow("ascii") << "abc"_ba << u"abc"_s << utf8;
        QTest::newRow("utf-8") << "caf\xC3\xA9"_ba << u"café"_s << utf8;
        QTest::newRow("utf-8 four bytes") << "\xF0\x9F\x98\x80"_ba << u"\U0001F600"_s << utf8;
        QTest::newRow("byte order mark") << "\xEF\xBB\xBFRow ID"_ba << u"Row ID"_s << utf8;
        QTest::newRow("latin letter") << "caf\xE9"_ba << u"café"_s << cp1252;
        QTest::newRow("right quote")
            << "d\x92inviolabilit\xE9"_ba << u"d’inviolabilité"_s << cp1252;
        QTest::newRow("euro and dashes") << "\x80\x96\x97"_ba << u"€–—"_s << cp1252;
        QTest::newRow("unassigned byte kept")
            << "\x81\x8D\x9D"_ba << u"\u0081\u008D\u009D"_s << cp1252;
        QTest::newRow("surrogate") << "\xED\xA0\x80"_ba << u"í\u00A0€"_s << cp1252;
        QTest::newRow("cut off at end") << "a\xE2\x82"_ba << u"a\u00E2\u201A"_s << cp1252;
        QTest::newRow("long ascii then latin")
            << QByteArray(37, 'x') + "\xE9"_ba << QString(37, u'x') + u"é"_s << cp1252;
        QByteArray every;
        for (int i = 0; i < 256; ++i)
            if (i != '\r' && i != '\n')
                every.append(char(i));
        QTest::newRow("every byte") << every << QString() << cp1252;
        const QString tabbed = u"Code\tNom\tPrix\r\nA1\tCaf\u00e9\t1,50\r\n"_s;
        const auto little = [](const QString& text) {
            return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        };
        QByteArray big = little(tabbed);
        for (qsizetype i = 0; i + 1 < big.size(); i += 2)
            std::swap(big[i], big[i + 1]);
        QTest::newRow("UTF-16 little-endian") << little(tabbed) << tabbed << utf16;
        QTest::newRow("UTF-16 big-endian") << big << tabbed << utf16;
        QTest::newRow("UTF-16, one character") << little(u"A"_s) << u"A"_s << utf16;
        QTest::newRow("a stray zero byte") << "A1,\0,2"_ba << u"A1,\0,2"_s << utf8;
        QTest::newRow("zeros on both sides")
            << "A\0\0B\0C"_ba << QString::fromLatin1("A\0\0B\0C", 6) << utf8;
    }
    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(TextFile::Encoding, encoding);
        const TextFile file = TextFile::decode(bytes);
        if (text.isNull())
            QCOMPARE(file.text().size(), bytes.size());
        else
            QCOMPARE(file.text(), text);
        QCOMPARE(file.encoding(), encoding);
        QCOMPARE(file.hadByteOrderMark(), bytes.startsWith("\xEF\xBB\xBF"));
    }

    // The divider proposed for a start line, and the one a typed answer stands for; Other
    // stands for no proposal. A typed divider holding a double quote or a line break is refused
    // (-1): those open quoted fields and end lines, they cannot divide fields.
    void dividerKind_data() {
        QTest::addColumn<bool>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind"); // a Divider::Kind, -1 for none
        const auto row = [](const char* name, bool typed, const QString& text, int kind) {
            QTest::newRow(name) << typed << text << kind;
        };
        using K = Divider::Kind;
        row("commas before tabs", false, u"a\tb,c\td,e"_s, int(K::Comma));
        row("one tab, then spaces", false, u"a\tb  c  d"_s, int(K::TwoSpaces));
        row("three spaces hold two-space twice", false, u"a   b"_s, int(K::TwoSpaces));
        row("one two-space, then brackets", false, u"a  b]c]d"_s, int(K::Bracket));
        row("one bracket", false, u"a]b"_s, -1);
        row("single spaces", false, u"a b c d"_s, -1);
        row("empty line", false, QString(), -1);
        row("typed character", true, u"|"_s, int(K::Other));
        row("typed comma", true, u","_s, int(K::Comma));
        row("typed two spaces", true, u"  "_s, int(K::TwoSpaces));
        row("typed double quote", true, u"\""_s, -1);
        row("typed quote after a character", true, u";\""_s, -1);
        row("typed carriage return", true, u"\r"_s, -1);
        row("typed line feed", true, u"\n"_s, -1);
        row("typed line break", true, u"\r\n"_s, -1);
    }
    void dividerKind() {
        QFETCH(bool, typed);
        QFETCH(QString, text);
        QFETCH(int, kind);
        const std::optional<Divider> divider =
            typed ? Divider::fromTypedText(text) : Divider::propose(text);
        QCOMPARE(divider ? int(divider->kind()) : -1, kind);
    }

    void linesPerItemAnswer() {
        QVERIFY(!Divider::linesPerItemFromAnswer(QString()));
        QCOMPARE(Divider::linesPerItemFromAnswer(u"2.5"_s).value_or(-1), 2); // half to even
        QVERIFY_THROWS_EXCEPTION(RunTimeError, Divider::linesPerItemFromAnswer(u"40000"_s));
    }

    void split_data() {
        QTest::addColumn<Divider>("divider");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("two spaces")
            << Divider::twoSpaces() << u"A  B   C"_s << QStringList{u"A"_s, u" B"_s, u" C"_s};
        QTest::newRow("two spaces at the start")
            << Divider::twoSpaces() << u"  A  B"_s << QStringList{u" A"_s, u" B"_s};
        QTest::newRow("empty comma fields")
            << Divider::comma() << u"a,,b,"_s << QStringList{u"a"_s, QString(), u"b"_s, QString()};
        QTest::newRow("tab at the end")
            << Divider::tab() << u"1\t2\t"_s << QStringList{u"1"_s, u"2"_s, QString()};
        QTest::newRow("bracket") << Divider::bracket() << u"X1]Widget]1.50"_s
                                 << QStringList{u"X1"_s, u"Widget"_s, u"1.50"_s};
        QTest::newRow("two characters")
            << Divider(u"||"_s) << u"a||b||c"_s << QStringList{u"a"_s, u"|b"_s, u"|c"_s};
        QTest::newRow("empty line") << Divider::comma() << u"\n"_s << QStringList{QString()};
        QTest::newRow("quoted comma")
            << Divider::comma() << u"\"a,b\",c"_s << QStringList{u"a,b"_s, u"c"_s};
        QTest::newRow("doubled quotes") << Divider::comma() << u"\"say \"\"hi\"\"\",x"_s
                                        << QStringList{u"say \"hi\""_s, u"x"_s};
        QTest::newRow("quote inside a field")
            << Divider::comma() << u"5\" x 4\",b"_s << QStringList{u"5\" x 4\""_s, u"b"_s};
        QTest::newRow("text after closing quote")
            << Divider::comma() << u"\"ab\"cd,e"_s << QStringList{u"abcd"_s, u"e"_s};
        QTest::newRow("quoted tab, chosen by the user")
            << Divider::tab().withQuotes(true) << u"\"a\tb\"\tc"_s
            << QStringList{u"a\tb"_s, u"c"_s};
        QTest::newRow("tab file quotes nothing")
            << Divider::tab() << u"\"a\tb\"\tc"_s << QStringList{u"\"a"_s, u"b\""_s, u"c"_s};
        QTest::newRow("unterminated quote")
            << Divider::comma() << u"\"abc,d"_s << QStringList{u"\"abc"_s, u"d"_s};
        QTest::newRow("line break in quotes")
            << Divider::comma() << u"\"a\r\nb\",c"_s << QStringList{u"a\r\nb"_s, u"c"_s};
    }
    void split() {
        QFETCH(Divider, divider);
        QFETCH(QString, line);
        QFETCH(QStringList, fields);
        QCOMPARE(FieldSplitter(divider).split(line), fields);
    }

    // Whole items read from a file: quoted fields span lines; the supplier's own files with
    // their fixed dividers are split plainly, so a lone quote in a name must not swallow the
    // following items (price lists are comma files and quote); separate lines make items of a
    // fixed number of lines.
    void items_data() {
        QTest::addColumn<Divider>("divider");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QStringList>>("items");
        QTest::newRow("quoted fields span lines")
            << Divider::comma() << "1,\"x\ny\",2\n3,\"\"\n\"a\"\"\rb\",4"_ba
            << QList<QStringList>{
                   {u"1"_s, u"x\ny"_s, u"2"_s}, {u"3"_s, QString()}, {u"a\"\rb"_s, u"4"_s}};
        QTest::newRow("stock file")
            << FixedMappings::stockFile().divider << "A1]\"Brass Lamp]1.50\nA2]Ink]2\nA3]Pen]3\n"_ba
            << QList<QStringList>{{u"A1"_s, u"\"Brass Lamp"_s, u"1.50"_s},
                                  {u"A2"_s, u"Ink"_s, u"2"_s},
                                  {u"A3"_s, u"Pen"_s, u"3"_s}};
        QTest::newRow("description file")
            << FixedMappings::fullDescriptionFile().divider
            << "A1\t\"Brass lamp, 5\" tall\nA2\tInk\n"_ba
            << QList<QStringList>{{u"A1"_s, u"\"Brass lamp, 5\" tall"_s}, {u"A2"_s, u"Ink"_s}};
        QTest::newRow("price list")
            << FixedMappings::priceList(0).divider << "A1,12,\"Lamp, brass\",Each,1.50\n"_ba
            << QList<QStringList>{{u"A1"_s, u"12"_s, u"Lamp, brass"_s, u"Each"_s, u"1.50"_s}};
        const QByteArray lines = "a,1\n\"b\nc\nd\ne"_ba;
        QTest::newRow("two lines per item")
            << Divider::separateLines(2) << lines
            << QList<QStringList>{{u"a,1"_s, u"\"b"_s}, {u"c"_s, u"d"_s}, {u"e"_s}};
        QTest::newRow("zero lines per item means one")
            << Divider::separateLines(0) << lines
            << QList<QStringList>{{u"a,1"_s}, {u"\"b"_s}, {u"c"_s}, {u"d"_s}, {u"e"_s}};
    }
    void items() {
        QFETCH(Divider, divider);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QStringList>, items);
        QCOMPARE(readAll(bytes, divider), items);
    }

    // An opening quote that never closes gives up after a bounded number of lines and the
    // following lines are read as items of their own.
    void quoteLimit_data() {
        QTest::addColumn<int>("linesBetween");
        QTest::addColumn<int>("items");
        QTest::newRow("closes on line 1000") << FieldSplitter::MaxQuotedLines - 2 << 1;
        QTest::newRow("would close on line 1001")
            << FieldSplitter::MaxQuotedLines - 1 << FieldSplitter::MaxQuotedLines + 1;
    }
    void quoteLimit() {
        QFETCH(int, linesBetween);
        QFETCH(int, items);
        QByteArray bytes = "A1,\"open\n";
        for (int i = 0; i < linesBetween; ++i)
            bytes += "x,y\n";
        bytes += "close\",9\n";
        const QList<QStringList> read = readAll(bytes, Divider::comma());
        QCOMPARE(read.size(), items);
        if (items == 1) {
            QCOMPARE(read.first().size(), 3);
            QVERIFY(read.first().at(1).endsWith(u"x,y\nclose"_s));
        } else {
            QCOMPARE(read.first(), (QStringList{u"A1"_s, u"\"open"_s}));
            QCOMPARE(read.at(1), (QStringList{u"x"_s, u"y"_s}));
            QCOMPARE(read.last(), (QStringList{u"close\""_s, u"9"_s}));
        }
    }

    void hugeQuotedFieldStops() {
        // One opening quote followed by 2 MB of quote-free text in fewer than 1000 lines: the
        // field stops at its size limit.
        QByteArray bytes = "\"";
        const QByteArray line = QByteArray(4095, 'z') + '\n';
        for (int i = 0; i < 512; ++i)
            bytes += line;
        LineSource source(TextFile::decode(bytes));
        ImportItem item;
        QVERIFY(FieldSplitter(Divider::comma()).readItem(source, item));
        QCOMPARE(item.field(0), u"\""_s + QString(4095, u'z'));
        QCOMPARE(source.position(), 1);
    }

    void fieldPositions() {
        QStringList values;
        for (int i = 0; i < 150; ++i)
            values.append(QString::number(i));
        // A quoted field past position 100 still ends where its quote closes.
        values[120] = u"\"a\nb\""_s;
        const QByteArray bytes = (values.join(u',') + u"\nnext,line"_s).toUtf8();
        LineSource source(TextFile::decode(bytes));
        const FieldSplitter splitter(Divider::comma());
        ImportItem item;
        QVERIFY(splitter.readItem(source, item));
        QCOMPARE(item.fieldCount(), ImportItem::Positions);
        QVERIFY(item.truncated());
        QCOMPARE(item.field(ImportItem::LastPosition), u"100"_s);
        QCOMPARE(item.field(ImportItem::Positions), QString());
        QVERIFY(splitter.readItem(source, item));
        QCOMPARE(fieldsOf(item), (QStringList{u"next"_s, u"line"_s}));
        QVERIFY(!item.truncated());
    }

    // Added slots stop at the last position and lose their labels before the run.
    void addedSlots() {
        ImportItem item;
        for (int i = 0; i < ImportItem::LastPosition; ++i)
            item.append(u"f"_s);
        QCOMPARE(item.addSlots(5), 1);
        QCOMPARE(item.field(ImportItem::LastPosition), u"Additional Item 101 You Added"_s);
        item.clearAddedSlotLabels();
        QCOMPARE(item.fieldCount(), ImportItem::Positions);
        QCOMPARE(item.field(ImportItem::LastPosition - 1), u"f"_s);
        QCOMPARE(item.field(ImportItem::LastPosition), QString());
    }

    // Real supplier-style files (the session test runs the others): items, fields, values.
    void realFiles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Divider>("divider");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("fields");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::newRow("sku after multi-line field")
            << u"magento_products_gear_bags.csv"_s << Divider::comma() << 15 << 19 << 14 << 2
            << u"24-WB04"_s;
        QTest::newRow("mixed line ends")
            << u"shopify_jewelery.csv"_s << Divider::comma() << 42 << 46 << 41 << 19 << u"44.99"_s;
        QTest::newRow("no final line end")
            << u"superstore_orders_utf8bom_crlf.csv"_s << Divider::comma() << 401 << 21 << 400 << 20
            << u"0.546"_s;
        QTest::newRow("quoted tags") << u"shopify_home-and-garden.csv"_s << Divider::comma() << 22
                                     << 47 << 0 << 0 << u"Handle"_s;
    }
    void realFiles() {
        QFETCH(QString, name);
        QFETCH(Divider, divider);
        QFETCH(int, items);
        QFETCH(int, fields);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, value);
        REQUIRE_TEST_FILE(testFile(name));
        const QList<QStringList> read = readAll(TextFile::load(testFile(name)), divider);
        QCOMPARE(read.size(), items);
        for (const QStringList& item : read) {
            QCOMPARE(item.size(), fields);
            QVERIFY(!item.last().endsWith(u'\r'));
        }
        QCOMPARE(read.at(row).at(column), value);
    }

    // A file streamed in pieces of a few bytes gives the items, with the lines they stand on,
    // that the file read whole gives: every piece boundary falls inside a character, between
    // CR and LF, inside a quoted field over several lines and inside an unclosed quote that
    // sends the reading back to the line after it.
    void streamedLikeWhole_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<Divider>("divider");
        for (const char* name :
             {"magento_products_gear_bags.csv", "shopify_jewelery.csv",
              "shopify_home-and-garden.csv", "woocommerce_sample_products.csv",
              "bdpm_CIS_CIP_cp1252_tab_first500.txt", "superstore_orders_utf8bom_crlf.csv"}) {
            const QString file = QString::fromLatin1(name);
            QTest::newRow(name) << file << QByteArray() << QString()
                                << (file.endsWith(u".txt"_s) ? Divider::tab() : Divider::comma());
        }
        const QByteArray mixed = "A1,\"caf\xC3\xA9\r\n\xE2\x82\xAC"
                                 "5\"\r\nb\rc\n\r\n,\"open\nx,y\r";
        QTest::newRow("line ends, quotes, characters")
            << QString() << mixed << QString() << Divider::comma();
        QTest::newRow("mark first")
            << QString() << "\xEF\xBB\xBF" + mixed << QString() << Divider::comma();
        QTest::newRow("Windows-1252")
            << QString() << mixed + "\x80" << QString() << Divider::comma();
        QTest::newRow("UTF-16 with a mark") << QString()
                                            << QByteArray("\xFF\xFE"
                                                          "A\0,\0\"\0B\0\r\0\n\0C\0\"\0\r\0\n\0D\0",
                                                          24)
                                            << QString() << Divider::comma();
        QTest::newRow("named encoding")
            << QString() << QByteArray("A,\x8E\rB,\x9A\r\n") << u"macintosh"_s << Divider::comma();
    }
    void streamedLikeWhole() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(Divider, divider);
        QTemporaryDir dir;
        const QString path =
            name.isEmpty() ? test::writeFile(dir.filePath(u"list.txt"_s), bytes) : testFile(name);
        REQUIRE_TEST_FILE(path);
        const Divider quoting = divider.withQuotes(true);
        const QList<QStringList> whole =
            readWithLines(LineSource(TextFile::load(path, encoding)), quoting);
        QVERIFY(!whole.isEmpty());
        for (const qsizetype pieceSize : {4, 5, 7, 4096})
            QCOMPARE(readWithLines(LineSource(path, encoding, 0, pieceSize), quoting), whole);
    }

    // Streaming a file keeps room for about one piece of its text, however long the file: text
    // appended piece after piece to what was left of a line grew to several pieces and stayed.
    void streamingKeepsAboutOnePiece_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("pieceSize"); // 0: the reader's own
        QTest::newRow("short lines") << "A1,Pen,1.50\n"_ba << 4096;
        QTest::newRow("CR LF") << "A1,Pen,1.50\r\n"_ba << 4096;
        QTest::newRow("lines of nearly a piece") << QByteArray(4000, 'x') + "\n" << 4096;
        QTest::newRow("the reader's own pieces") << "A1,Pen,1.50\n"_ba << 0;
    }
    void streamingKeepsAboutOnePiece() {
        QFETCH(QByteArray, line);
        QFETCH(int, pieceSize);
        const qsizetype piece = pieceSize > 0 ? pieceSize : TextFileReader::DefaultPieceSize;
        QByteArray bytes;
        while (bytes.size() < 6 * piece)
            bytes += line;
        QTemporaryDir dir;
        LineSource source(test::writeFile(dir.filePath(u"list.txt"_s), bytes), QString(), 0,
                          pieceSize);
        qsizetype lines = 0;
        qsizetype most = 0;
        for (; !source.atEnd(); ++lines) {
            QCOMPARE(source.readLine(), QString::fromLatin1(line.trimmed()));
            source.dropRead();
            most = qMax(most, source.textCapacity());
        }
        QCOMPARE(lines, bytes.count('\n'));
        QVERIFY2(most <= piece + line.size(), qPrintable(QString::number(most)));
    }

    // A file read from disk in pieces gives the text, lines and encoding that decoding all its
    // bytes at once gives: characters of two to four bytes cut by every piece boundary, a byte
    // that is no UTF-8 only at the end (the whole file is then Windows-1252), a mark, and a
    // sequence cut off by the end of the file.
    void loadedLikeDecoded_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray mixed = "A1,caf\xC3\xA9 \xE2\x82\xAC"
                                 "5,\xF0\x9F\x98\x80\r\nb\rc\n";
        QByteArray large;
        while (large.size() < 3 * 1024 * 1024 + 7)
            large += mixed;
        QTest::newRow("many characters across pieces") << large;
        QTest::newRow("shifted by one byte") << "x" + large;
        QTest::newRow("shifted by two bytes") << "xy" + large;
        QTest::newRow("mark first") << "\xEF\xBB\xBF" + large;
        QTest::newRow("Windows-1252 byte at the end") << large + "price \x80"
                                                                 " 5\r\n";
        QTest::newRow("sequence cut off at the end") << large + "\xE2\x82";
        QTest::newRow("small file") << mixed;
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("UTF-16 without a mark") << QByteArray("A\0,\0B\0\r\0\n\0", 10);
    }
    void loadedLikeDecoded() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const TextFile loaded = TextFile::load(test::writeFile(dir.filePath(u"list.txt"_s), bytes));
        const TextFile decoded = TextFile::decode(bytes);
        QCOMPARE(loaded.encoding(), decoded.encoding());
        QCOMPARE(loaded.hadByteOrderMark(), decoded.hadByteOrderMark());
        QCOMPARE(loaded.lineCount(), decoded.lineCount());
        QVERIFY(loaded.text() == decoded.text());
    }
};

QTEST_GUILESS_MAIN(ImportTextTest)
#include "tst_importtext.moc"
