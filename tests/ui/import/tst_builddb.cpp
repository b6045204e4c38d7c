// The import screen driven through its controls: the pages, Delete All with its question, a
// real supplier-style file imported through the whole dialogue, the trial run, the encoding
// choice and Cancel.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "core/products/SearchInForce.h"
#include "core/settings/SettingsStore.h"
#include "core/shell/TaskScreenHandoff.h"
#include "core/storage/WriterTurn.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/import/BuildDB.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

using Catalogue = TestProgramFolder::Catalogue;

// Plays one user action each time the screen waits for the user:
//   row:N (click line N of the list), click:NAME, type:TEXT (into txtChoice, then Enter),
//   encoding:NAME (pick an encoding), expect:TEXT (the list shows TEXT somewhere; then nothing
//   is done and the next action follows at once), label: (what Label1 shows, kept in `seen`
//   like the list of an expect), shot:FILE (a picture of the screen into the
//   folder named by TOVIN_SCREENSHOT_DIR, when it is set; for the documentation).
class Dialogue : public QObject {
public:
    Dialogue(BuildDB& screen, QStringList actions)
        : m_screen(screen), m_actions(std::move(actions)) {
        connect(&screen, &BuildDB::waiting, this,
                [this] { QTimer::singleShot(0, this, [this] { next(); }); });
    }
    QStringList seen; // what the list showed at each "expect", the label at each "label"
    int left() const { return int(m_actions.size()); }

private:
    void next() {
        while (!m_actions.isEmpty()) {
            const QString action = m_actions.takeFirst();
            const QString kind = action.section(u':', 0, 0);
            const QString arg = action.section(u':', 1);
            auto* list = control<QListWidget>(&m_screen, u"Text1"_s);
            if (kind == u"shot"_s) {
                const QString folder = qEnvironmentVariable("TOVIN_SCREENSHOT_DIR");
                if (!folder.isEmpty())
                    m_screen.grab().save(folder + u'/' + arg);
                continue;
            }
            if (kind == u"label"_s) {
                seen << control<QLabel>(&m_screen, u"Label1"_s)->text();
                continue;
            }
            if (kind == u"expect"_s) {
                QStringList lines;
                for (int i = 0; i < list->count(); ++i)
                    lines << list->item(i)->text();
                seen << lines.join(u'\n');
                if (!lines.join(u'\n').contains(arg))
                    qWarning("list does not show %s", qPrintable(arg));
                continue;
            }
            if (kind == u"row"_s) {
                list->setCurrentRow(arg.toInt());
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(arg.toInt())).center());
            } else if (kind == u"click"_s) {
                click(&m_screen, arg);
            } else if (kind == u"type"_s) {
                auto* choice = control<QLineEdit>(&m_screen, u"txtChoice"_s);
                choice->setText(arg);
                QTest::keyClick(choice, Qt::Key_Return);
            } else if (kind == u"encoding"_s) {
                auto* box = control<QComboBox>(&m_screen, u"cboEncoding"_s);
                const int index = box->findData(arg);
                box->setCurrentIndex(index);
                emit box->activated(index);
            }
            return;
        }
    }
    BuildDB& m_screen;
    QStringList m_actions;
};

QString label(QWidget* screen) {
    return control<QLabel>(screen, u"Label1"_s)->text();
}

// The file to open, then no note and no more fields.
ScriptedPrompts& answerFileNoteAndSlots(ScriptedPrompts& prompts, const QString& file) {
    return prompts.answerOpenFile(file).answerInput(QString()).answerInput(QString());
}

qint64 count(const QString& where = u"1"_s) {
    return dbValue(u"SELECT count(*) FROM Products WHERE "_s + where).toLongLong();
}

} // namespace

class BuildDBTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;
    // The search in force and the hand-off the screens are made with.
    SearchInForce m_search;
    TaskScreenHandoff m_tasks;

private slots:
    void init() {
        m_search = SearchInForce{};
        m_tasks = TaskScreenHandoff{};
    }

private:
    // One run of the text-file task on a fresh import screen, `actions` played as it waits.
    struct Run {
        std::unique_ptr<BuildDB> screen;
        QStringList seen; // as the dialogue kept it
        int left = 0;     // actions the screen never waited for
    };
    Run runTextFile(const QStringList& actions) {
        m_tasks.buildMode = 1;
        Run run;
        run.screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                         m_search, m_tasks);
        Dialogue dialogue(*run.screen, actions);
        click(run.screen.get(), u"Option1(5)"_s);
        click(run.screen.get(), u"Command1"_s);
        run.seen = dialogue.seen;
        run.left = dialogue.left();
        return run;
    }

