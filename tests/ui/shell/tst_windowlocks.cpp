#include "DummyScreen.h"
#include "core/backup/CatalogueBackup.h"
#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/OpenCatalogues.h"
#include "core/files/OutputFile.h"
#include "core/import/TextFileReader.h"
#include "core/shell/TaskScreenHandoff.h"
#include "support/core/CliRun.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "ui/shell/BackupListDialog.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmTip.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::DummyScreen;

namespace {

// The files this process has open that were deleted or replaced under it.
QStringList deletedDescriptors() {
    QStringList deleted;
    const QDir fds(u"/proc/self/fd"_s);
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
        if (target.endsWith(u" (deleted)"_s))
            deleted << target;
    }
    return deleted;
}

} // namespace

// The window and batch commands on one catalogue file, as a shop runs them: whatever the window
// does with files, another program writing and closing afterwards never takes the catalogue's
// journal from under the window, and what the window writes next is in the file for everyone.
// On Linux a plain open and close of the catalogue by the window's process would drop the
// database's locks, and the other program would then delete the journal the window writes to.
class WindowLocksTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    std::unique_ptr<test::TestProgramFolder> m_folder;
    std::unique_ptr<test::ScriptedPrompts> m_prompts;
    // What the window hands its task screens; it outlives the window.
    TaskScreenHandoff m_tasks;
    std::unique_ptr<FrmMain> m_main;

    QString catalogue() const { return m_folder->cataloguePath(); }
    QAction* entry(const QString& name) { return m_main->entry(name); }

    void loadMain() {
        m_main = std::make_unique<FrmMain>(m_folder->catalogue(), m_tasks, m_promptsInUse);
        m_main->setExitHandler([] {});
        m_main->MDIForm_Load();
    }

    // Another program keeping `path` open while it waits for its input.
    static bool holdOpen(QProcess& holder, const QString& path) {
        holder.start(u"sqlite3"_s, {path});
        if (!holder.waitForStarted())
            return false;
        holder.write("SELECT count(*) FROM Products;\n");
        return holder.waitForReadyRead(10000);
    }

    // A second catalogue file beside the first, made by the program.
    QString otherCatalogue() {
        const QString other = m_folder->filePath(u"other.mde"_s);
        if (!QFileInfo::exists(other))
            CatalogueDatabase::create(other);
        return other;
    }

    void act(const QString& action) {
        if (action == u"back up now"_s || action == u"back up now twice"_s) {
            const int times = action.endsWith(u"twice"_s) ? 2 : 1;
            for (int i = 0; i < times; ++i) {
                m_prompts->answerMessage(MessageAnswer::Ok);
                entry(u"mnuFileBackup"_s)->trigger();
            }
        } else if (action == u"daily backup at opening"_s) {
            // The next day, the catalogue is opened again: its daily copy is taken.
            const QDate tomorrow = CatalogueBackup::today().addDays(1);
            CatalogueBackup::setClock([tomorrow] { return tomorrow; });
            m_prompts->answerOpenFile(catalogue());
            entry(u"mnuFileOpen"_s)->trigger();
            CatalogueBackup::setClock({});
        } else if (action == u"save as"_s) {
            m_prompts->answerSaveFile(m_folder->filePath(u"saved copy.mde"_s));
            entry(u"mnuFileSaveAs"_s)->trigger();
        } else if (action == u"open the same file"_s) {
            m_prompts->answerOpenFile(catalogue());
            entry(u"mnuFileOpen"_s)->trigger();
        } else if (action == u"open another file"_s) {
            m_prompts->answerOpenFile(otherCatalogue());
            entry(u"mnuFileOpen"_s)->trigger();
        } else if (action == u"restore list"_s) {
            m_prompts->answerMessage(MessageAnswer::Ok);
            entry(u"mnuFileBackup"_s)->trigger();
            BackupListDialog list(CatalogueBackup::copies(catalogue()), m_main.get());
        } else if (action == u"output over the catalogue"_s) {
            // Refused, and the catalogue is not even read to say so.
            QVERIFY(OutputFile::refusal(catalogue(), OutputRules{catalogue()}));
            QVERIFY(OutputFile::refusal(catalogue() + u"-wal"_s, OutputRules{}));
            QVERIFY_THROWS_EXCEPTION(RunTimeError,
                                     OutputFile::copy(catalogue(), m_folder->filePath(u"x.mde"_s),
                                                      OutputRules{QString(), true, true}));
        } else if (action == u"the catalogue as an import source"_s) {
            QVERIFY_THROWS_EXCEPTION(RunTimeError, TextFileReader{catalogue()});
        } else {
            QFAIL(qPrintable(u"no action "_s + action));
        }
    }

