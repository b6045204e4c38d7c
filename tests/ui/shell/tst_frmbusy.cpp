#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/ProgramFolder.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/FrmBusy.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// Save DataBase As: the busy screen asks for a file and copies the catalogue into it.
class FrmBusyTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;

    QWidget m_owner;

    static int productCount(CatalogueDatabase& db) {
        return db.scalar(u"SELECT count(*) FROM Products"_s).toInt();
    }
    static QString addedName(CatalogueDatabase& db) {
        return db.scalar(u"SELECT ProdName FROM Products WHERE StockNo = ?"_s, {u"NEW-1"_s})
            .toString();
    }
    bool busyScreenGone() { return !m_owner.findChild<FrmBusy*>(); }

private slots:
    // The copy holds what a screen has just written, under the name chosen (a bare name gets
    // the catalogue's extension); the dialog starts in the catalogue's folder.
    void copiesAnOpenCatalogue_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("existing"); // an older catalogue is at the written name
        QTest::newRow("access name") << u"copy.mdb"_s << u"copy.mdb"_s << false;
        QTest::newRow("bare name") << u"backup1"_s << u"backup1.mde"_s << false;
        // The dialog asked about "backup1", not about the file that is replaced.
        QTest::newRow("bare name of an older copy") << u"backup1"_s << u"backup1.mde"_s << true;
    }
    void copiesAnOpenCatalogue() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(bool, existing);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        test::ScriptedPrompts prompts(m_promptsInUse);
        // A screen holds the catalogue open and has just written to it: the row sits in the
        // write-ahead log, not yet in the main file.
        CatalogueDatabase open(folder.cataloguePath());
        open.run(u"INSERT INTO Products (StockNo, ProdName) VALUES (?, ?)"_s,
                 {u"NEW-1"_s, u"Added while open"_s});
        const int rows = productCount(open);
        const QString target = folder.filePath(written);
        prompts.answerSaveFile(folder.filePath(chosen));
        if (existing) {
            CatalogueDatabase::create(target);
            prompts.answerMessage(MessageAnswer::Yes);
        }
        QCOMPARE(FrmBusy::run(m_promptsInUse, &m_owner, folder.cataloguePath()), target);
        QCOMPARE(prompts.unanswered(), 0);
        if (existing) {
            QCOMPARE(prompts.shown().last().text, u"Replace backup1.mde?"_s);
            QCOMPARE(prompts.shown().last().defaultButton, MessageDefault::Second);
        }
        const FileDialogRequest& request = prompts.shown().first().request;
        QCOMPARE(request.filter, u"DataBases|*.mde;*.mdb;*.accdb"_s);
        QCOMPARE(QDir(request.folder), QDir(folder.path()));
        // The screen is closed (not yet destroyed) and still tells what it did.
        auto* busy = m_owner.findChild<FrmBusy*>();
        QVERIFY(busy);
        QVERIFY(!busy->isVisible());
        QCOMPARE(test::control<QLabel>(busy, u"Label1"_s)->text(),
                 u"Saving File: "_s + folder.cataloguePath() + u" as: "_s + target +
                     u"\nPlease Wait... This Could Take A few Minutes"_s);
        QTRY_VERIFY(busyScreenGone());
        QVERIFY(!QApplication::overrideCursor());
        CatalogueDatabase copy(target);
        QCOMPARE(productCount(copy), rows);
        QCOMPARE(addedName(copy), u"Added while open"_s);
    }

    // Closing the screen while it copies is refused until the copy is done; the copy is whole
    // and nothing is reported as failed.
    void closingWhileCopyingWaitsForTheCopy() {
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        test::ScriptedPrompts prompts(m_promptsInUse);
        const QString target = folder.filePath(u"copy.mde"_s);
        prompts.answerSaveFile(target);
        int refused = 0;
        int tried = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* busy = m_owner.findChild<FrmBusy*>();
            if (!busy || !busy->isVisible())
                return;
            ++tried;
            if (!busy->close())
                ++refused;
        });
        closer.start(0);
        QCOMPARE(FrmBusy::run(m_promptsInUse, &m_owner, folder.cataloguePath()), target);
        closer.stop();
        QVERIFY(tried > 0);
        QCOMPARE(refused, tried);
        QCOMPARE(prompts.shown().size(), 1); // the dialog only: no failure notice
        QTRY_VERIFY(busyScreenGone());
        CatalogueDatabase copy(target);
        CatalogueDatabase original(folder.cataloguePath());
        QCOMPARE(productCount(copy), productCount(original));
    }

    // Cancelling, or a copy that fails, leaves every file as it was; a failure is reported. A
    // catalogue on a server has no folder of its own: the dialog starts in the program folder,
    // and a server that cannot be reached is told, never passed for a copy.
    void nothingSaved_data() {
        QTest::addColumn<QString>("target"); // relative to the program folder; "" cancels
        QTest::newRow("cancelled") << QString();
        QTest::newRow("a server out of reach") << u"<server>copy.mde"_s;
        QTest::newRow("missing folder") << u"no/such/folder/copy.mdb"_s;
        QTest::newRow("onto itself") << u"tovin2003-a.mde"_s;
        // Another path to the open file: its live -wal and -shm must stay.
        QTest::newRow("onto itself through a linked folder") << u"<link>/tovin2003-a.mde"_s;
        QTest::newRow("older copy kept") << u"<older>backup1"_s;
        // A catalogue opened before the current one, which a screen still writes to.
        QTest::newRow("onto another open catalogue") << u"<open>earlier.mde"_s;
    }
    void nothingSaved() {
        QFETCH(QString, target);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        test::ScriptedPrompts prompts(m_promptsInUse);
        QTemporaryDir elsewhere;
        const QString link = elsewhere.path() + u"/link"_s;
        QVERIFY(QFile::link(QDir(folder.path()).absolutePath(), link));
        QString path = target.isEmpty() ? QString() : folder.filePath(target);
        if (target.startsWith(u"<link>"_s))
            path = link + target.mid(6);
        const bool older = target.startsWith(u"<older>"_s);
        if (older) {
            path = folder.filePath(target.mid(7));
            test::writeFile(path + u".mde"_s, "older copy");
        }
        const bool server = target.startsWith(u"<server>"_s);
        if (server)
            path = folder.filePath(target.mid(8));
        std::unique_ptr<CatalogueDatabase> other;
        if (target.startsWith(u"<open>"_s)) {
            path = folder.filePath(target.mid(6));
            CatalogueDatabase::create(path);
            other = std::make_unique<CatalogueDatabase>(path);
            other->run(u"INSERT INTO Products (StockNo) VALUES ('EARLIER-1')"_s);
        }
        // A screen holds the catalogue open with a row not yet in the main file.
        CatalogueDatabase open(folder.cataloguePath());
        open.run(u"INSERT INTO Products (StockNo, ProdName) VALUES (?, ?)"_s,
                 {u"NEW-1"_s, u"Added while open"_s});
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        QVERIFY(files.contains(u"tovin2003-a.mde-wal"_s));
        prompts.answerSaveFile(path);
        if (!path.isEmpty())
            prompts.answerMessage(older ? MessageAnswer::No : MessageAnswer::Ok);
        const QString source = server
                                   ? u"postgresql://anna@/shop?host=%2Fnonexistent%2Ftovin-socket"_s
                                   : folder.cataloguePath();
        QCOMPARE(FrmBusy::run(m_promptsInUse, &m_owner, source), QString());
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(QDir(prompts.shown().first().request.folder), QDir(ProgramFolder::path()));
        QCOMPARE(prompts.shown().size(), path.isEmpty() ? 1 : 2);
        const auto& shown = prompts.shown().last();
        if (older)
            QCOMPARE(shown.text, u"Replace backup1.mde?"_s);
        else if (!path.isEmpty()) {
            QVERIFY2(shown.text.startsWith(u"The catalogue was not saved as "_s + path),
                     qPrintable(shown.text));
            QCOMPARE(shown.icon, MessageIcon::Exclamation);
        }
        QTRY_VERIFY(busyScreenGone());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), files);
        QVERIFY(!QFileInfo::exists(folder.filePath(u"no"_s)));
        if (older)
            QCOMPARE(test::readFile(path + u".mde"_s), "older copy"_ba);
        if (other)
            QCOMPARE(CatalogueDatabase(path).scalar(u"SELECT count(*) FROM Products"_s).toInt(), 1);
        CatalogueDatabase reopened(folder.cataloguePath());
        QCOMPARE(addedName(reopened), u"Added while open"_s);
        QCOMPARE(productCount(reopened), productCount(open));
    }
};

QTEST_MAIN(FrmBusyTest)
#include "tst_frmbusy.moc"