private slots:

    // Each page has its caption and its note in the label.
    void pages_data() {
        QTest::addColumn<int>("buildMode");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("page");
        QTest::newRow("delete mode opens on page 0") << 0 << QStringList{} << 0;
        QTest::newRow("Back stays on page 0") << 0 << QStringList{u"Command4"_s} << 0;
        QTest::newRow("options page") << 1 << QStringList{} << 1;
        QTest::newRow("Back stays on page 1") << 1 << QStringList{u"Command4"_s} << 1;
        QTest::newRow("Start without a choice does nothing")
            << 1 << QStringList{u"Command1"_s} << 1;
        QTest::newRow("price lists page") << 1 << QStringList{u"Option1(0)"_s} << 2;
        QTest::newRow("Back from the price lists")
            << 1 << QStringList{u"Option1(0)"_s, u"Command4"_s} << 1;
    }
    void pages() {
        QFETCH(int, buildMode);
        QFETCH(QStringList, clicks);
        QFETCH(int, page);
        const QString titles[] = {u"Delete ALL Reccords"_s, u"Add & Edit Records"_s,
                                  u"Choose The Lists You Want To Use"_s};
        const QString notes[] = {u"Press Start To Delete ALL Current Records!"_s,
                                 u"Choose Which Option To Do"_s,
                                 u"Select Any 1 or More Of The Lists Above"_s};
        TestProgramFolder folder(Catalogue::Demo);
        m_tasks.buildMode = std::int16_t(buildMode);
        auto screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                          m_search, m_tasks);
        click(screen.get(), clicks);
        QCOMPARE(screen->taskPage(), page);
        QCOMPARE(screen->windowTitle(), titles[page]);
        QCOMPARE(label(screen.get()), notes[page]);
        if (page == 2)
            QVERIFY(control<QCheckBox>(screen.get(), u"chkLists(0)"_s)->isChecked());
        QCOMPARE(control<QWidget>(screen.get(), u"Frame4"_s)->isVisible(), page == 2);
    }

    // Delete All asks first, No the default, and deletes the products of the search in force.
    // A delete that cannot get at the catalogue (another program holds its write lock) says
    // why it stopped instead of closing on its totals as if all went well.
    void deleteAllAsksFirst_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<qint64>("left");
        QTest::addColumn<QString>("status"); // on the label afterwards; empty: the screen went
        QTest::newRow("No deletes nothing") << MessageAnswer::No << false << qint64(5)
                                            << u"Press Start To Delete ALL Current Records!"_s;
        QTest::newRow("Yes deletes the three searched")
            << MessageAnswer::Yes << false << qint64(2) << QString();
        QTest::newRow("Yes, the catalogue held by another program")
            << MessageAnswer::Yes << true << qint64(5) << QString();
    }
    void deleteAllAsksFirst() {
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, locked);
        QFETCH(qint64, left);
        QFETCH(QString, status);
        TestProgramFolder folder(Catalogue::Empty);
        // The screen waits for the other program only a second, not the default minutes.
        SettingsStore::program().setValue(WriterTurn::SettingsSection, WriterTurn::SettingsKey,
                                          u"1"_s);
        CatalogueDatabase other(TestProgramFolder::current().catalogue().path);
        for (int i = 1; i <= 5; ++i)
            RowWriter::insert(other, u"Products"_s,
                              {{PC::PID, i},
                               {PC::StockNo, u"S%1"_s.arg(i)},
                               {PC::Supplier, i <= 3 ? u"Acme"_s : u"Other"_s}});
        m_search.SearchWhere = u"Supplier = 'Acme'"_s;
        m_tasks.buildMode = 0;
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(answer);
        if (locked)
            prompts.answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                          m_search, m_tasks);
        if (locked)
            other.run(u"BEGIN IMMEDIATE"_s);
        // The totals stay until Close.
        Dialogue dialogue(*screen, {u"click:Command2"_s});
        click(screen.get(), u"Command1"_s);
        if (locked)
            other.run(u"ROLLBACK"_s);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shownTexts().first(), u"Delete 3 products?"_s);
        QCOMPARE(prompts.shown().first().buttons, MessageButtons::YesNo);
        QCOMPARE(prompts.shown().first().defaultButton, MessageDefault::Second);
        QCOMPARE(prompts.shownTexts().size(), locked ? 2 : 1);
        if (locked) {
            QVERIFY2(prompts.shownTexts().at(1).startsWith(u"The task stopped: "_s),
                     qPrintable(prompts.shownTexts().at(1)));
            QCOMPARE(prompts.shown().at(1).icon, MessageIcon::Critical);
        }
        QCOMPARE(count(), left);
        QCOMPARE(count(u"Supplier = 'Acme'"_s), left - 2);
        QCOMPARE(screen->isVisible(), !status.isEmpty());
        if (!status.isEmpty())
            QCOMPARE(label(screen.get()), status);
    }

    // The order lines of a store, UTF-8 with a byte-order mark and CR LF, through the whole
    // dialogue: start line, the proposed comma, the note, the mapping, a trial run and the
    // import itself.
    void importsARealFileThroughTheScreen() {
        TestProgramFolder folder(Catalogue::Empty);
        m_tasks.buildMode = 1;
        const QString file = testDataDir() + u"/delimited/superstore_orders_utf8bom_crlf.csv"_s;
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerOpenFile(file).answerInput(u"spring"_s).answerInput(QString());
        auto screen = std::make_unique<BuildDB>(TestProgramFolder::current().catalogue(),
                                                m_promptsInUse, m_search, m_tasks);
        screen->resize(720, 600);
        screen->show();
        QStringList actions{u"row:1"_s, u"click:Command3"_s};
        // 21 fields: Product ID (13) is the stock number, Product Name (16) the name, Sales (17)
        // the retail price, Quantity (18) Cost1; the rest is skipped.
        for (int position = 0; position < 21; ++position) {
            const int code = position == 13   ? 2
                             : position == 16 ? 3
                             : position == 17 ? 12
                             : position == 18 ? 7
                                              : 0;
            if (position == 16)
                actions << u"shot:import-mapping.png"_s;
            actions << u"row:%1"_s.arg(code);
        }
        actions << u"click:cmdTestImport"_s << u"expect:TEST ONLY - Nothing Was Changed"_s
                << u"click:Command3"_s << u"click:Command2"_s;
        Dialogue dialogue(*screen, actions);
        click(screen.get(), u"Option1(5)"_s);
        click(screen.get(), u"Command1"_s);
        QCOMPARE(dialogue.left(), 0);
        QVERIFY(dialogue.seen.value(0).contains(u"New Products: "_s));
        QVERIFY(!dialogue.seen.value(0).contains(u"New Products: 0"_s));
        const qint64 products = count();
        QVERIFY(products > 300);
        QCOMPARE(productColumn(u"ProdName"_s, u"OFF-PA-10000174"_s),
                 u"Message Book, Wirebound, Four 5 1/2\" X 4\" Forms/Pg., 200 Dupl. Sets/Book"_s);
        QVERIFY(productColumn(u"Notes"_s, u"OFF-PA-10000174"_s)
                    .startsWith(u"spring - Added This Item"_s));
        QCOMPARE(prompts.unanswered(), 0);
    }

    // Test Import goes through every item as the import then does (it used to stop after the
    // first one): new, changed, unchanged and refused items give the same totals in both.
    void trialRunMatchesTheImport() {
        TestProgramFolder folder(Catalogue::Empty);
        dbRun(u"INSERT INTO Products (PID, StockNo, ProdName) VALUES (1, 'A1', 'Pen'), "
              u"(2, 'B2', 'Ink')"_s);
        dbRun(u"CREATE TRIGGER refuse BEFORE INSERT ON Products WHEN new.StockNo = 'BAD' "
              u"BEGIN SELECT RAISE(ABORT, 'refused by the shop'); END"_s);
        folder.writeFile(u"items.txt"_s, "N1,New one,-\nN2,New two,-\nA1,Pen,-\nB2,Ink blue,-\n"
                                         "BAD,Refused,-\nN3,New three,-\n");
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::No)
            .answerOpenFile(folder.filePath(u"items.txt"_s))
            .answerInput(u"trial"_s)
            .answerInput(QString());
        const Run run = runTextFile({u"row:0"_s, u"click:Command3"_s, u"row:2"_s, u"row:3"_s,
                                     u"row:0"_s, u"click:cmdTestImport"_s, u"expect:TEST ONLY"_s,
                                     u"click:Command3"_s, u"label:"_s, u"click:Command2"_s});
        QCOMPARE(run.left, 0);
        const QString runTotals = run.seen.value(1);
        QCOMPARE(runTotals, u"Total Checked: 5   Total Added: 3   Total Edited: 1"_s);
        const QStringList trial = run.seen.value(0).split(u'\n');
        QVERIFY2(trial.contains(runTotals), qPrintable(run.seen.value(0)));
        QVERIFY2(trial.contains(u"New Products: 3"_s), qPrintable(run.seen.value(0)));
        QCOMPARE(count(), 5);
        QCOMPARE(prompts.unanswered(), 0);
    }

    void encodingRedrawsThePreviewAndCancelShowsPage3() {
        TestProgramFolder folder(Catalogue::Empty);
        folder.writeFile(u"cafe.txt"_s, "A1,Caf\xC3\xA9,1\r\n");
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerOpenFile(folder.filePath(u"cafe.txt"_s));
        const Run run = runTextFile({u"expect:A1,Caf\u00e9,1"_s, u"encoding:windows-1252"_s,
                                     u"expect:A1,Caf\u00c3\u00a9,1"_s, u"click:Command2"_s});
        QCOMPARE(run.left, 0);
        QCOMPARE(run.seen.size(), 2);
        QCOMPARE(run.screen->windowTitle(), u"Action Was Canceled By User!"_s);
        QCOMPARE(label(run.screen.get()), u"Press Close When Done"_s);
        QCOMPARE(count(), 0);
    }

    // A price list that is not in the Supplier folder ends the run with the message naming it,
    // before anything is asked about the supplier.
    void missingPriceList() {
        TestProgramFolder folder(Catalogue::Demo);
        QVERIFY(QFile::remove(folder.filePath(u"Supplier/wp-cd.txt"_s)));
        m_tasks.buildMode = 1;
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerMessage(MessageAnswer::No).answerMessage(MessageAnswer::Ok);
        auto screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                          m_search, m_tasks);
        click(screen.get(), u"Option1(0)"_s);
        click(screen.get(), u"Command1"_s);
        QCOMPARE(prompts.unanswered(), 0);
        QVERIFY(prompts.shownTexts().value(1).startsWith(
            u"This Will Update Your Supplier's White Price List 'wp-cd.txt' file ONLY!"_s));
        QCOMPARE(screen->taskPage(), 1);
        QCOMPARE(label(screen.get()), u"Choose Which Option To Do"_s);
    }

    // Several price lists in one run: the status line adds up every list, and each list's own
    // totals are listed above it (a run of one list needs no such list).
    void priceListsTotalOverTheRun_data() {
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("lists");
        const QString white =
            u"wp-cd.txt:   Total Checked: 26   Total Added: 26   Total Edited: 0"_s;
        QTest::newRow("white only")
            << QList<int>{0} << u"Total Checked: 26   Total Added: 26   Total Edited: 0"_s
            << QString();
        QTest::newRow("white and yellow")
            << QList<int>{0, 1} << u"Total Checked: 52   Total Added: 26   Total Edited: 26"_s
            << white + u"\nyp-cd.txt:   Total Checked: 26   Total Added: 0   Total Edited: 26"_s;
        QTest::newRow("white, yellow and retail")
            << QList<int>{0, 1, 4} << u"Total Checked: 78   Total Added: 26   Total Edited: 52"_s
            << white + u"\nyp-cd.txt:   Total Checked: 26   Total Added: 0   Total Edited: 26"_s +
                   u"\nsp-cd.txt:   Total Checked: 26   Total Added: 0   Total Edited: 26"_s;
    }
    void priceListsTotalOverTheRun() {
        QFETCH(QList<int>, ticked);
        QFETCH(QString, status);
        QFETCH(QString, lists);
        TestProgramFolder folder(Catalogue::Empty);
        m_tasks.buildMode = 1;
        ScriptedPrompts prompts(m_promptsInUse);
        // Per list: who the supplier is (no supplier screen here), then the note.
        for (qsizetype i = 0; i < ticked.size(); ++i)
            prompts.answerMessage(MessageAnswer::Ok).answerInput(QString());
        auto screen = openScreen<BuildDB>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                          m_search, m_tasks);
        click(screen.get(), u"Option1(0)"_s);
        for (int list : ticked)
            control<QCheckBox>(screen.get(), u"chkLists(%1)"_s.arg(list))->setChecked(true);
        Dialogue dialogue(*screen, {u"label:"_s, u"click:Command2"_s});
        click(screen.get(), u"Command1"_s);
        QCOMPARE(dialogue.left(), 0);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(dialogue.seen.value(0), status);
        const QString message = control<QPlainTextEdit>(screen.get(), u"txtMsg"_s)->toPlainText();
        if (lists.isEmpty())
            QVERIFY2(!message.contains(u"wp-cd.txt:"_s), qPrintable(message));
        else
            QCOMPARE(message, lists);
        QCOMPARE(count(), 26);
    }

    // While mapping, the status line says which field of how many is mapped and what it holds;
    // Back returns to the field before and forgets how it was mapped.
    void mappingShowsTheFieldAndGoesBack_data() {
        QTest::addColumn<QStringList>("mapping"); // actions while mapping "A1,Pen,5"
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QString>("name"); // of A1 afterwards
        const QString first = u"Field 1 Of 3:   A1"_s;
        const QString second = u"Field 2 Of 3:   Pen"_s;
        const QString third = u"Field 3 Of 3:   5"_s;
        QTest::newRow("straight through") << QStringList{u"label:"_s, u"row:2"_s,  u"label:"_s,
                                                         u"row:3"_s,  u"label:"_s, u"row:7"_s}
                                          << QStringList{first, second, third} << u"Pen"_s;
        QTest::newRow("a wrong first click taken back")
            << QStringList{u"row:3"_s, u"label:"_s, u"click:Command4"_s, u"label:"_s,
                           u"row:2"_s, u"row:3"_s,  u"row:7"_s}
            << QStringList{second, first} << u"Pen"_s;
        QTest::newRow("the name taken back and left out")
            << QStringList{u"row:2"_s,  u"row:3"_s, u"label:"_s, u"click:Command4"_s,
                           u"label:"_s, u"row:0"_s, u"row:7"_s}
            << QStringList{third, second} << QString();
    }
    void mappingShowsTheFieldAndGoesBack() {
        QFETCH(QStringList, mapping);
        QFETCH(QStringList, labels);
        QFETCH(QString, name);
        TestProgramFolder folder(Catalogue::Empty);
        folder.writeFile(u"one.txt"_s, "A1,Pen,5\n");
        ScriptedPrompts prompts(m_promptsInUse);
        answerFileNoteAndSlots(prompts, folder.filePath(u"one.txt"_s));
        const Run run = runTextFile(QStringList{u"row:0"_s, u"click:Command3"_s} + mapping +
                                    QStringList{u"click:Command3"_s, u"click:Command2"_s});
        QCOMPARE(run.left, 0);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(run.seen, labels);
        QCOMPARE(productColumn(u"ProdName"_s, u"A1"_s), name);
    }

    // A mapping is kept once a run or its trial has read the file, and offered for next
    // month's file of the same heading, naming the file it was made for; a dialogue given up
    // at the last question keeps nothing, even for a file of the same name.
    void mappingKeptForNextMonth_data() {
        QTest::addColumn<QStringList>("firstEnd"); // at "Press OK To Start..." for January
        QTest::addColumn<bool>("imported");
        QTest::addColumn<QString>("secondName");
        QTest::addColumn<bool>("offered");
        const QStringList import{u"click:Command3"_s, u"click:Command2"_s};
        QTest::newRow("imported, next month's file")
            << import << true << u"kestrel-prices-feb.csv"_s << true;
        QTest::newRow("trial only, next month's file")
            << QStringList{u"click:cmdTestImport"_s, u"expect:TEST ONLY"_s, u"click:Command2"_s}
            << false << u"kestrel-prices-feb.csv"_s << true;
        QTest::newRow("cancelled at the last question, the same file again")
            << QStringList{u"click:Command2"_s} << false << u"kestrel-prices-jan.csv"_s << false;
    }
    void mappingKeptForNextMonth() {
        QFETCH(QStringList, firstEnd);
        QFETCH(bool, imported);
        QFETCH(QString, secondName);
        QFETCH(bool, offered);
        TestProgramFolder folder(Catalogue::Empty);
        folder.writeFile(u"kestrel-prices-jan.csv"_s, "Stock,Name,Price\nA1,Pen,5\n");
        const QStringList byHand{u"row:1"_s, u"click:Command3"_s, u"row:2"_s, u"row:3"_s,
                                 u"row:7"_s};
        {
            ScriptedPrompts prompts(m_promptsInUse);
            answerFileNoteAndSlots(prompts, folder.filePath(u"kestrel-prices-jan.csv"_s));
            QCOMPARE(runTextFile(byHand + firstEnd).left, 0);
            QCOMPARE(prompts.unanswered(), 0);
        }
        QCOMPARE(count(), imported ? 1 : 0);

        folder.writeFile(secondName, "Stock,Name,Price\nB2,Cup,7\n");
        ScriptedPrompts prompts(m_promptsInUse);
        if (imported)
            prompts.answerMessage(MessageAnswer::No); // edit only?
        prompts.answerOpenFile(folder.filePath(secondName));
        if (offered)
            prompts.answerMessage(MessageAnswer::Yes).answerInput(QString());
        else
            prompts.answerInput(QString()).answerInput(QString());
        QCOMPARE(runTextFile((offered ? QStringList() : byHand) +
                             QStringList{u"click:Command3"_s, u"click:Command2"_s})
                     .left,
                 0);
        QCOMPARE(prompts.unanswered(), 0);
        const QStringList shown = prompts.shownTexts();
        const QString question = u"Use the mapping from last time?\nIt was made for "
                                 u"kestrel-prices-jan.csv"_s;
        QCOMPARE(shown.contains(question), offered);
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
    }

    // A divider typed by hand that the start line does not hold is refused; Retry lets the user
    // choose again.
    void manualDivider() {
        TestProgramFolder folder(Catalogue::Empty);
        folder.writeFile(u"semi.txt"_s, "A1;Pen\r\nB2;Cup\r\n");
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerOpenFile(folder.filePath(u"semi.txt"_s))
            .answerMessage(MessageAnswer::Ok)    // "Sorry, that is not a valid choice!"
            .answerMessage(MessageAnswer::Retry) // "#" is not in the line
            .answerInput(QString())              // note
            .answerInput(QString());             // no slots
        QCOMPARE(runTextFile({u"row:0"_s, u"click:Option2(3)"_s, u"type:;;;"_s, u"type:#"_s,
                              u"click:Option2(3)"_s, u"type:;"_s, u"row:2"_s, u"row:3"_s,
                              u"click:Command3"_s, u"click:Command2"_s})
                     .left,
                 0);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(prompts.shownTexts().at(1), u"Sorry, that is not a valid choice!"_s);
        QVERIFY(prompts.shownTexts().at(2).contains(u"Is NOT A Valid Item Seperator!"_s));
        QCOMPARE(productColumn(u"ProdName"_s, u"B2"_s), u"Cup"_s);
    }

    // A file whose prices only make sense with a decimal comma, imported with the box unticked:
    // the screen asks; Yes ticks the box and reads the prices so, No leaves them as they were.
    // The status line counts the prices left, and the message box names them with their lines.
    void decimalCommaIsProposed_data() {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<qint64>("retail"); // of E2, as stored (ten-thousandths)
        QTest::addColumn<QString>("status");
        const QString totals = u"Total Checked: 3   Total Added: 3   Total Edited: 0   "_s;
        QTest::newRow("yes") << true << qint64(12345000) << totals + u"1 price left as it was"_s;
        QTest::newRow("no") << false << qint64(0) << totals + u"3 prices left as they were"_s;
    }
    void decimalCommaIsProposed() {
        QFETCH(bool, yes);
        QFETCH(qint64, retail);
        QFETCH(QString, status);
        TestProgramFolder folder(Catalogue::Empty);
        folder.writeFile(u"euro.txt"_s, "E1\tPen\t44,38\r\nE2\tInk\t1.234,50\r\nE3\tCup\tN/A\r\n");
        ScriptedPrompts prompts(m_promptsInUse);
        answerFileNoteAndSlots(prompts, folder.filePath(u"euro.txt"_s))
            .answerMessage(yes ? MessageAnswer::Yes : MessageAnswer::No);
        const Run run = runTextFile({u"row:0"_s, u"click:Command3"_s, u"row:2"_s, u"row:3"_s,
                                     u"row:12"_s, u"click:Command3"_s, u"click:Command2"_s});
        QCOMPARE(run.left, 0);
        BuildDB* screen = run.screen.get();
        QCOMPARE(prompts.unanswered(), 0);
        QVERIFY(prompts.shownTexts().last().contains(u"Like 44,38"_s));
        QCOMPARE(control<QCheckBox>(screen, u"chkDecimalComma"_s)->isChecked(), yes);
        QCOMPARE(dbValue(u"SELECT Retail FROM Products WHERE StockNo = 'E2'"_s).toLongLong(),
                 retail);
        QCOMPARE(label(screen), status);
        QVERIFY(control<QPlainTextEdit>(screen, u"txtMsg"_s)
                    ->toPlainText()
                    .endsWith(u"\n   line 3: E3 Retail 'N/A'"_s));
    }
};

QTEST_MAIN(BuildDBTest)
#include "tst_builddb.moc"
