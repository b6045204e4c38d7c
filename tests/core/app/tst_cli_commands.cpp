#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/DemoCatalogue.h"
#include "core/journal/JournalRun.h"
#include "core/journal/RunUndo.h"
#include "core/storage/SqliteConnection.h"
#include "support/core/CliRun.h"
#include "support/core/TestProgramFolder.h"
#include "support/core/TestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

// The smaller commands as scripts use them (create, reorder, report, pages, convert), the help
// of every command, and the rule they all share: a refusal is exit status 2 with a message, and
// nothing is written. When the test runs on the server, the catalogues the commands read and
// change are databases on the test cluster; what is about files alone runs on files only.
class CliCommandsTest : public QObject {
    Q_OBJECT

    // A program folder with the demo catalogue, which every run uses with its own settings.
    std::unique_ptr<TestProgramFolder> m_folder;
    // On the server, the demo catalogue the commands are given.
    std::unique_ptr<ServerDatabase> m_serverDemo;

    QString demo() const { return m_serverDemo ? m_serverDemo->uri() : m_folder->cataloguePath(); }
    QStringList line(const QString& text, const QTemporaryDir& dir,
                     const QString& journal = QString()) const {
        return argumentLine(u"--app-folder @app --settings @settings "_s + text,
                            {{u"@app"_s, m_folder->path()},
                             {u"@settings"_s, m_folder->settingsFile()},
                             {u"@demo"_s, demo()},
                             {u"@journal"_s, journal},
                             {u"@out"_s, m_folder->filePath(u"out"_s)},
                             {u"@dir"_s, dir.path()}});
    }
    CliRun run(const QString& text) {
        QTemporaryDir dir;
        return runProgram(line(text, dir), m_folder->path());
    }
    // The layout version a file records, read without bringing it up to date.
    static int layoutOf(const QString& file) {
        QString failure;
        const auto db = SqliteConnection::open(file, SqliteConnection::OpenMode::ReadOnly, failure);
        if (!db)
            return -1;
        try {
            const auto q = db->prepare(u"SELECT max(Version) FROM SchemaVersion"_s);
            return q->next() ? int(q->integer(0)) : -1;
        } catch (const RunTimeError&) {
            return -1;
        }
    }
    static QStringList pageFiles(const QString& folder) {
        return QDir(folder).entryList({u"Cat*.htm"_s, u"*.pdf"_s, u".print*"_s},
                                      QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase() {
        m_folder = std::make_unique<TestProgramFolder>(TestProgramFolder::Catalogue::Demo);
        if (onServer()) {
            m_serverDemo = std::make_unique<ServerDatabase>();
            DemoCatalogue::create(m_serverDemo->uri());
        }
    }
    // Each case starts without pages.
    void init() {
        for (const QString& folder : {m_folder->filePath(u"Pages"_s), m_folder->filePath(u"out"_s)})
            for (const QString& file : pageFiles(folder))
                QFile::remove(folder + u'/' + file);
    }
    void cleanupTestCase() {
        m_serverDemo.reset();
        m_folder.reset();
    }

    // Runs the program on a catalogue kept in `readOnly`, a folder that does not take changes:
    // a read-only mount of its own where the file permissions would not stop the user (root),
    // otherwise the permissions of the file and the folder. False when neither can be had.
    static bool runReadOnly(const QStringList& arguments, const QString& readOnly, CliRun& run) {
        const QString catalogue = readOnly + u"/shop.mde"_s;
        if (::geteuid() != 0) {
            QFile::setPermissions(catalogue, QFile::ReadOwner | QFile::ReadGroup);
            QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
            run = runProgram(arguments);
            QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            return true;
        }
        const QString mount =
            u"mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" \"$0\""_s;
        QProcess probe;
        probe.start(u"unshare"_s,
                    {u"-rm"_s, u"sh"_s, u"-c"_s, mount + u" && ! touch \"$0/probe\""_s, readOnly});
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0)
            return false;
        QProcess p;
        p.start(u"unshare"_s, QStringList{u"-rm"_s, u"sh"_s, u"-c"_s, mount + u" && exec \"$@\""_s,
                                          readOnly, QStringLiteral(TOVIN_APP_BINARY)} +
                                  arguments);
        if (!p.waitForFinished(180000))
            p.kill();
        run = {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
               QString::fromUtf8(p.readAllStandardOutput()),
               QString::fromUtf8(p.readAllStandardError())};
        return true;
    }

    // A catalogue on read-only media: what only reads it works, what would change it is refused
    // as read-only, and the catalogue's folder stays as it was.
    void readOnlyCatalogue_data() {
        QTest::addColumn<QString>("arguments"); // "@ro" is the read-only catalogue
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // part of the standard output, or of the error
        QTest::newRow("export") << u"export --db @ro --out @dir/out.txt --columns 2,3"_s << 0
                                << QString();
        QTest::newRow("reorder") << u"reorder --db @ro"_s << 0 << u"GD-605"_s;
        QTest::newRow("report") << u"report inventory --db @ro --pdf @dir/out.pdf"_s << 0
                                << QString();
        QTest::newRow("pages") << u"pages --db @ro --from 2 --to 2 --out @dir"_s << 0
                               << u"Wrote "_s;
        QTest::newRow("import") << u"import --db @ro --source @dir/new.csv --divider comma "
                                   u"--map 0=2,1=3"_s
                                << 2 << u"is read-only"_s;
        QTest::newRow("bulk edit")
            << u"bulk-edit --db @ro --set Retail=10%"_s << 2 << u"is read-only"_s;
        QTest::newRow("history") << u"history --db @ro"_s << 0 << QString();
        QTest::newRow("undo") << u"undo --db @ro --run 1"_s << 2 << u"is read-only"_s;
    }
    void readOnlyCatalogue() {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        if (onServer())
            QSKIP("read-only media hold catalogue files only");
        QTemporaryDir dir;
        const QString readOnly = dir.filePath(u"media"_s);
        QVERIFY(QDir().mkpath(readOnly));
        CatalogueDatabase(m_folder->cataloguePath()).copyTo(readOnly + u"/shop.mde"_s);
        writeTestFile(dir.filePath(u"new.csv"_s), "NEW1,New product\r\n");
        const QString before = folderSnapshot(readOnly);
        CliRun r;
        if (!runReadOnly(line(arguments.replace(u"@ro"_s, readOnly + u"/shop.mde"_s), dir),
                         readOnly, r))
            QSKIP("no read-only folder can be had here (a mount namespace is refused)");
        QVERIFY2(r.status == status, qPrintable(r.err));
        QVERIFY2((status == 0 ? r.out : r.err).contains(output), qPrintable(r.out + r.err));
        if (status != 0)
            QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
        QCOMPARE(folderSnapshot(readOnly), before);
    }

    void helpDescribesEachCommand_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("words"); // separated by "|"
        QTest::newRow("program") << QString()
                                 << u"create|import|backup|restore|--app-folder|--version|"
                                    u"  history|  undo|  share"_s;
        QTest::newRow("import") << u"import"_s
                                << u"--db|--source|--divider|--start-line|--map|--table|"
                                   u"--supplier-file|--edit-only|--skip-discontinued|--supplier|"
                                   u"--note|--encoding|--decimal-comma|--dry-run|"
                                   u"--mapping-from-last"_s;
        QTest::newRow("export") << u"export"_s
                                << u"--columns|--divider|--where|windows-1252|double quotes"_s;
        QTest::newRow("bulk-edit") << u"bulk-edit"_s
                                   << u"--set|--where|10% raises|Retail less 25|--include-blank|"
                                      u"exit status 2"_s;
        QTest::newRow("backup") << u"backup"_s << u"--db|--to|Backups|KeepDaily|KeepWeekly"_s;
        QTest::newRow("restore") << u"restore"_s << u"--db|--from|exit status 2"_s;
        QTest::newRow("history") << u"history"_s << u"--run N|newest first|exit status 2"_s;
        QTest::newRow("undo") << u"undo"_s << u"--run N|--dry-run|one transaction|exit status 2"_s;
        QTest::newRow("share") << u"share"_s
                               << u"--db|--from|--to|--replace|postgresql://|row count|money "
                                  u"column|exit status 2"_s;
    }
    void helpDescribesEachCommand() {
        QFETCH(QString, command);
        QFETCH(QString, words);
        if (onServer())
            QSKIP("the help reads no catalogue");
        const CliRun r = run((command + u" --help"_s).trimmed());
        QCOMPARE(r.status, 0);
        for (const QString& word : words.split(u'|'))
            QVERIFY2(r.out.contains(word), qPrintable(word));
    }

