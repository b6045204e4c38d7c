#include "core/base/RunTimeError.h"
#include "core/import/ImportMessages.h"
#include "core/import/RememberedMapping.h"
#include "core/import/TextImportSession.h"
#include "core/settings/SettingsStore.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestData.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::errorOf;
using tovin::test::TestCatalogue;
using Outcome = TextImportSession::DividerOutcome;

Q_DECLARE_METATYPE(tovin::TextImportSession::DividerOutcome)
Q_DECLARE_METATYPE(tovin::FieldMapping::Outcome)

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    return test::writeFile(dir.filePath(name), bytes);
}

QString testFile(const QString& name) {
    return test::testDataFile(u"delimited/"_s + name);
}

// Maps position/code pairs of the item read and runs without asking about errors.
ImportOutcome mapAndRun(TextImportSession& session, TestCatalogue& catalogue,
                        const QList<int>& map) {
    for (qsizetype i = 0; i + 1 < map.size(); i += 2)
        session.mapping().map(map.at(i), map.at(i + 1));
    session.options().onError = [](const RunTimeError&) {};
    return session.run(catalogue.db());
}

} // namespace

class ImportSessionTest : public QObject {
    Q_OBJECT
private slots:
    void preview_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("shown");
        QTest::newRow("long file") << 150 << 100;
        QTest::newRow("short file") << 3 << 3;
    }
    void preview() {
        QFETCH(int, lines);
        QFETCH(int, shown);
        QTemporaryDir dir;
        QByteArray bytes;
        for (int i = 0; i < lines; ++i)
            bytes += "line " + QByteArray::number(i) + "\r\n";
        TextImportSession session;
        session.open(writeFile(dir, u"list.txt"_s, bytes));
        QCOMPARE(session.preview().size(), shown);
        QCOMPARE(session.preview().last(), u"line %1"_s.arg(shown - 1));
        QVERIFY(session.previewMessage().startsWith(
            u"Below Is The First %1 Lines Of The File You Selected!\n"_s.arg(shown)));
        QCOMPARE(session.noteDefault(QDate(2026, 5, 1)), u"05/01/26 list.txt"_s);
    }

    // The file dialog opens on its first entry: a supplier's list must show there whatever
    // ending it came with, and other files must not.
    void fileDialogFirstEntry_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("listed");
        QTest::newRow("text") << u"prices.txt"_s << true;
        QTest::newRow("comma file") << u"kestrel-prices-feb.csv"_s << true;
        QTest::newRow("tab file") << u"fulldesc.tab"_s << true;
        QTest::newRow("upper case") << u"PRICES.CSV"_s << true;
        QTest::newRow("spreadsheet") << u"prices.xls"_s << false;
        QTest::newRow("picture") << u"logo.jpg"_s << false;
    }
    void fileDialogFirstEntry() {
        QFETCH(QString, fileName);
        QFETCH(bool, listed);
        const QStringList entries = ImportMessages::textFileFilter().split(u'|');
        QVERIFY(entries.size() >= 2);
        QCOMPARE(QDir::match(entries.at(1), fileName), listed);
    }

    // A mapping kept from last month's file is found again for this month's file of the same
    // layout, whatever its name: by the heading line above the data, or, without one, by the
    // divider cutting the first item into as many fields. A file of another layout gets none.
    void rememberedMappingFoundByLayout_data() {
        QTest::addColumn<QByteArray>("kept");    // the file read last month, as kept-jan.csv
        QTest::addColumn<int>("startLine");      // of last month's file
        QTest::addColumn<QByteArray>("offered"); // this month's file, as feb.csv
        QTest::addColumn<bool>("found");
        const QByteArray headed = "Stock,Name,Price\nA1,Pen,5\n";
        QTest::newRow("same heading")
            << headed << 1 << "Stock,Name,Price\nB2,Cup,7\nC3,Jar,2\n"_ba << true;
        QTest::newRow("same heading, the first item a field short")
            << headed << 1 << "Stock,Name,Price\nB2,Cup\n"_ba << true;
        QTest::newRow("other heading") << headed << 1 << "Code,Name,Price\nB2,Cup,7\n"_ba << false;
        QTest::newRow("heading on another line")
            << headed << 1 << "Price list\nStock,Name,Price\nB2,Cup,7\n"_ba << false;
        QTest::newRow("no heading, same fields") << "A1,Pen,5\n"_ba << 0 << "B2,Cup,7\n"_ba << true;
        QTest::newRow("no heading, fewer fields") << "A1,Pen,5\n"_ba << 0 << "B2,Cup\n"_ba << false;
        QTest::newRow("no heading, other divider")
            << "A1,Pen,5\n"_ba << 0 << "B2\tCup\t7\n"_ba << false;
        QTest::newRow("file shorter than the start line")
            << headed << 1 << "Stock,Name,Price\n"_ba << false;
    }
    void rememberedMappingFoundByLayout() {
        QFETCH(QByteArray, kept);
        QFETCH(int, startLine);
        QFETCH(QByteArray, offered);
        QFETCH(bool, found);
        QTemporaryDir dir;
        SettingsStore::setProgramFile(dir.filePath(u"settings.ini"_s));
        TextImportSession last;
        last.open(writeFile(dir, u"Kestrel-Jan.csv"_s, kept));
        QVERIFY(last.chooseStartLine(startLine));
        QVERIFY(last.acceptProposal());
        last.readFirstItem();
        last.mapping().map(0, 2);
        last.mapping().map(2, 7);
        last.remembered().save();

        TextImportSession next;
        next.open(writeFile(dir, u"kestrel-feb.csv"_s, offered));
        const std::optional<RememberedMapping> offer =
            RememberedMapping::findFor(next.bareFileName(), next.lines());
        QCOMPARE(offer.has_value(), found);
        if (found) {
            QVERIFY2(offer->questionFor().endsWith(u"Kestrel-Jan.csv"_s),
                     qPrintable(offer->questionFor()));
            QVERIFY(next.takeRemembered(*offer));
            QCOMPARE(next.startLine(), qsizetype(startLine));
            QCOMPARE(next.mapping().map().code(2), 7);
            QCOMPARE(next.mapping().map().stockFieldIndex(), 0);
        }
        SettingsStore::setProgramFile(QDir::tempPath() + u"/tovin-test-unused.ini"_s);
    }

    // A file longer than the preview is held only as far as the preview shows it; the start
    // line, the divider checks and the first item are read from the file itself wherever they
    // stand, and the run imports every item.
    void longFileHeldOnlyInPart_data() {
        QTest::addColumn<int>("startLine");
        QTest::addColumn<QString>("divider"); // empty: comma; a number: lines per item
        QTest::addColumn<QByteArray>("firstItem");
        QTest::addColumn<int>("fields");
        QTest::newRow("start line in the preview") << 1 << QString() << "S0,p,9.50\n"_ba << 3;
        QTest::newRow("start line far past the preview")
            << 4000 << QString() << "S0,p,9.50\n"_ba << 3;
        QTest::newRow("quoted item running past the preview")
            << 99 << QString() << "S0,\"one\ntwo\nthree\",9.50\n"_ba << 3;
        QTest::newRow("item of lines running past the preview")
            << 98 << u"3"_s << "S0\nname\n9.50\n"_ba << 3;
    }
    void longFileHeldOnlyInPart() {
        QFETCH(int, startLine);
        QFETCH(QString, divider);
        QFETCH(QByteArray, firstItem);
        QFETCH(int, fields);
        QTemporaryDir dir;
        QByteArray bytes;
        for (int i = 0; i < startLine; ++i)
            bytes += "heading " + QByteArray::number(i) + "\n";
        bytes += firstItem;
        constexpr int Items = 3000;
        for (int i = 1; i < Items; ++i)
            bytes += divider.isEmpty() ? "S" + QByteArray::number(i) + ",p,1.25\n"
                                       : "S" + QByteArray::number(i) + "\np\n1.25\n";
        const qsizetype lineCount = bytes.count('\n');
        TestCatalogue catalogue;
        TextImportSession session;
        session.open(writeFile(dir, u"long.csv"_s, bytes));
        QCOMPARE(session.lines().heldLineCount(), qsizetype(ImportMessages::PreviewLineCount));
        QCOMPARE(session.lineCount(), lineCount);
        QCOMPARE(session.preview().size(), ImportMessages::PreviewLineCount);
        QVERIFY(session.chooseStartLine(startLine));
        QCOMPARE(session.startLineText(),
                 QString::fromLatin1(firstItem.left(firstItem.indexOf('\n'))));
        if (divider.isEmpty())
            QCOMPARE(session.chooseDivider(Divider::comma()), Outcome::Accepted);
        else
            QCOMPARE(session.chooseLinesPerItem(divider), Outcome::Accepted);
        session.readFirstItem();
        QCOMPARE(session.mapping().fieldCount(), fields);
        QCOMPARE(session.remembered().heading,
                 startLine > 0 ? u"heading %1"_s.arg(startLine - 1) : QString());
        const ImportOutcome outcome = mapAndRun(session, catalogue, {0, 2, 2, 7});
        QCOMPARE(outcome.counts.added, Items);
        QCOMPARE(catalogue.text(u"S0"_s, u"Cost1"_s), u"9.5"_s);
        QCOMPARE(catalogue.text(u"S%1"_s.arg(Items - 1), u"Cost1"_s), u"1.25"_s);
    }

    // The preview reads as the whole file decides: bytes past the first megabyte that are not
    // UTF-8 make all of it Windows-1252, as the run reads it, and a zero byte is a character
    // like any other. Every line is counted, the broken last one included.
    void previewReadAsTheWholeFile_data() {
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QString>("name");
        QTest::newRow("byte that is no UTF-8") << "T9,bad\xff\n"_ba << u"Caf\u00c3\u00a9"_s;
        QTest::newRow("character cut off at the end")
            << "T9,bad\xe2\x82"_ba << u"Caf\u00c3\u00a9"_s;
        QTest::newRow("zero byte") << "T9,b\0d\n"_ba << u"Caf\u00e9"_s;
    }
    void previewReadAsTheWholeFile() {
        QFETCH(QByteArray, tail);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QByteArray bytes = "S0,Caf\xc3\xa9,1\n"_ba;
        // On a server each item written costs round trips, so there the file reaches past the
        // first megabyte with long lines (a field the import leaves alone) rather than with
        // two hundred thousand items.
        const QByteArray unread = test::onServer() ? "," + QByteArray(2000, 'x') : QByteArray();
        while (bytes.size() < 3 * 1024 * 1024)
            bytes += "S" + QByteArray::number(bytes.size()) + ",plain,1" + unread + "\n";
        const qsizetype lineCount = bytes.count('\n') + 1;
        bytes += tail;
        TestCatalogue catalogue;
        TextImportSession session;
        session.open(writeFile(dir, u"tail.csv"_s, bytes));
        QCOMPARE(session.lineCount(), lineCount);
        QCOMPARE(session.preview().first(), u"S0,"_s + name + u",1"_s);
        QVERIFY(session.acceptProposal());
        session.readFirstItem();
        mapAndRun(session, catalogue, {0, 2, 1, 3});
        QCOMPARE(catalogue.text(u"S0"_s, u"ProdName"_s), name);
        // A server cannot keep a text holding a zero byte: that item is passed over there.
        const bool kept = !(test::onServer() && tail.contains('\0'));
        QCOMPARE(catalogue.count(u"StockNo = 'T9'"_s), kept ? 1 : 0);
    }

    // A file missing when it is opened, or gone between the dialogue and the run, is refused by
    // its name, nothing stored.
    void missingFileIsRefused() {
        QCOMPARE(errorOf([] { TextImportSession().open(u"/nonexistent/price.txt"_s); }),
                 ErrorNumber::FileNotFound);
        QTemporaryDir dir;
        QByteArray bytes;
        for (int i = 0; i < 500; ++i)
            bytes += "S" + QByteArray::number(i) + ",name,1\n";
        const QString path = writeFile(dir, u"gone.csv"_s, bytes);
        TestCatalogue catalogue;
        TextImportSession session;
        session.open(path);
        QVERIFY(session.acceptProposal());
        session.readFirstItem();
        session.mapping().map(0, 2);
        QVERIFY(QFile::remove(path));
        try {
            session.run(catalogue.db());
            QFAIL("the run read a file that is gone");
        } catch (const RunTimeError& error) {
            QCOMPARE(error.number(), ErrorNumber::FileNotFound);
            QVERIFY2(error.description().contains(path), qPrintable(error.description()));
        }
        QCOMPARE(catalogue.count(), 0);
    }

    // The proposal is made from the chosen start line, not from the heading above it.
    void proposalFromStartLine_data() {
        QTest::addColumn<QByteArray>("dataLine");
        QTest::addColumn<QString>("kind"); // empty: no proposal
        QTest::newRow("one comma is no proposal") << "A1,Red Pen"_ba << QString();
        QTest::newRow("one comma, then tabs") << "A1,Red\tPen\t5"_ba << u"Tabs"_s;
        QTest::newRow("two commas") << "A1,Red Pen,5"_ba << u"Commas"_s;
        QTest::newRow("spaces") << "A1  Red Pen   5"_ba << u"Spaces"_s;
        QTest::newRow("brackets") << "A1]Red Pen]5"_ba << u"Brackets"_s;
    }
    void proposalFromStartLine() {
        QFETCH(QByteArray, dataLine);
        QFETCH(QString, kind);
        QTemporaryDir dir;
        TextImportSession session;
        session.open(writeFile(dir, u"f.txt"_s, "Price list, spring, 2026\n"_ba + dataLine + "\n"));
        QVERIFY(session.chooseStartLine(1));
        QVERIFY(!session.chooseStartLine(2));
        QCOMPARE(session.proposalMessage(),
                 kind.isEmpty()
                     ? QString()
                     : u"This File Seems To Use %1 To Seperate The Fields, Click OK To "
                       u"Accept\nClick Cancel To Choose The Seperator Yourself"_s.arg(kind));
        QCOMPARE(session.acceptProposal(), !kind.isEmpty());
    }

    // Every divider the start line holds, with the fewest and most fields it cuts the first
    // 100 items into: a found divider is to be trusted only when the first one cuts them alike.
    void candidateFits_data() {
        QTest::addColumn<QString>("source"); // a file of tests/data/delimited, or the text itself
        QTest::addColumn<QString>("fits");   // divider text:fewest-most, one per candidate
        QByteArray semicolons = "Code;Nom, court;Prix, TTC";
        for (int column = 3; column < 67; ++column)
            semicolons += ";C" + QByteArray::number(column);
        semicolons += '\n';
        for (int row = 0; row < 120; ++row) {
            semicolons += "R" + QByteArray::number(row);
            for (int column = 1; column < 67; ++column)
                semicolons += ";" + QByteArray::number(column);
            semicolons += '\n';
        }
        QTest::newRow("tab file with decimal commas in its first line")
            << u"bdpm_CIS_CIP_cp1252_tab_first500.txt"_s << u",:1-13|\t:13-13"_s;
        QTest::newRow("67 columns by semicolons, commas in the names")
            << QString::fromLatin1(semicolons) << u",:1-3"_s;
        QTest::newRow("quoted commas read whole")
            << u"superstore_orders_utf8bom_crlf.csv"_s << u",:21-21"_s;
        QTest::newRow("blank lines are no items") << u"a,b,c\n\nd,e,f\n"_s << u",:3-3"_s;
        QTest::newRow("a short item") << u"a,b,c\nd,e\n"_s << u",:2-3"_s;
        QTest::newRow("past the first 100 items")
            << u"a,b,c\n"_s.repeated(100) + u"d\n"_s << u",:3-3"_s;
    }
    void candidateFits() {
        QFETCH(QString, source);
        QFETCH(QString, fits);
        QTemporaryDir dir;
        if (!source.contains(u'\n'))
            REQUIRE_TEST_FILE(testFile(source));
        TextImportSession session;
        session.open(source.contains(u'\n') ? writeFile(dir, u"f.txt"_s, source.toUtf8())
                                            : testFile(source));
        QStringList found;
        for (const TextImportSession::DividerFit& fit : session.candidateFits())
            found
                << u"%1:%2-%3"_s.arg(fit.divider.text()).arg(fit.fewestFields).arg(fit.mostFields);
        QCOMPARE(found.join(u'|'), fits);
    }

    void manualDivider_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("message");
        const QString wrong =
            u"Sorry, %1\n Is NOT A Valid Item Seperator!\nTry Again, Or Cancel To Exit"_s;
        QTest::newRow("typed semicolon") << u"other"_s << u";"_s << Outcome::Accepted << QString();
        QTest::newRow("typed two characters")
            << u"other"_s << u"~|"_s << Outcome::Accepted << QString();
        QTest::newRow("typed nothing")
            << u"other"_s << QString() << Outcome::InvalidChoice << QString();
        QTest::newRow("typed three characters")
            << u"other"_s << u";;;"_s << Outcome::InvalidChoice << QString();
        QTest::newRow("typed, not in the line")
            << u"other"_s << u"#"_s << Outcome::WrongSeparator << wrong.arg(u"#"_s);
        QTest::newRow("tab option, no tab in the line")
            << u"tab"_s << QString() << Outcome::WrongSeparator << wrong.arg(u"\t"_s);
        QTest::newRow("lines per item") << u"lines"_s << u"3"_s << Outcome::Accepted << QString();
        QTest::newRow("lines per item, not a number")
            << u"lines"_s << u"three"_s << Outcome::InvalidChoice << QString();
        QTest::newRow("lines per item beyond 16 bits")
            << u"lines"_s << u"99999"_s << Outcome::InvalidChoice << QString();
    }
    void manualDivider() {
        QFETCH(QString, kind);
        QFETCH(QString, answer);
        QFETCH(Outcome, outcome);
        QFETCH(QString, message);
        QTemporaryDir dir;
        TextImportSession session;
        session.open(writeFile(dir, u"f.txt"_s, "A1;Red Pen;5~|x\n"_ba));
        const Outcome got = kind == u"other"_s ? session.chooseTypedDivider(answer)
                            : kind == u"tab"_s ? session.chooseDivider(Divider::tab())
                                               : session.chooseLinesPerItem(answer);
        QCOMPARE(got, outcome);
        QCOMPARE(session.hasDivider(), outcome == Outcome::Accepted);
        if (outcome == Outcome::WrongSeparator)
            QCOMPARE(session.wrongSeparator(), message);
    }

    void mappingOutcomes_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("code");
        QTest::addColumn<FieldMapping::Outcome>("outcome");
        QTest::newRow("stock number") << 0 << 2 << FieldMapping::Outcome::Mapped;
        QTest::newRow("inventory refused") << 1 << 23 << FieldMapping::Outcome::Refused;
        QTest::newRow("number sold refused") << 1 << 26 << FieldMapping::Outcome::Refused;
        QTest::newRow("discontinued asks")
            << 1 << 21 << FieldMapping::Outcome::MappedAskDiscontinued;
        QTest::newRow("no such code") << 1 << 31 << FieldMapping::Outcome::Invalid;
        QTest::newRow("no such position") << 101 << 3 << FieldMapping::Outcome::Invalid;
    }
    void mappingOutcomes() {
        QFETCH(int, position);
        QFETCH(int, code);
        QFETCH(FieldMapping::Outcome, outcome);
        FieldMapping mapping;
        mapping.setFields(QStringList{u"Code"_s, u"Name"_s});
        QCOMPARE(mapping.map(position, code), outcome);
        const bool mapped = outcome == FieldMapping::Outcome::Mapped ||
                            outcome == FieldMapping::Outcome::MappedAskDiscontinued;
        QCOMPARE(mapping.map().code(position), mapped ? code : 0);
    }

    // Without a stock number the session cannot run; the caller maps again.
    void stockNumberRequired() {
        QTemporaryDir dir;
        TestCatalogue catalogue;
        TextImportSession session;
        session.open(writeFile(dir, u"f.txt"_s, "A1,Pen,1\n"_ba));
        session.acceptProposal();
        session.readFirstItem();
        session.mapping().map(0, 3);
        QVERIFY(!session.readyToRun());
        QVERIFY_THROWS_EXCEPTION(RunTimeError, session.run(catalogue.db()));
        QCOMPARE(catalogue.count(), 0);
        session.mapping().restart();
        session.mapping().map(0, 2);
        QVERIFY(session.readyToRun());
    }

    // Slots added after the first item's fields take the fields of longer items.
    void addedSlots() {
        QTemporaryDir dir;
        TestCatalogue catalogue;
        TextImportSession session;
        session.open(writeFile(dir, u"f.txt"_s, "A1,Pen,1\nA2,Pencil,2,9.95,Box\n"_ba));
        session.acceptProposal();
        session.readFirstItem();
        QCOMPARE(session.firstField(), u"A1"_s);
        QVERIFY(
            session.mapping().addMorePrompt().startsWith(u"The Data Shows There Are 3 Items."_s));
        QCOMPARE(session.mapping().addSlots(u"none"_s), 0);
        QCOMPARE(session.mapping().addSlots(u"2"_s), 2);
        QCOMPARE(session.mapping().label(4), u"Additional Item 5 You Added"_s);
        session.mapping().map(4, 6);
        session.mapping().finish();
        QCOMPARE(session.mapping().label(4), u"This One Is Empty"_s);
        mapAndRun(session, catalogue, {0, 2, 3, 12});
        QCOMPARE(catalogue.text(u"A2"_s, u"Retail"_s), u"9.95"_s);
        QCOMPARE(catalogue.text(u"A2"_s, u"Packaging"_s), u"Box"_s);
        QCOMPARE(catalogue.text(u"A1"_s, u"Packaging"_s), QString());
    }

    // Files through the dialogue's choices into the catalogue. Runs of spaces are one divider,
    // the second space staying at the front of the next field; discontinued items are passed
    // over when the user says so; real files from other programs start after their heading.
    void run_data() {
        QTest::addColumn<QString>("source");  // a file of the test data, or the text itself
        QTest::addColumn<QString>("divider"); // empty: comma; a number: lines per item
        QTest::addColumn<int>("startLine");
        QTest::addColumn<QList<int>>("map"); // position, code, position, code, ...
        QTest::addColumn<int>("checked");    // -1: not looked at
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::newRow("two spaces")
            << u"A  B   C\n"_s << QString() << 0 << QList<int>{0, 2, 1, 3, 2, 6} << 1 << 1 << u"A"_s
            << u"Packaging"_s << u" C"_s;
        QTest::newRow("separate lines")
            << u"A1\nRed Pen\n1.50\nA2\nBlue Pen\n2.25\n"_s << u"3"_s << 0
            << QList<int>{0, 2, 1, 3, 2, 12} << 2 << 2 << u"A2"_s << u"Retail"_s << u"2.25"_s;
        QTest::newRow("discontinued passed over")
            << u"A1,Y\nA2,N\nA3,yes\n"_s << u","_s << 0 << QList<int>{0, 2, 1, 21} << 1 << 1
            << u"A2"_s << u"StockNo"_s << u"A2"_s;
        QTest::newRow("quoted fields, BOM, CRLF")
            << u"superstore_orders_utf8bom_crlf.csv"_s << QString() << 1
            << QList<int>{13, 2, 16, 3, 17, 12} << -1 << -1 << u"OFF-PA-10000174"_s << u"ProdName"_s
            << u"Message Book, Wirebound, Four 5 1/2\" X 4\" Forms/Pg., 200 Dupl. Sets/Book"_s;
        // The start line ends inside the first quoted field, so the user picks the comma.
        QTest::newRow("line breaks inside quotes")
            << u"magento_products_gear_bags.csv"_s << u","_s << 1
            << QList<int>{2, 2, 1, 3, 3, 12, 5, 4} << 14 << 14 << u"24-MB01"_s << u"ProdName"_s
            << u"Joust Duffle Bag"_s;
        QTest::newRow("variant rows with blank titles")
            << u"shopify_jewelery.csv"_s << QString() << 1 << QList<int>{0, 2, 1, 3, 19, 12} << 20
            << 20 << u"chain-bracelet"_s << u"ProdName"_s << u"7 Shakra Bracelet"_s;
        // The picture follows the last of the repeated rows.
        QTest::newRow("variant rows merge into the first")
            << u"shopify_jewelery.csv"_s << QString() << 1 << QList<int>{0, 2, 24, 17} << 20 << 20
            << u"chain-bracelet"_s << u"Picture"_s
            << u"https://burst.shopifycdn.com/photos/navy-blue-chakra-bracelet_925x.jpg"_s;
        QTest::newRow("quoted lists") << u"woocommerce_sample_products.csv"_s << QString() << 1
                                      << QList<int>{2, 2, 3, 3, 25, 12, 26, 20} << 24 << 24
                                      << u"cc-tee"_s << u"ProdName"_s << u"T-Shirt"_s;
        // Decimal commas make the comma the proposal; the user picks the tab.
        QTest::newRow("Windows-1252 tab file")
            << u"bdpm_CIS_CIP_cp1252_tab_first500.txt"_s << u"\t"_s << 0
            << QList<int>{1, 2, 2, 3, 3, 20} << 500 << 500 << u"3020391"_s << u"ProdName"_s
            << u"1 flacon en verre de 200 mL avec bague d’inviolabilité avec gobelet doseur de "
               u"15 mL"_s;
    }
    void run() {
        QFETCH(QString, source);
        QFETCH(QString, divider);
        QFETCH(int, startLine);
        QFETCH(QList<int>, map);
        QFETCH(int, checked);
        QFETCH(int, added);
        QFETCH(QString, stock);
        QFETCH(QString, column);
        QFETCH(QString, value);
        QTemporaryDir dir;
        TestCatalogue catalogue;
        if (!source.contains(u'\n'))
            REQUIRE_TEST_FILE(testFile(source));
        TextImportSession session;
        session.open(source.contains(u'\n') ? writeFile(dir, u"f.txt"_s, source.toUtf8())
                                            : testFile(source));
        QVERIFY(session.chooseStartLine(startLine));
        if (divider.isEmpty())
            QVERIFY(session.acceptProposal());
        else if (divider.at(0).isDigit())
            QCOMPARE(session.chooseLinesPerItem(divider), Outcome::Accepted);
        else
            QCOMPARE(session.chooseDivider(Divider(divider)), Outcome::Accepted);
        session.readFirstItem();
        session.mapping().setSkipDiscontinued(map.contains(21));
        const ImportOutcome outcome = mapAndRun(session, catalogue, map);
        if (added >= 0) {
            QCOMPARE(outcome.counts.checked, checked);
            QCOMPARE(outcome.counts.added, added);
            QCOMPARE(catalogue.count(), added);
        }
        QCOMPARE(catalogue.text(stock, column), value);
        QCOMPARE(catalogue.count(u"StockNo IS NULL"_s), 0);
    }

    // 50 000 lines of random bytes: the dialogue and the run end normally, whatever they find.
    void randomBytes() {
        QTemporaryDir dir;
        QRandomGenerator random(4711);
        QByteArray bytes;
        for (int line = 0; line < 50000; ++line) {
            for (int i = random.bounded(120); i > 0; --i) {
                const char c = char(random.bounded(256));
                bytes += c == '\n' || c == '\r' ? '"' : c;
            }
            bytes += '\n';
        }
        TestCatalogue catalogue;
        TextImportSession session;
        session.open(writeFile(dir, u"noise.bin"_s, bytes));
        QCOMPARE(session.lineCount(), 50000);
        QCOMPARE(session.preview().size(), 100);
        if (!session.acceptProposal())
            QCOMPARE(session.chooseTypedDivider(session.startLineText().left(1)),
                     Outcome::Accepted);
        session.readFirstItem();
        const ImportOutcome outcome = mapAndRun(session, catalogue, {0, 2, 1, 3, 2, 12, 3, 19});
        QCOMPARE(catalogue.count(), qint64(outcome.counts.added));
        QVERIFY(outcome.counts.checked >= outcome.counts.added);
        // A file is checked whole; a server keeps its own storage whole.
        if (!test::onServer())
            QCOMPARE(catalogue.db().scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
    }
};

QTEST_GUILESS_MAIN(ImportSessionTest)
#include "tst_importsession.moc"
