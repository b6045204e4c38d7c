// The window's reports on a catalogue on a PostgreSQL server while the server keeps them
// waiting: another program holding the writers' turn, a table another session keeps locked, the
// report's own connection ended by the server. The window answers all the while, the user may
// cancel, and every report ends: made, cancelled or refused with its reason.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/reports/PreparedReport.h"
#include "core/share/CatalogueShare.h"
#include "core/storage/WriterTurn.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/core/TestServer.h"
#include "support/ui/ScreenDriver.h"
#include "ui/reports/ReportsMenu.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;

namespace {

// Where the screens of these tests ask their questions, and the tests' scripts answer them.
PromptsInUse& screenPrompts() {
    static PromptsInUse prompts;
    return prompts;
}

// Plays the user in front of a report: looks at the dialog in front every few milliseconds
// while the report runs, closes the preview once it is there, and hands the progress dialog to
// the test's own step.
class ReportUser {
public:
    std::function<void(QProgressDialog&)> onProgress;
    bool sawProgress = false;
    bool sawPreview = false;
    QString catalogue; // the catalogue the report is made from

    explicit ReportUser(const QString& catalogue) : catalogue(catalogue) {}

    void run(const QString& entry, const QString& file) {
        QTimer look;
        look.setInterval(20);
        QObject::connect(&look, &QTimer::timeout, &look, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* preview = qobject_cast<QPrintPreviewDialog*>(modal)) {
                sawPreview = true;
                preview->reject();
            } else if (auto* progress = qobject_cast<QProgressDialog*>(modal)) {
                sawProgress = true;
                if (onProgress)
                    onProgress(*progress);
            }
        });
        look.start();
        ReportsMenu::ShowReport(screenPrompts(), nullptr, entry, file, catalogue);
    }
};

// The sessions of the catalogue's database that wait for a lock: the report's, kept out.
QString waitingForLock() {
    return u"SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
           u"AND wait_event_type = 'Lock'"_s;
}

} // namespace

class PgReportWaitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        quietenPlatformNotes();
        if (clusterUri().isEmpty())
            QSKIP("No PostgreSQL cluster: run through ctest, which starts one");
        // A wait as long as the test's own limit: a report that waited for the server in the
        // window's thread would hang the test, never pass by running out.
        WriterTurn::setLimitMs(600 * 1000);
    }

    void init() {
        m_folder = std::make_unique<TestProgramFolder>(TestProgramFolder::Catalogue::Demo);
        m_server = std::make_unique<ServerDatabase>();
        CatalogueShare::share(m_folder->cataloguePath(), m_server->uri(), false);
    }

    void cleanup() {
        // A cancelled report runs on until the server lets it; it ends before its database goes.
        QThreadPool::globalInstance()->waitForDone();
        m_server.reset();
        m_folder.reset();
    }

    // Reports only read: another program holding the writers' turn keeps none of them waiting.
    void everyReportWhileAnotherWrites_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("file");
        for (const ReportEntry& entry : reportEntries())
            QTest::newRow(qPrintable(entry.menuName)) << entry.menuName << entry.file;
    }

    void everyReportWhileAnotherWrites() {
        QFETCH(QString, entry);
        QFETCH(QString, file);
        CatalogueDatabase writer(m_server->uri());
        ScopedTransaction turn(writer);
        ScriptedPrompts prompts(screenPrompts());
        ReportUser user(m_server->uri());
        user.run(entry, file);
        QVERIFY(user.sawPreview);
        QVERIFY2(prompts.shown().isEmpty(), qPrintable(prompts.shownTexts().join(u'\n')));
    }

    // The server keeps the report's statement waiting: the window shows it and answers. The
    // user's Cancel, by the button or by Escape on the dialog, ends the report without a preview
    // or a message; the server ending the report's connection ends it with the reason in plain
    // words. Once the server lets it through, the same report is made.
    void reportKeptWaiting_data() {
        QTest::addColumn<QString>("ending"); // cancel, close or server
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("file");
        QTest::newRow("cancel") << u"cancel"_s << u"mnuR6"_s << u"retail.rpt"_s;
        QTest::newRow("close") << u"close"_s << u"mnuR6"_s << u"retail.rpt"_s;
        QTest::newRow("connection ended by the server")
            << u"server"_s << u"mnuR7"_s << u"catagory.rpt"_s;
    }

    void reportKeptWaiting() {
        QFETCH(QString, ending);
        QFETCH(QString, entry);
        QFETCH(QString, file);
        const bool byServer = ending == u"server"_s;
        auto holder = std::make_unique<CatalogueDatabase>(m_server->uri());
        auto held = std::make_unique<ScopedTransaction>(*holder);
        holder->run(u"LOCK TABLE Products IN ACCESS EXCLUSIVE MODE"_s);
        ScriptedPrompts prompts(screenPrompts());
        if (byServer)
            prompts.answerMessage(MessageAnswer::Ok);
        ReportUser user(m_server->uri());
        int globalThreadsBusy = -1;
        int ended = 0;
        user.onProgress = [&](QProgressDialog& progress) {
            if (globalThreadsBusy >= 0 || holder->scalar(waitingForLock()).toInt() == 0)
                return;
            // The waiting report keeps none of the threads Qt's painting waits for: painting may
            // be using one for a moment, but every one comes free while the report waits on.
            QThreadPool* global = QThreadPool::globalInstance();
            globalThreadsBusy = global->waitForDone(5000) ? 0 : global->activeThreadCount();
            if (byServer)
                ended = holder
                            ->scalar(u"SELECT count(pg_terminate_backend(pid)) FROM "
                                     u"pg_stat_activity WHERE datname = current_database() "
                                     u"AND wait_event_type = 'Lock'"_s)
                            .toInt();
            else if (ending == u"close"_s)
                progress.reject();
            else
                progress.cancel();
        };
        user.run(entry, file);
        QVERIFY(user.sawProgress);
        QVERIFY(!user.sawPreview);
        QCOMPARE(globalThreadsBusy, 0);
        if (byServer) {
            QCOMPARE(ended, 1);
            QCOMPARE(prompts.shown().size(), 1);
            const QString shown = prompts.shownTexts().first();
            QVERIFY2(shown.startsWith(u"The report \"%1\" could not be made."_s.arg(file)),
                     qPrintable(shown));
            QVERIFY2(shown.contains(u"connection"_s), qPrintable(shown));
        } else {
            QVERIFY2(prompts.shown().isEmpty(), qPrintable(prompts.shownTexts().join(u'\n')));
        }

        held.reset();
        holder.reset();
        ReportUser again(m_server->uri());
        again.run(entry, file);
        QVERIFY(again.sawPreview);
    }

private:
    std::unique_ptr<TestProgramFolder> m_folder;
    std::unique_ptr<ServerDatabase> m_server;
};

QTEST_MAIN(PgReportWaitTest)
#include "tst_pgreportwait.moc"