    // The program's name and the version it was built as, on one line, whatever comes after.
    void versionIsTold_data() {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("alone") << u"--version"_s;
        QTest::newRow("before a command") << u"--version reorder --db @dir/none.mde"_s;
    }
    void versionIsTold() {
        QFETCH(QString, arguments);
        if (onServer())
            QSKIP("the version reads no catalogue");
        const CliRun r = run(arguments);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        static const QRegularExpression versionLine(
            u"^tovin-catalog \\(Tovin's Catalog\\) [0-9]+\\.[0-9]+(\\.[0-9]+)*\n$"_s);
        QVERIFY2(versionLine.match(r.out).hasMatch(), qPrintable(r.out));
    }

    void createsEmptyAndDemoCatalogues_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<bool>("filled");
        QTest::newRow("empty") << u"create"_s << false;
        QTest::newRow("demo") << u"create --demo"_s << true;
    }
    void createsEmptyAndDemoCatalogues() {
        QFETCH(QString, options);
        QFETCH(bool, filled);
        QTemporaryDir dir;
        std::unique_ptr<ServerDatabase> server;
        if (onServer())
            server = std::make_unique<ServerDatabase>();
        const QString made = server ? server->uri() : dir.filePath(u"new.mde"_s);
        const CliRun r = runProgram(line(options + u' ' + made, dir));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QCOMPARE(productCount(made) > 0, filled);
    }

    // The demo catalogue's products to order again, under their supplier.
    void reorderListsBySupplier() {
        const CliRun r = run(u"reorder --db @demo"_s);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u"Pennybrook Lamp & Garden Co.\n"
                                u"  GD-605\tCedar Birdhouse\torder 1\t"
                                u"(in stock 2, on order 0, re-order at 2)\n"_s),
                 qPrintable(r.out));
        QVERIFY(r.err.isEmpty());
    }

    // A scheduled job names the report by name or by file, options before or after it.
    void reportWritesPdf_data() {
        QTest::addColumn<QString>("arguments");
        QTest::newRow("by name") << u"report inventory --db @demo --pdf @dir/out.pdf"_s;
        QTest::newRow("by file name, options first")
            << u"report --pdf @dir/out.pdf --db @demo orders.rpt"_s;
    }
    void reportWritesPdf() {
        QFETCH(QString, arguments);
        QTemporaryDir dir;
        const CliRun r = runProgram(line(arguments, dir));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(fileBytes(dir.filePath(u"out.pdf"_s)).startsWith("%PDF-"));
    }

    // Pages 2 and 3 into the program's Pages folder: in a pipe only the totals, which count
    // every file written.
    void pagesWithDetailPages() {
        const CliRun r = run(u"pages --db @demo --from 2 --to 3"_s);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList lines = r.outLines();
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith(u"Wrote "_s));
        const QStringList files = pageFiles(m_folder->filePath(u"Pages"_s));
        QVERIFY(files.contains(u"CatPage2.htm"_s) && files.contains(u"CatPageDtl2-1.htm"_s));
        QVERIFY(!files.contains(u"CatPage1.htm"_s));
        QCOMPARE(lines[0].section(u' ', 1, 1).toInt(), files.size());
    }

    void namedPagesElsewhereAndPdf() {
        const QString out = m_folder->filePath(u"out"_s);
        const CliRun r =
            run(u"pages --db @demo --from 1 --to 2 --name Spring --out @out --pdf @out/c.pdf"_s);
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY(QFile::exists(out + u"/Spring1.htm"_s));
        QVERIFY(QFile::exists(out + u"/SpringDtl2-1.htm"_s));
        const QByteArray bytes = fileBytes(out + u"/c.pdf"_s);
        QVERIFY(bytes.startsWith("%PDF"));
        // One sheet per catalogue page (the demo pages are short enough for one sheet each).
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                     bytes.count("/Type /Page/") + bytes.count("/Type /Page "),
                 qsizetype(2));
        // The print document does not stay behind.
        QCOMPARE(QDir(out).entryList({u".print*"_s}, QDir::Files | QDir::Hidden).size(), 0);
    }

    // A copy written from the command line, then put back in the catalogue's place.
    void backupAndRestore() {
        if (onServer())
            QSKIP("backups are copies of catalogue files");
        QTemporaryDir dir;
        const QString shop = dir.filePath(u"shop.mde"_s);
        CatalogueDatabase(m_folder->cataloguePath()).copyTo(shop);
        const qint64 products = productCount(shop);
        const CliRun backup = runProgram(line(u"backup --db @dir/shop.mde --to @dir/kept"_s, dir));
        QVERIFY2(backup.status == 0, qPrintable(backup.err));
        const QStringList copies = QDir(dir.filePath(u"kept"_s)).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(copies.first().startsWith(u"shop-"_s));
        const QString copy = dir.filePath(u"kept/"_s + copies.first());
        QVERIFY2(backup.out.contains(u"(%1 products)"_s.arg(products)), qPrintable(backup.out));
        CatalogueDatabase(shop).run(u"DELETE FROM Products"_s);
        const CliRun restore = runProgram(
            line(u"restore --db @dir/shop.mde --from @dir/kept/"_s + copies.first(), dir));
        QVERIFY2(restore.status == 0, qPrintable(restore.err));
        QCOMPARE(productCount(shop), products);
        QCOMPARE(productCount(copy), products);
        // The emptied catalogue was kept in the Backups folder beside it before the restore.
        const QStringList before = QDir(dir.filePath(u"Backups"_s)).entryList(QDir::Files);
        QCOMPARE(before.size(), 1);
        QCOMPARE(productCount(dir.filePath(u"Backups/"_s + before.first())), qint64(0));
    }

    // A restore whose copy of the current catalogue cannot be kept (its Backups folder is a
    // full disk of its own) says why once, and leaves the catalogue as it was.
    void restoreRefusalIsToldOnce() {
        if (onServer())
            QSKIP("backups are copies of catalogue files");
        if (::geteuid() != 0)
            QSKIP("a full disk of the test's own needs root to be mounted");
        QTemporaryDir dir;
        const QString shop = dir.filePath(u"shop.mde"_s);
        CatalogueDatabase(m_folder->cataloguePath()).copyTo(shop);
        const QString backups = dir.filePath(u"Backups"_s);
        QVERIFY(QDir().mkpath(backups));
        if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=16k"_s, u"tmpfs"_s,
                                           backups}) != 0)
            QSKIP("mounting a small disk is not permitted here");
        QFile fill(backups + u"/fill"_s);
        fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        while (fill.write(QByteArray(4096, 'x')) == 4096) {
        }
        fill.close();
        const QString before = catalogueSnapshot(shop);
        const CliRun r = runProgram(line(u"restore --db @dir/shop.mde --from @demo"_s, dir));
        QProcess::execute(u"umount"_s, {backups});
        QCOMPARE(r.status, 2);
        QVERIFY2(r.err.count(u"could not be backed up first"_s) == 1, qPrintable(r.err));
        QVERIFY2(r.err.count(u"Nothing was restored"_s) == 1, qPrintable(r.err));
        QCOMPARE(catalogueSnapshot(shop), before);
    }

    // A command that opens a catalogue of an older layout keeps a copy of it as it was before
    // the layout is brought up to date.
    void olderLayoutIsBackedUpBeforeItsUpgrade() {
        if (onServer())
            QSKIP("a catalogue on a server is never brought up to date in place");
        QTemporaryDir dir;
        const QString shop = dir.filePath(u"shop.mde"_s);
        CatalogueDatabase(m_folder->cataloguePath()).copyTo(shop);
        CatalogueDatabase(shop).run(u"UPDATE SchemaVersion SET Version = 2"_s);
        const CliRun r = runProgram(line(u"reorder --db @dir/shop.mde"_s, dir));
        QVERIFY2(r.status == 0, qPrintable(r.err));
        const QStringList copies = QDir(dir.filePath(u"Backups"_s)).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        const QString copy = dir.filePath(u"Backups/"_s + copies.first());
        QCOMPARE(layoutOf(copy), 2);
        QCOMPARE(layoutOf(shop), CatalogueSchema::Version);
        QCOMPARE(productCount(copy), productCount(shop));
    }

    // A catalogue whose run 1 (an import of one product) was undone by run 2.
    static void makeUndoneRun(const QString& path) {
        CatalogueDatabase::create(path);
        CatalogueDatabase db(path);
        {
            ScopedTransaction transaction(db);
            JournalRun run(db, JournalRun::TextImport, u"new.csv"_s);
            db.run(u"INSERT INTO Products (StockNo) VALUES ('N1')"_s);
            transaction.commit();
        }
        RunUndo::undo(db, 1);
        db.checkpoint();
    }

    // The columns of the refusal tables, and a row of them. A row `onBoth` runs on the server
    // too: it reads the catalogue; `access` is a test data file copied into the case's folder.
    static void refusalColumns() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("access");
        QTest::addColumn<QString>("message"); // part of the error output
        QTest::addColumn<bool>("server");
    }
    static void refused(const char* name, const QString& arguments, const QString& message,
                        bool onBoth = false, const QString& access = QString()) {
        QTest::newRow(name) << arguments << access << message << onBoth;
    }

    // "@dir" is a folder of the case's own, holding a catalogue existing.mde, a text file
    // notes.txt, a named pipe "pipe" nothing writes to and a copy of the Access file named; the run
    // starts in it. "@journal" is a catalogue with an undone run, journal.mde in it or a database
    // on the server. Neither the folder, the catalogues nor the program folder may change.
    void refusalsAreToldAndWriteNothing_data() {
        refusalColumns();
        refused("create over an existing file", u"create @dir/existing.mde"_s, u"existing.mde"_s);
        refused("create without a file", u"create"_s, QString());
        refused("create two files", u"create a.mde b.mde"_s, QString());
        refused("create, unknown option", u"create --colour c.mde"_s, QString());
        refused("unknown command", u"frobnicate"_s, QString());
        const QString reorder = u"tovin-catalog reorder: "_s;
        refused("reorder without a catalogue", u"reorder"_s, reorder);
        refused("reorder, missing file", u"reorder --db @dir/none.mde"_s, reorder);
        refused("reorder, not a catalogue", u"reorder --db @dir/notes.txt"_s, reorder);
        refused("reorder, unknown option", u"reorder --all"_s, reorder);
        refused("report, missing report file", u"report nosuch --db @demo --pdf @dir/out.pdf"_s,
                u"no report file"_s);
        refused("report, missing catalogue",
                u"report cost1 --db @dir/gone.mde --pdf @dir/out.pdf"_s, u"no catalogue"_s);
        refused("report without pdf", u"report cost1 --db @demo"_s, u"--pdf FILE"_s);
        refused("report, two names", u"report cost1 cost2 --db @demo --pdf @dir/out.pdf"_s,
                u"unexpected argument cost2"_s);
        refused("report, unknown option",
                u"report cost1 --landscape --db @demo --pdf @dir/out.pdf"_s,
                u"unexpected argument --landscape"_s);
        const QString open = u"is the open catalogue"_s;
        refused("report onto the catalogue", u"report cost1 --db @demo --pdf @demo"_s, open);
        refused("report onto another catalogue",
                u"report cost1 --db @demo --pdf @dir/existing.mde"_s, u"holds a catalogue"_s, true);
        refused("report onto a folder", u"report cost1 --db @demo --pdf @dir"_s, u"is a folder"_s,
                true);
        // @dir/CatPage1.htm is a copy of the demo catalogue.
        refused("pages pdf onto the catalogue", u"pages --db @demo --from 1 --to 2 --pdf @demo"_s,
                open);
        refused("pages over the catalogue they are made from",
                u"pages --db @dir/CatPage1.htm --from 1 --to 2 --out @dir"_s, open);
        refused("pages over another catalogue", u"pages --db @demo --from 1 --to 2 --out @dir"_s,
                u"CatPage1.htm holds a catalogue"_s, true);
        const QString none = u"nothing was written"_s;
        refused("pages without a catalogue", u"pages --from 1 --to 2"_s, none);
        refused("pages, missing catalogue", u"pages --db nothing.mde --from 1 --to 2"_s, none);
        refused("pages without --to", u"pages --db @demo --from 1"_s, none);
        refused("pages from page 0", u"pages --db @demo --from 0 --to 2"_s, none);
        refused("pages, not a number", u"pages --db @demo --from x --to 2"_s, none);
        refused("pages, from above to", u"pages --db @demo --from 3 --to 2"_s, none);
        refused("pages past the highest page", u"pages --db @demo --from 900 --to 901"_s, none,
                true);
        refused("page name leaving the folder", u"pages --db @demo --from 1 --to 2 --name ../Cat"_s,
                none);
        refused("pages, unknown option", u"pages --db @demo --from 1 --to 2 --colour red"_s, none);
        refused("pages, pdf into a missing folder",
                u"pages --db @demo --from 1 --to 2 --pdf /nonexistent-folder/x.pdf"_s, none);
        refused("pages of a file that is no catalogue",
                u"pages --db @dir/notes.txt --from 1 --to 2"_s, none);
        refused("backup without a catalogue", u"backup --to @dir"_s,
                u"--db CATALOGUE is required"_s);
        refused("backup of a file that is no catalogue", u"backup --db @dir/notes.txt"_s,
                u"is not a catalogue"_s);
        refused("backup of a missing file", u"backup --db @dir/gone.mde"_s, u"does not exist"_s);
        refused("backup into a file", u"backup --db @dir/existing.mde --to @dir/notes.txt"_s,
                u"is not a folder"_s);
        refused("backup, unknown option", u"backup --db @dir/existing.mde --keep 3"_s,
                u"tovin-catalog backup: "_s);
        const QString server = u"is a catalogue on a server"_s;
        refused("backup of a catalogue on a server",
                u"backup --db postgresql://shop@localhost/shop --to @dir"_s, server);
        refused("restore onto a catalogue on a server",
                u"restore --db postgresql://shop@/shop?host=/nonexistent --from @demo"_s, server);
        refused("restore without a copy", u"restore --db @dir/existing.mde"_s, u"--from FILE"_s);
        refused("restore of a file that is no catalogue",
                u"restore --db @dir/existing.mde --from @dir/notes.txt"_s, u"is unchanged"_s);
        refused("restore, unknown option", u"restore --db @dir/existing.mde --from @demo --now"_s,
                u"tovin-catalog restore: "_s);
        refused("restore into a folder that does not exist",
                u"restore --db @dir/none/shop.mde --from @dir/existing.mde"_s,
                u". Nothing was restored; "_s);
    }
    void refusalsAreToldAndWriteNothing() {
        QFETCH(QString, arguments);
        QFETCH(QString, access);
        QFETCH(QString, message);
        QFETCH(bool, server);
        if (onServer() && !server)
            QSKIP("about the command's arguments or catalogue files only");
        QTemporaryDir dir;
        CatalogueDatabase::create(dir.filePath(u"existing.mde"_s));
        writeTestFile(dir.filePath(u"notes.txt"_s), "not a catalogue\n");
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(u"pipe"_s)).constData(), 0600) == 0);
        std::unique_ptr<ServerDatabase> journalServer;
        if (onServer())
            journalServer = std::make_unique<ServerDatabase>();
        const QString journal =
            journalServer ? journalServer->uri() : dir.filePath(u"journal.mde"_s);
        makeUndoneRun(journal);
        QVERIFY(QFile::copy(m_folder->cataloguePath(), dir.filePath(u"CatPage1.htm"_s)));
        if (!access.isEmpty()) {
            const QString original = testDataDir() + u"/mdb/"_s + access;
            QVERIFY2(QFile::copy(original, dir.filePath(access)), qPrintable(original));
        }
        // On the server the catalogues are not in the folders: their rows are looked at.
        const auto snapshot = [&] {
            return folderSnapshot(dir.path()) + catalogueSnapshot(journal) +
                   catalogueSnapshot(demo());
        };
        const QString before = snapshot();
        const QString programBefore = folderSnapshot(m_folder->path());
        const CliRun r = runProgram(line(arguments, dir, journal), dir.path());
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY2(r.out.isEmpty(), qPrintable(r.out));
        QCOMPARE(snapshot(), before);
        QCOMPARE(folderSnapshot(m_folder->path()), programBefore);
    }

    // The refusals of convert, undo, history and share, and import sources and export dividers
    // refused by name before anything is read or written, in the same folder as above.
    void moreRefusalsAreToldAndWriteNothing_data() {
        refusalColumns();
        // No Access file of the test data holds a catalogue: each is refused by name.
        refused("convert Jet 3", u"convert @dir/nwind_jet3.mdb"_s,
                u"does not hold a catalogue: it lacks the tables Supplier, Catagory, Inventory"_s,
                false, u"nwind_jet3.mdb"_s);
        refused("convert Jet 4", u"convert @dir/stock_inventory_jet4.mdb"_s,
                u"does not hold a catalogue: it lacks the tables Products, Supplier"_s, false,
                u"stock_inventory_jet4.mdb"_s);
        refused("convert ACE", u"convert @dir/asset_sample_ace12.accdb"_s,
                u"does not hold a catalogue: it lacks the tables Products, Supplier"_s, false,
                u"asset_sample_ace12.accdb"_s);
        // @journal holds run 1, undone by run 2.
        const QString undo = u"tovin-catalog undo: "_s;
        refused("undo without a run", u"undo --db @journal"_s, u"--run N is required"_s);
        refused("undo, run not a number", u"undo --db @journal --run x"_s, undo);
        refused("undo, unknown run", u"undo --db @journal --run 7"_s,
                u"There is no run 7 in the catalogue; nothing was changed."_s, true);
        refused("undo, run already undone", u"undo --db @journal --run 1"_s,
                u"Run 1 was already undone by run 2; nothing was changed."_s, true);
        refused("undo trial, run already undone", u"undo --db @journal --run 1 --dry-run"_s,
                u"already undone"_s, true);
        refused("undo, missing catalogue", u"undo --db @dir/none.mde --run 1"_s, undo);
        refused("history, unknown run", u"history --db @journal --run 9"_s, u"there is no run 9"_s,
                true);
        const QString share = u"tovin-catalog share: "_s;
        refused("share without --to", u"share --db @journal"_s, u"--to CATALOGUE is required"_s);
        refused("share without a catalogue", u"share --to @dir/new.mde"_s,
                u"--db CATALOGUE (or --from CATALOGUE) is required"_s);
        refused("share from both --db and --from",
                u"share --db @journal --from @dir/existing.mde --to @dir/new.mde"_s,
                u"give the catalogue to copy once, with --db or with --from"_s);
        refused("share of a missing catalogue", u"share --db @dir/none.mde --to @dir/new.mde"_s,
                u"none.mde does not exist; nothing was copied"_s);
        refused("share of a file that is no catalogue",
                u"share --from @dir/notes.txt --to @dir/new.mde"_s, u"is not a catalogue"_s);
        refused("share of an Access file", u"share --db @dir/nwind_jet3.mdb --to @dir/new.mde"_s,
                share, false, u"nwind_jet3.mdb"_s);
        refused("share onto another catalogue", u"share --db @journal --to @dir/existing.mde"_s,
                u"existing.mde already holds a catalogue; it is replaced only when replacing it "
                u"was asked for. Add --replace to replace it."_s,
                true);
        // A catalogue on a server has no file or working files to be open: the refusal says
        // what is wrong in words of its own.
        refused("share onto the catalogue itself", u"share --db @journal --to @journal --replace"_s,
                onServer() ? u"The copy would go onto the catalogue it is made from"_s
                           : u"is the open catalogue"_s,
                true);
        refused("share to a server that cannot be reached",
                u"share --db @journal --to postgresql://shop@/shop?host=@dir/no-socket"_s,
                u"Could not connect to the catalogue server postgresql://shop@/shop"_s, true);
        refused("share onto a folder", u"share --db @journal --to @dir"_s, u"is a folder"_s, true);
        refused("share, unknown option", u"share --db @journal --to @dir/new.mde --all"_s, share);
        // A source that is no plain file, or the catalogue itself, is read no further than its
        // name.
        const QString notPlain = u"is not a plain file"_s;
        refused("import from a device",
                u"import --db @dir/existing.mde --source /dev/null --divider comma --map 0=2"_s,
                u"the file /dev/null "_s + notPlain);
        refused("supplier file from a named pipe",
                u"import --db @dir/existing.mde --supplier-file white --source @dir/pipe"_s,
                notPlain);
        refused("a device, with a table named",
                u"import --db @dir/existing.mde --source /dev/zero --table Products"_s, notPlain);
        const QString itself = u"existing.mde is the catalogue the products would go into (or "
                               u"one of its working files), not a source to import from; nothing "
                               u"was imported."_s;
        refused("import from the catalogue itself",
                u"import --db @dir/existing.mde --source @dir/existing.mde --divider comma "
                u"--map 0=2"_s,
                itself);
        refused("import from the catalogue, spelt otherwise",
                u"import --db @dir/existing.mde --source @dir/./existing.mde --map 0=2"_s, itself);
        refused("import of the catalogue as an Access table",
                u"import --db @dir/existing.mde --source @dir/existing.mde --table Products"_s,
                itself);
        // The import could not read a file with these dividers back.
        refused("export with a quote as divider",
                u"export --db @demo --out @dir/out.txt --columns 2,3 --divider \""_s,
                u"could not be read back"_s);
    }
    void moreRefusalsAreToldAndWriteNothing() { refusalsAreToldAndWriteNothing(); }
};

QTEST_GUILESS_MAIN(CliCommandsTest)
#include "tst_cli_commands.moc"
