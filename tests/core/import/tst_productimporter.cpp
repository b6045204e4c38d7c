#include "ImportTestCatalogue.h"
#include "core/data/CatalogueFailure.h"
#include "core/import/Divider.h"
#include "core/import/FixedMappings.h"
#include "core/import/ImportItem.h"
#include "core/import/ProductImporter.h"
#include "core/import/TextFile.h"

#include <QTest>
#include <atomic>
#include <future>
#include <thread>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::ImportTestCatalogue;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

// Stock number, name, Cost1, OnSpecial, Catagory.
const FieldMap SimpleMap{
    {0, PC::StockNo}, {1, PC::ProdName}, {2, PC::Cost1}, {3, PC::OnSpecial}, {4, PC::Catagory}};

ImportOptions quietOptions(QList<RunTimeError>* errors = nullptr) {
    ImportOptions options;
    options.today = QDate(2026, 5, 1);
    options.onError = [errors](const RunTimeError& error) {
        if (errors)
            errors->append(error);
    };
    return options;
}

ImportOutcome importLines(ImportTestCatalogue& catalogue, const QByteArray& lines,
                          ImportOptions options, const FieldMap& map = SimpleMap,
                          const Divider& divider = Divider::comma(),
                          const ProgressCallback& progress = {}) {
    return ProductImporter::importText(catalogue.db(), TextFile::decode(lines), 0, divider, map,
                                       std::move(options), progress);
}

QString totals(int checked, int added, int edited) {
    return u"Total Checked: %1   Total Added: %2   Total Edited: %3"_s.arg(checked).arg(added).arg(
        edited);
}

QByteArray numberedLines(int count, int first = 1) {
    QByteArray lines;
    for (int i = first; i < first + count; ++i)
        lines += "N" + QByteArray::number(i) + ",Item " + QByteArray::number(i) + ",1.25\n";
    return lines;
}

} // namespace

class ProductImporterTest : public QObject {
    Q_OBJECT
private slots:
    void recordRules_data() {
        QTest::addColumn<QString>("existingStock");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("editOnly");
        QTest::addColumn<QString>("totals");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::newRow("skipped stock numbers are not counted")
            << QString() << "0,a,1\n99999999,b,2\n,c,3\nK1,d,4\n"_ba << false << totals(1, 1, 0)
            << u"K1"_s << u"Cost1"_s << u"4"_s;
        QTest::newRow("edit only, all new")
            << u"E1"_s << "N1,x,1\nN2,y,2\n"_ba << true << totals(0, 0, 0) << u"N1"_s
            << u"ProdName"_s << QString();
        QTest::newRow("edit only still edits")
            << u"E1"_s << "N1,x,1\nE1,y,2\n"_ba << true << totals(1, 0, 1) << u"E1"_s << u"Cost1"_s
            << u"2"_s;
        QTest::newRow("dollar price becomes 0")
            << QString() << "P1,x,$5\n"_ba << false << totals(1, 1, 0) << u"P1"_s << u"Cost1"_s
            << u"0"_s;
        QTest::newRow("trailing letters cut")
            << QString() << "P1,x,12.50abc\n"_ba << false << totals(1, 1, 0) << u"P1"_s
            << u"Cost1"_s << u"12.5"_s;
        QTest::newRow("5 and 5.00 unchanged") << u"E1"_s << "E1,,5.00\n"_ba << false
                                              << totals(1, 0, 0) << u"E1"_s << u"Cost1"_s << u"5"_s;
        QTest::newRow("stock number in other letter case finds the row")
            << u"E1"_s << "e1,Pen,5\n"_ba << false << totals(1, 0, 1) << u"E1"_s << u"ProdName"_s
            << u"Pen"_s;
        QTest::newRow("same item twice: added, then edited")
            << QString() << "D1,One,1\nD1,Two,1\n"_ba << false << totals(2, 1, 1) << u"D1"_s
            << u"ProdName"_s << u"Two"_s;
        QTest::newRow("apostrophe in stock number")
            << QString() << "O'Brien-7,Chair,3\nO'Brien-7,Chair,4\n"_ba << false << totals(2, 1, 1)
            << u"O'Brien-7"_s << u"Cost1"_s << u"4"_s;
        QTest::newRow("Y is yes, also for an existing row")
            << u"E1"_s << "E1,,,Y\nN1,,,Y\n"_ba << false << totals(2, 1, 1) << u"E1"_s
            << u"OnSpecial"_s << u"True"_s;
        QTest::newRow("True is yes") << QString() << "N1,,,True\n"_ba << false << totals(1, 1, 0)
                                     << u"N1"_s << u"OnSpecial"_s << u"True"_s;
        QTest::newRow("lower-case yes is no")
            << QString() << "N1,,,yes\n"_ba << false << totals(1, 1, 0) << u"N1"_s << u"OnSpecial"_s
            << u"False"_s;
    }
    void recordRules() {
        QFETCH(QString, existingStock);
        QFETCH(QByteArray, lines);
        QFETCH(bool, editOnly);
        QFETCH(QString, totals);
        QFETCH(QString, stock);
        QFETCH(QString, column);
        QFETCH(QString, value);
        ImportTestCatalogue catalogue;
        if (!existingStock.isEmpty())
            catalogue.add(7, existingStock, {{PC::Cost1, 5.0}});
        ImportOptions options = quietOptions();
        options.editOnly = editOnly;
        const ImportOutcome outcome = importLines(catalogue, lines, options);
        QCOMPARE(outcome.totals, totals);
        QCOMPARE(catalogue.text(stock, column), value);
    }

