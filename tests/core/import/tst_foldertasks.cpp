#include "core/base/RunTimeError.h"
#include "core/import/DeleteRecords.h"
#include "core/import/FolderImport.h"
#include "core/import/ImportMessages.h"
#include "core/import/PicturePathChange.h"
#include "core/storage/CatalogueFailure.h"
#include "support/core/RefusingTrigger.h"
#include "support/core/TestCatalogue.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestServer.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::TestCatalogue;
namespace PC = CatalogueSchema::ProductsColumn;
using Choice = PicturePathChange::Choice;

Q_DECLARE_METATYPE(tovin::PicturePathChange::Choice)

namespace {

void touch(const QString& folder, const QStringList& names) {
    for (const QString& name : names)
        test::writeFile(folder + u"/"_s + name, "x");
}

} // namespace

class FolderTasksTest : public QObject {
    Q_OBJECT
private slots:
    void folderImport_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QStringList>("stockNumbers"); // every product afterwards, in order
        QTest::addColumn<QString>("totals");
        QTest::newRow("A1 exists, B2 is new")
            << QStringList{u"A1.jpg"_s, u"B2.jpg"_s, u"readme.txt"_s} << u"B2.jpg"_s << u"n"_s
            << QStringList{u"A1"_s, u"B2"_s} << u"Searched: 2   Found New: 1  Edited: 1"_s;
        QTest::newRow("text files")
            << QStringList{u"notes.txt"_s, u"a.txt"_s, u"b.TXT"_s, u"c.jpg"_s} << u"notes.txt"_s
            << QString() << QStringList{u"a"_s, u"A1"_s, u"b"_s, u"notes"_s}
            << u"Searched: 3   Found New: 3  Edited: 0"_s;
        QTest::newRow("upper-case extension chosen")
            << QStringList{u"A1.JPG"_s, u"Z9.jpg"_s} << u"A1.JPG"_s << QString()
            << QStringList{u"A1"_s, u"Z9"_s} << u"Searched: 2   Found New: 1  Edited: 1"_s;
    }
    void folderImport() {
        QFETCH(QStringList, files);
        QFETCH(QString, chosen);
        QFETCH(QString, note);
        QFETCH(QStringList, stockNumbers);
        QFETCH(QString, totals);
        TestCatalogue catalogue;
        catalogue.add(
            1, u"A1"_s,
            {{PC::ProdName, u"Brass Lamp"_s}, {PC::Retail, 12.5}, {PC::Picture, u"old/A1.jpg"_s}});
        const QString folder = catalogue.folder() + u"/pictures"_s;
        touch(folder, files);

        FolderImport import;
        QVERIFY(import.chooseFile(folder + u"/"_s + chosen));
        QCOMPARE(import.noteDefault(QDate(2026, 5, 1)),
                 u"05/01/26 Updated From Folder: "_s + folder);
        import.setNote(note);
        const ImportOutcome outcome = import.run(catalogue.db());
        QCOMPARE(outcome.totals, totals);
        QStringList stored;
        StorageStatement& rows =
            catalogue.db().run(u"SELECT StockNo FROM Products ORDER BY "_s +
                               catalogue.db().dialect().textOrder(u"StockNo"_s));
        while (rows.next())
            stored << rows.text(0);
        QCOMPARE(stored.join(u','), stockNumbers.join(u','));
        // The existing product keeps its name and price; its picture now lives in the folder.
        QCOMPARE(catalogue.text(u"A1"_s, u"ProdName"_s), u"Brass Lamp"_s);
        QCOMPARE(catalogue.text(u"A1"_s, u"Retail"_s), u"12.5"_s);
        const bool a1InFolder = files.contains(u"A1.jpg"_s, Qt::CaseInsensitive);
        if (a1InFolder)
            QVERIFY(catalogue.text(u"A1"_s, u"Picture"_s).startsWith(folder + u"/A1."_s));
        // New products: named after the kind of file, retail 0, picture in the folder, and a
        // note only when there is one.
        const QString added = stockNumbers.last();
        QCOMPARE(catalogue.text(added, u"ProdName"_s),
                 chosen.endsWith(u".txt"_s) ? u"New Text File"_s : u"New JPG Picture"_s);
        QCOMPARE(catalogue.text(added, u"Retail"_s), u"0"_s);
        QVERIFY(catalogue.text(added, u"Picture"_s).startsWith(folder + u"/"_s + added + u"."_s));
        QCOMPARE(catalogue.text(added, u"Notes"_s),
                 note.isEmpty() ? QString() : note + u" - Added This Item\r\n"_s);
        if (a1InFolder)
            QCOMPARE(catalogue.text(u"A1"_s, u"Notes"_s),
                     note.isEmpty() ? QString() : note + u" - Edited This Item\r\n"_s);
    }

    void folderImportDetails() {
        TestCatalogue catalogue;
        catalogue.add(40000, u"HIGH"_s);
        catalogue.add(2, u"A1"_s); // no name yet
        const QString folder = catalogue.folder() + u"/pics"_s;
        touch(folder, {u"A1.gif"_s, u"B2.gif"_s, u"C3.gif"_s});
        FolderImport import;
        QVERIFY(!import.chooseFile(QString()));
        QVERIFY(import.chooseFile(folder + u"/C3.gif"_s));
        QCOMPARE(import.newItemName(), u"New GIF Picture"_s);
        QStringList statuses;
        const ImportOutcome outcome = import.run(catalogue.db(), [&](const ImportProgress& p) {
            statuses.append(p.status);
            return p.value < 1;
        });
        // Stopped after the second file.
        QVERIFY(outcome.cancelled);
        QCOMPARE(statuses, (QStringList{u"Searching: 0 of 3  Found New: 0  Edited: 1"_s,
                                        u"Searching: 1 of 3  Found New: 1  Edited: 1"_s}));
        QCOMPARE(outcome.totals, u"Searched: 1   Found New: 1  Edited: 1"_s);
        QCOMPARE(catalogue.text(u"A1"_s, u"ProdName"_s), u"New GIF Picture"_s);
        QCOMPARE(catalogue.pid(u"B2"_s), 40001);
        QCOMPARE(catalogue.count(u"StockNo = 'C3'"_s), 0);
    }

    void picturePaths_data() {
        QTest::addColumn<QString>("address"); // empty: a folder
        QTest::addColumn<QString>("type");
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QString>("a1Picture"); // "@" stands for the folder
        QTest::newRow("address with trailing slash")
            << u"http://shop.example.com/pics/"_s << u".gif"_s << Choice::Ok
            << u"http://shop.example.com/pics/A1.gif"_s;
        QTest::newRow("address without slash")
            << u"ftp://files.example.com/jpg"_s << u".JPG"_s << Choice::Ok
            << u"ftp://files.example.com/jpg/A1.JPG"_s;
        QTest::newRow("not a picture type") << u"http://shop.example.com"_s << u".png"_s
                                            << Choice::InvalidExtension << u"old.jpg"_s;
        QTest::newRow("type without period")
            << u"http://shop.example.com"_s << u"jpg"_s << Choice::InvalidExtension << u"old.jpg"_s;
        QTest::newRow("empty type ends")
            << u"http://shop.example.com"_s << QString() << Choice::Ended << u"old.jpg"_s;
        QTest::newRow("folder") << QString() << u"x.bmp"_s << Choice::Ok << u"@/A1.bmp"_s;
    }
    void picturePaths() {
        QFETCH(QString, address);
        QFETCH(QString, type);
        QFETCH(Choice, choice);
        QFETCH(QString, a1Picture);
        TestCatalogue catalogue;
        catalogue.add(1, u"A1"_s, {{PC::Picture, u"old.jpg"_s}});
        catalogue.add(2, u"B2"_s, {{PC::Picture, u"old.jpg"_s}, {PC::Notes, u"kept\r\n"_s}});
        const QString folder = catalogue.folder() + u"/art"_s;
        PicturePathChange change;
        const Choice got = address.isEmpty() ? change.useFolderOf(folder + u"/"_s + type)
                                             : change.useInternetAddress(address, type);
        QCOMPARE(got, choice);
        if (choice == Choice::Ok) {
            change.setNote(u"05/01/26 Updated Picture Path"_s);
            QCOMPARE(change.run(catalogue.db()).totals, u"Total Records Changed Was: 2"_s);
            QCOMPARE(catalogue.text(u"B2"_s, u"Notes"_s),
                     u"kept\r\n05/01/26 Updated Picture Path\r\n"_s);
        }
        QCOMPARE(catalogue.text(u"A1"_s, u"Picture"_s), a1Picture.replace(u"@"_s, folder));
    }

    // A row the catalogue refuses is named and passed over; the rows after it are written. A
    // catalogue that cannot be written stops the task with a plain message.
    void refusedRowsArePassedOver_data() {
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("refused"); // the statement refused for B2
        QTest::newRow("folder import, new item") << u"folder"_s << u"INSERT"_s;
        QTest::newRow("folder import, found item") << u"folder"_s << u"UPDATE"_s;
        QTest::newRow("picture paths") << u"pictures"_s << u"UPDATE"_s;
        QTest::newRow("delete") << u"delete"_s << u"DELETE"_s;
    }
    void refusedRowsArePassedOver() {
        QFETCH(QString, task);
        QFETCH(QString, refused);
        TestCatalogue catalogue;
        const QStringList names{u"A1"_s, u"B2"_s, u"C3"_s, u"D4"_s};
        for (int i = 0; i < names.size(); ++i)
            if (refused != u"INSERT"_s)
                catalogue.add(i + 1, names.at(i));
        const QString row = refused == u"INSERT"_s ? u"new"_s : u"old"_s;
        test::addRefusingTrigger(catalogue.db(), refused + u" ON Products"_s, u"no"_s,
                                 row + u".StockNo = 'B2'"_s);
        const QString folder = catalogue.folder() + u"/pictures"_s;
        touch(folder, {u"A1.jpg"_s, u"B2.jpg"_s, u"C3.jpg"_s, u"D4.jpg"_s});
        QStringList errors;
        const auto collect = [&](const RunTimeError& e) { errors << e.description(); };
        ImportOutcome outcome;
        if (task == u"folder"_s) {
            FolderImport import;
            QVERIFY(import.chooseFile(folder + u"/A1.jpg"_s));
            import.setErrorHandler(collect);
            import.setCommitEvery(2);
            outcome = import.run(catalogue.db());
            QCOMPARE(outcome.counts.added + outcome.counts.edited, 3);
            QCOMPARE(catalogue.count(
                         catalogue.db().dialect().likeIgnoringCase(u"Picture"_s, u"'%.jpg'"_s)),
                     3);
        } else if (task == u"pictures"_s) {
            PicturePathChange change;
            QCOMPARE(change.useFolderOf(folder + u"/A1.jpg"_s), Choice::Ok);
            change.setErrorHandler(collect);
            change.setCommitEvery(2);
            outcome = change.run(catalogue.db());
            QCOMPARE(outcome.counts.edited, 3);
            QCOMPARE(catalogue.count(
                         catalogue.db().dialect().likeIgnoringCase(u"Picture"_s, u"'%.jpg'"_s)),
                     3);
        } else {
            DeleteRecords remove;
            remove.setErrorHandler(collect);
            remove.setCommitEvery(2);
            outcome = remove.run(catalogue.db());
            QCOMPARE(outcome.counts.deleted, 3);
            QCOMPARE(catalogue.count(), 1);
        }
        QCOMPARE(outcome.errors, 1);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains(u"the catalogue refused it (no)"_s),
                 qPrintable(errors.first()));
    }

    void deleteRecords_data() {
        QTest::addColumn<QString>("searchWhere");
        QTest::addColumn<int>("stopAfter");  // 0: never
        QTest::addColumn<QString>("totals"); // empty: refused
        QTest::addColumn<qint64>("left");
        QTest::newRow("active search of three")
            << u"[Catagory] = 3"_s << 0 << u"Deleted A Total Of  3  Records"_s << qint64(2);
        QTest::newRow("no search: all")
            << QString() << 0 << u"Deleted A Total Of  5  Records"_s << qint64(0);
        QTest::newRow("like search")
            << u"[StockNo] like 'K*'"_s << 0 << u"Deleted A Total Of  2  Records"_s << qint64(3);
        QTest::newRow("OK after the first row")
            << QString() << 1 << u"Deleted A Total Of  1  Records"_s << qint64(4);
        QTest::newRow("unusable search deletes nothing")
            << u"[Colour] = 'red'"_s << 0 << QString() << qint64(5);
    }
    void deleteRecords() {
        QFETCH(QString, searchWhere);
        QFETCH(int, stopAfter);
        QFETCH(QString, totals);
        QFETCH(qint64, left);
        TestCatalogue catalogue;
        int pid = 0;
        for (const auto& [stock, category] :
             {std::pair{u"K1"_s, 3}, {u"K2"_s, 1}, {u"L3"_s, 3}, {u"L4"_s, 3}, {u"L5"_s, 2}})
            catalogue.add(++pid, stock, {{PC::Catagory, category}});
        DeleteRecords task(searchWhere);
        const auto run = [&] {
            return task
                .run(catalogue.db(),
                     [&](const ImportProgress& p) { return stopAfter == 0 || p.value < stopAfter; })
                .totals;
        };
        if (totals.isEmpty())
            QVERIFY_THROWS_EXCEPTION(RunTimeError, run());
        else
            QCOMPARE(run(), totals);
        QCOMPARE(catalogue.count(), left);
    }

    // A picture-path change or a delete that ends part way (here the catalogue failing after
    // the fourth row, past two batches of two) leaves every product as it was: run again, it
    // would add its note twice or count the rows again.
    void runEndingPartWayChangesNothing_data() {
        QTest::addColumn<QString>("task");
        QTest::addColumn<QString>("unchanged"); // the products still as they were
        QTest::newRow("picture paths")
            << u"pictures"_s << u"Picture = 'old.jpg' AND Notes IS NULL"_s;
        QTest::newRow("delete all") << u"delete"_s << QString();
    }
    void runEndingPartWayChangesNothing() {
        QFETCH(QString, task);
        QFETCH(QString, unchanged);
        constexpr int Products = 6;
        TestCatalogue catalogue;
        for (int pid = 1; pid <= Products; ++pid)
            catalogue.add(pid, u"P%1"_s.arg(pid), {{PC::Picture, u"old.jpg"_s}});
        const auto failAtFourth = [](const ImportProgress& progress) {
            if (progress.value == 4)
                throw CatalogueFailure(ErrorNumber::DatabaseRefused, u"The disk is full"_s);
            return true;
        };
        if (task == u"pictures"_s) {
            PicturePathChange change;
            QCOMPARE(change.useFolderOf(catalogue.folder() + u"/art/x.jpg"_s), Choice::Ok);
            change.setNote(u"new path"_s);
            change.setCommitEvery(2);
            QVERIFY_THROWS_EXCEPTION(CatalogueFailure, change.run(catalogue.db(), failAtFourth));
        } else {
            DeleteRecords remove{QString()};
            remove.setCommitEvery(2);
            QVERIFY_THROWS_EXCEPTION(CatalogueFailure, remove.run(catalogue.db(), failAtFourth));
        }
        QCOMPARE(catalogue.count(unchanged), qint64(Products));
    }

    // The counts of changed paths and of deleted rows go on past 32767 to the last row. Paths
    // changed without a note leave the notes alone.
    void countsGoPast32767_data() {
        QTest::addColumn<bool>("deleting");
        QTest::newRow("picture paths") << false;
        QTest::newRow("delete all") << true;
    }
    void countsGoPast32767() {
        QFETCH(bool, deleting);
        constexpr int Products = 33000;
        TestCatalogue catalogue;
        catalogue.addNumbered(Products);
        if (deleting) {
            DeleteRecords remove{QString()};
            const ImportOutcome outcome = remove.run(catalogue.db());
            QCOMPARE(outcome.totals, ImportMessages::deleteTotal(Products));
            QVERIFY(outcome.totals.contains(u"33000"_s));
            QCOMPARE(outcome.counts.deleted, Products);
            QCOMPARE(catalogue.count(), qint64(0));
        } else {
            PicturePathChange change;
            QCOMPARE(change.useInternetAddress(u"http://shop.example.com"_s, u".jpg"_s),
                     Choice::Ok);
            QString lastStatus;
            const ImportOutcome outcome = change.run(catalogue.db(), [&](const ImportProgress& p) {
                lastStatus = p.status;
                return true;
            });
            QCOMPARE(lastStatus, u"Changing Paths For: 33000 Records"_s);
            QCOMPARE(outcome.totals, u"Total Records Changed Was: 33000"_s);
            QCOMPARE(outcome.counts.edited, Products);
            QCOMPARE(
                catalogue.count(u"Picture = 'http://shop.example.com/' || StockNo || '.jpg'"_s),
                qint64(Products));
            QCOMPARE(catalogue.count(u"Notes IS NOT NULL"_s), qint64(0));
        }
    }
};

QTEST_GUILESS_MAIN(FolderTasksTest)
#include "tst_foldertasks.moc"
