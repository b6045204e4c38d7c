#include "core/data/CatalogueDatabase.h"
#include "core/shell/SharedState.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/WidgetFinder.h"
#include "ui/shell/FrmBusy.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// Save DataBase As: the busy screen asks for a file and copies the catalogue into it.
class FrmBusyTest : public QObject {
    Q_OBJECT

    QWidget m_owner;

    static int productCount(CatalogueDatabase& db) {
        return db.scalar(u"SELECT count(*) FROM Products"_s).toInt();
    }
    bool busyScreenGone() { return !m_owner.findChild<FrmBusy*>(); }

private slots:
    void copiesAnOpenCatalogue() {
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        test::ScriptedPrompts prompts;
        // A screen holds the catalogue open and has just written to it: the row sits in the
        // write-ahead log, not yet in the main file.
        CatalogueDatabase open(folder.cataloguePath());
        open.run(u"INSERT INTO Products (StockNo, ProdName) VALUES (?, ?)"_s,
                 {u"NEW-1"_s, u"Added while open"_s});
        const int rows = productCount(open);
        const QString target = folder.filePath(u"copy.mdb"_s);
        prompts.answerSaveFile(target);
        FrmBusy::run(&m_owner);
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
        QCOMPARE(copy.scalar(u"SELECT ProdName FROM Products WHERE StockNo = ?"_s, {u"NEW-1"_s})
                     .toString(),
                 u"Added while open"_s);
        QCOMPARE(shared().DBPath, folder.cataloguePath());
    }

    // Cancelling, or a copy that fails, leaves every file as it was; a failure is reported.
    void nothingSaved_data() {
        QTest::addColumn<QString>("target"); // relative to the program folder; "" cancels
        QTest::newRow("cancelled") << QString();
        QTest::newRow("missing folder") << u"no/such/folder/copy.mdb"_s;
        QTest::newRow("onto itself") << u"tovin2003-a.mde"_s;
    }
    void nothingSaved() {
        QFETCH(QString, target);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::Demo);
        test::ScriptedPrompts prompts;
        const QString path = target.isEmpty() ? QString() : folder.filePath(target);
        const QStringList files = QDir(folder.path()).entryList(QDir::Files);
        const qint64 sizeBefore = QFileInfo(folder.cataloguePath()).size();
        prompts.answerSaveFile(path);
        if (!path.isEmpty())
            prompts.answerMessage(MessageAnswer::Ok);
        FrmBusy::run(&m_owner);
        QCOMPARE(prompts.unanswered(), 0);
        const FileDialogRequest& request = prompts.shown().first().request;
        QCOMPARE(request.title, u"Save As"_s);
        QCOMPARE(request.filter, u"DataBase Files (*.mdb)|*.mdb"_s);
        QCOMPARE(prompts.shown().size(), path.isEmpty() ? 1 : 2);
        const auto& shown = prompts.shown().last();
        if (!path.isEmpty()) {
            QVERIFY2(shown.text.startsWith(u"The catalogue was not saved as "_s + path),
                     qPrintable(shown.text));
            QCOMPARE(shown.icon, MessageIcon::Exclamation);
        }
        QTRY_VERIFY(busyScreenGone());
        QCOMPARE(shared().DBPath, folder.cataloguePath());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), files);
        QVERIFY(!QFileInfo::exists(folder.filePath(u"no"_s)));
        CatalogueDatabase original(folder.cataloguePath());
        QVERIFY(productCount(original) > 0);
        QCOMPARE(QFileInfo(folder.cataloguePath()).size(), sizeBefore);
    }
};

QTEST_MAIN(FrmBusyTest)
#include "tst_frmbusy.moc"