    void notes_data() {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("notes");
        QTest::newRow("added with a note") << false << u"05/01/26 wp-cd.txt"_s << "A1,Pen,5\n"_ba
                                           << u"05/01/26 wp-cd.txt - Added This Item\r\n"_s;
        QTest::newRow("added without a note") << false << QString() << "A1,Pen,5\n"_ba << QString();
        QTest::newRow("edited with a note") << true << u"refresh"_s << "A1,Red Pen,6\n"_ba
                                            << u"old line\r\nrefresh - Edited This Item\r\n"
                                               u"   Changed: ProdName From 'Pen' To 'Red Pen'\r\n"
                                               u"   Changed: Cost1 From '5' To '6'\r\n"_s;
        QTest::newRow("edited without a note: today's date")
            << true << QString() << "A1,Pen,7.5\n"_ba
            << u"old line\r\n05/01/26 - Edited This Item\r\n"
               u"   Changed: Cost1 From '5' To '7.5'\r\n"_s;
        QTest::newRow("unchanged item adds nothing")
            << true << u"refresh"_s << "A1,Pen,5.00\n"_ba << u"old line\r\n"_s;
    }
    void notes() {
        QFETCH(bool, existing);
        QFETCH(QString, note);
        QFETCH(QByteArray, line);
        QFETCH(QString, notes);
        ImportTestCatalogue catalogue;
        if (existing)
            catalogue.add(
                1, u"A1"_s,
                {{PC::ProdName, u"Pen"_s}, {PC::Cost1, 5.0}, {PC::Notes, u"old line\r\n"_s}});
        ImportOptions options = quietOptions();
        options.note = note;
        importLines(catalogue, line, options);
        QCOMPARE(catalogue.text(u"A1"_s, u"Notes"_s), notes);
    }