private slots:
    void initTestCase() {
        for (const QString& name : {u"Products"_s, u"frmSupplier"_s, u"Catagory"_s})
            DummyScreen::registerAs(name);
    }
    void init() {
        m_folder = std::make_unique<test::TestProgramFolder>(
            test::TestProgramFolder::Catalogue::Demo, false);
        m_prompts = std::make_unique<test::ScriptedPrompts>(m_promptsInUse);
        DummyScreen::reset();
    }
    void cleanup() {
        m_main.reset();
        QTest::qWait(0);
        QCOMPARE(m_prompts->unanswered(), 0);
        m_prompts.reset();
        m_folder.reset();
    }

    void anotherProgramNeverTakesTheJournalAway_data() {
        QTest::addColumn<QString>("action");
        for (const char* action :
             {"back up now", "back up now twice", "daily backup at opening", "save as",
              "open the same file", "open another file", "restore list",
              "output over the catalogue", "the catalogue as an import source"})
            QTest::newRow(action) << QString::fromLatin1(action);
    }
    void anotherProgramNeverTakesTheJournalAway() {
        QFETCH(QString, action);
        loadMain();
        // A screen's connection, kept open over the action as the screens keep theirs.
        auto screen = std::make_unique<CatalogueDatabase>(catalogue());
        QCOMPARE(screen->scalar(u"SELECT count(*) FROM Products"_s).toInt(), 50);

        act(action);
        QVERIFY2(deletedDescriptors().isEmpty(), qPrintable(deletedDescriptors().join(u", "_s)));

        // Another program writes and ends; it must not be the last one on the file.
        const test::CliRun second =
            test::runProgram({u"bulk-edit"_s, u"--db"_s, catalogue(), u"--where"_s,
                              u"StockNo = 'AB15'"_s, u"--set"_s, u"Retail=43.50"_s});
        QVERIFY2(second.status == 0, qPrintable(second.err));
        QVERIFY2(deletedDescriptors().isEmpty(), qPrintable(deletedDescriptors().join(u", "_s)));

        // What the window writes next is in the file, for a third program to read.
        {
            ScopedTransaction transaction(*screen);
            screen->run(u"UPDATE Products SET Notes = ? WHERE StockNo = 'AB12'"_s,
                        {u"typed in the window"_s});
            transaction.commit();
        }
        QCOMPARE(test::productValue(catalogue(), u"Retail"_s, u"AB15"_s).toLongLong(), 435000);
        const QString exported = m_folder->filePath(u"third.txt"_s);
        const test::CliRun third =
            test::runProgram({u"export"_s, u"--db"_s, catalogue(), u"--out"_s, exported,
                              u"--where"_s, u"StockNo = 'AB12'"_s, u"--columns"_s, u"all"_s});
        QVERIFY2(third.status == 0, qPrintable(third.err));
        QVERIFY(test::fileBytes(exported).contains("typed in the window"));

        // After the window is closed, the file is whole.
        screen.reset();
        m_main.reset();
        QTest::qWait(0);
        QVERIFY(OpenCatalogues::all().isEmpty());
        CatalogueDatabase reopened(catalogue());
        QCOMPARE(reopened.scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
        QCOMPARE(reopened.scalar(u"SELECT Notes FROM Products WHERE StockNo = 'AB12'"_s).toString(),
                 u"typed in the window"_s);
    }

    // File > Restore replaces nothing while the catalogue is still open: by a task of the window
    // itself (told as such), or by another program (told as such); the catalogue stays as it was.
    void restoreFromTheWindowWaitsForNoOne_data() {
        QTest::addColumn<bool>("inThisWindow");
        QTest::addColumn<QString>("told");
        QTest::newRow("a task of the window") << true << u"still open in this window"_s;
        QTest::newRow("another program") << false << u"in use by another program"_s;
    }
    void restoreFromTheWindowWaitsForNoOne() {
        QFETCH(bool, inThisWindow);
        QFETCH(QString, told);
        loadMain();
        m_prompts->answerMessage(MessageAnswer::Ok);
        entry(u"mnuFileBackup"_s)->trigger();
        {
            CatalogueDatabase catalogueNow(catalogue());
            catalogueNow.run(u"DELETE FROM Products WHERE StockNo = 'AB12'"_s);
        }
        std::unique_ptr<CatalogueDatabase> task;
        QProcess other;
        if (inThisWindow)
            task = std::make_unique<CatalogueDatabase>(catalogue());
        else
            QVERIFY(holdOpen(other, catalogue()));
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<BackupListDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* list = dialog->findChild<QTreeWidget*>(u"lstBackups"_s);
            QTest::keyClick(list, Qt::Key_Return);
        });
        m_prompts->answerMessage(MessageAnswer::Yes).answerMessage(MessageAnswer::Ok);
        entry(u"mnuFileRestore"_s)->trigger();
        const QString shown = m_prompts->shownTexts().last();
        QVERIFY2(shown.contains(told), qPrintable(shown));
        if (!inThisWindow) {
            other.closeWriteChannel();
            QVERIFY(other.waitForFinished(10000));
        }
        task.reset();
        m_main.reset();
        QCOMPARE(test::productCount(catalogue(), u"StockNo = 'AB12'"_s), qint64(0));
    }

    // Save As over another catalogue replaces it in place, so programs opening it later see the
    // copy; while another program has it open nothing is written over it and that is told.
    void saveAsOverAnotherCatalogue_data() {
        QTest::addColumn<bool>("heldElsewhere");
        QTest::newRow("nobody has it open") << false;
        QTest::newRow("another program has it open") << true;
    }
    void saveAsOverAnotherCatalogue() {
        QFETCH(bool, heldElsewhere);
        const QString other = otherCatalogue();
        struct stat before {};
        QCOMPARE(::stat(QFile::encodeName(other).constData(), &before), 0);
        loadMain();
        QProcess holder;
        if (heldElsewhere)
            QVERIFY(holdOpen(holder, other));
        m_prompts->answerSaveFile(other);
        if (heldElsewhere)
            m_prompts->answerMessage(MessageAnswer::Ok);
        entry(u"mnuFileSaveAs"_s)->trigger();
        if (heldElsewhere) {
            const QString shown = m_prompts->shownTexts().last();
            QVERIFY2(shown.contains(u"in use by another program"_s), qPrintable(shown));
            holder.closeWriteChannel();
            QVERIFY(holder.waitForFinished(10000));
        }
        m_main.reset();
        struct stat after {};
        QCOMPARE(::stat(QFile::encodeName(other).constData(), &after), 0);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(test::productCount(other), heldElsewhere ? qint64(0) : qint64(50));
    }
};

QTEST_MAIN(WindowLocksTest)
#include "tst_windowlocks.moc"