    void stockFileFields_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("skipDiscontinued");
        QTest::addColumn<qint64>("rows");
        QTest::addColumn<QString>("outStock");
        QTest::newRow("dashes become empty")
            << "S1]Lamp]1]2]3]9.99]Each]-]-]x]N]x]Y"_ba << false << qint64(1) << QString();
        QTest::newRow("second stock field wins")
            << "S1]Lamp]1]2]3]9.99]Each]Low]Back order]x]N]x]Y"_ba << false << qint64(1)
            << u"Back order"_s;
        QTest::newRow("discontinued kept")
            << "S1]Lamp]1]2]3]9.99]Each]-]-]x]Y]x]Y"_ba << false << qint64(1) << QString();
        QTest::newRow("discontinued passed over")
            << "S1]Lamp]1]2]3]9.99]Each]-]-]x]yes]x]Y"_ba << true << qint64(0) << QString();
    }
    void stockFileFields() {
        QFETCH(QByteArray, line);
        QFETCH(bool, skipDiscontinued);
        QFETCH(qint64, rows);
        QFETCH(QString, outStock);
        ImportTestCatalogue catalogue;
        const FixedMappings::SupplierFile stock = FixedMappings::stockFile();
        ImportOptions options = quietOptions();
        options.skipDiscontinued = skipDiscontinued;
        const ImportOutcome outcome =
            importLines(catalogue, line, options, stock.map, stock.divider);
        QCOMPARE(catalogue.count(), rows);
        QCOMPARE(outcome.counts.checked, int(rows));
        if (rows)
            QCOMPARE(catalogue.text(u"S1"_s, u"OutStock"_s), outStock);
    }

    void refusedValueIsReportedAndPassedOver() {
        ImportTestCatalogue catalogue;
        QList<RunTimeError> errors;
        const ImportOutcome outcome =
            importLines(catalogue, "R1,Chair,3,Y,garden\n"_ba, quietOptions(&errors));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().number(), ErrorNumber::TypeMismatch);
        QVERIFY2(errors.first().description().startsWith(u"item R1, column Catagory: "_s),
                 qPrintable(errors.first().description()));
        QCOMPARE(outcome.errors, 1);
        QCOMPARE(catalogue.text(u"R1"_s, u"ProdName"_s), u"Chair"_s);
        QCOMPARE(catalogue.text(u"R1"_s, u"Cost1"_s), u"3"_s);
    }

    // A row the catalogue refuses (here a rule of the shop's own) is passed over and named; the
    // rows after it are written as usual.
    void refusedRowIsPassedOverAndTheRestWritten_data() {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<bool>("existing"); // N25 is in the catalogue before the import
        QTest::newRow("new item refused")
            << u"CREATE TRIGGER refuse BEFORE INSERT ON Products WHEN new.StockNo = 'N25' "
               u"BEGIN SELECT RAISE(ABORT, 'not this one'); END"_s
            << false;
        QTest::newRow("edit refused")
            << u"CREATE TRIGGER refuse BEFORE UPDATE ON Products WHEN old.StockNo = 'N25' "
               u"BEGIN SELECT RAISE(ABORT, 'not this one'); END"_s
            << true;
    }
    void refusedRowIsPassedOverAndTheRestWritten() {
        QFETCH(QString, rule);
        QFETCH(bool, existing);
        ImportTestCatalogue catalogue;
        if (existing)
            catalogue.add(1, u"N25"_s);
        catalogue.db().run(rule);
        QList<RunTimeError> errors;
        ImportOptions options = quietOptions(&errors);
        options.commitEvery = 10;
        importLines(catalogue, numberedLines(60), options);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors.first().description(),
                 u"item N25: the catalogue refused it (not this one)"_s);
        QCOMPARE(catalogue.count(u"ProdName LIKE 'Item %'"_s), 59);
        QCOMPARE(catalogue.text(u"N60"_s, u"ProdName"_s), u"Item 60"_s);
    }

    // When the catalogue itself cannot be written, the import stops with a plain message and
    // keeps the batches finished before.
    void catalogueFailureStopsKeepingFinishedBatches_data() {
        QTest::addColumn<int>("readOnlyFrom"); // item after which writing is refused, -1: locked
        QTest::addColumn<int>("kept");
        QTest::addColumn<QString>("words");
        QTest::newRow("read-only after 25 items") << 25 << 20 << u"read-only"_s;
        QTest::newRow("locked by another program") << -1 << 0 << u"locked"_s;
    }
    void catalogueFailureStopsKeepingFinishedBatches() {
        QFETCH(int, readOnlyFrom);
        QFETCH(int, kept);
        QFETCH(QString, words);
        ImportTestCatalogue catalogue;
        catalogue.db().setLockWait(50);
        std::unique_ptr<CatalogueDatabase> other;
        std::unique_ptr<ScopedTransaction> lock;
        if (readOnlyFrom < 0) {
            other = std::make_unique<CatalogueDatabase>(catalogue.path());
            lock = std::make_unique<ScopedTransaction>(*other);
        }
        ImportOptions options = quietOptions();
        options.commitEvery = 10;
        const ProgressCallback progress = [&](const ImportProgress& report) {
            if (report.value == readOnlyFrom)
                catalogue.db().run(u"PRAGMA query_only = ON"_s);
            return true;
        };
        QString message;
        try {
            importLines(catalogue, numberedLines(60), options, SimpleMap, Divider::comma(),
                        progress);
        } catch (const CatalogueFailure& failure) {
            message = failure.description();
        }
        QVERIFY2(message.contains(words), qPrintable(message));
        QVERIFY2(!message.contains(u"INSERT"_s), qPrintable(message));
        lock.reset();
        catalogue.db().run(u"PRAGMA query_only = OFF"_s);
        QCOMPARE(catalogue.count(), kept);
    }

    // A lock another program holds for a moment is waited for, with a notice, and the import
    // then writes every item.
    void briefLockIsWaitedFor() {
        ImportTestCatalogue catalogue;
        std::promise<void> locked;
        std::promise<void> release;
        std::thread holder([&, path = catalogue.path()] {
            CatalogueDatabase other(path);
            ScopedTransaction hold(other);
            locked.set_value();
            release.get_future().wait();
            hold.commit();
        });
        locked.get_future().wait();
        std::atomic<int> notices = 0;
        catalogue.db().setLockNotice([&] {
            if (notices++ == 0)
                release.set_value();
        });
        const ImportOutcome outcome = importLines(catalogue, numberedLines(30), quietOptions());
        holder.join();
        QVERIFY(notices >= 1);
        QCOMPARE(outcome.counts.added, 30);
        QCOMPARE(catalogue.count(), 30);
    }

    // New keys pass the 16-bit range; the counters shown stop at 32767.
    void keysAndCountersPast32767() {
        ImportTestCatalogue catalogue;
        catalogue.add(32767, u"LAST"_s);
        catalogue.add(5, u"EARLY"_s);
        importLines(catalogue, numberedLines(3), quietOptions());
        QCOMPARE(catalogue.pid(u"N1"_s), 32768);
        QCOMPARE(catalogue.pid(u"N3"_s), 32770);

        ImportTestCatalogue big;
        const ImportOutcome outcome = importLines(big, numberedLines(33000), quietOptions());
        QCOMPARE(outcome.totals, totals(32767, 32767, 0));
        QCOMPARE(big.count(), 33000);
        QCOMPARE(big.pid(u"N33000"_s), 33000);
        QCOMPARE(big.count(u"PID <> rowid"_s), 0);
    }

    void progressAndCancel() {
        ImportTestCatalogue catalogue;
        QStringList statuses;
        ImportOptions options = quietOptions();
        options.commitEvery = 2;
        const ImportOutcome outcome =
            importLines(catalogue, numberedLines(20), options, SimpleMap, Divider::comma(),
                        [&](const ImportProgress& progress) {
                            statuses.append(progress.status);
                            return progress.value < 5;
                        });
        QVERIFY(outcome.cancelled);
        QCOMPARE(statuses.size(), 5);
        QCOMPARE(statuses.last(), u"Adding Product ID # N5   Checked: 5   New: 5   Edited: 0"_s);
        QCOMPARE(outcome.totals, totals(5, 5, 0));
        QCOMPARE(CatalogueDatabase(catalogue.path()).scalar(u"SELECT count(*) FROM Products"_s), 5);
    }

    // A run that dies keeps its finished batches and nothing of the one being written.
    void interruptedRunKeepsFinishedBatches() {
        ImportTestCatalogue catalogue;
        ImportOptions options = quietOptions();
        options.commitEvery = 3;
        QVERIFY_THROWS_EXCEPTION(
            RunTimeError, importLines(catalogue, numberedLines(20), options, SimpleMap,
                                      Divider::comma(), [](const ImportProgress& progress) {
                                          if (progress.value == 7)
                                              throw RunTimeError(ErrorNumber::DatabaseRefused,
                                                                 u"disk full"_s);
                                          return true;
                                      }));
        QCOMPARE(catalogue.count(), 6);
        QCOMPARE(catalogue.db().scalar(u"PRAGMA integrity_check"_s).toString(), u"ok"_s);
        importLines(catalogue, numberedLines(1, 100), quietOptions());
        QCOMPARE(catalogue.pid(u"N100"_s), 7);
    }
};

QTEST_GUILESS_MAIN(ProductImporterTest)
#include "tst_productimporter.moc"
