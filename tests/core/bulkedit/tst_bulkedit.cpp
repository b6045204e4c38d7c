#include "../journal/UndoFixtures.h"
#include "core/base/RunTimeError.h"
#include "core/bulkedit/BulkEdit.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/journal/RunUndo.h"
#include "core/storage/CatalogueFailure.h"
#include "core/text/Money.h"
#include "core/text/ValueText.h"
#include "support/core/TestCatalogue.h"

#include <QHash>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using tovin::test::TestCatalogue;
namespace PC = CatalogueSchema::ProductsColumn;

namespace {

// A1: retail 80, price 70, picture .gif, notes; B2: no retail (null), price 9; both named.
void addProducts(TestCatalogue& catalogue) {
    catalogue.add(1, u"A1"_s,
                  {{PC::ProdName, u"Pen"_s},
                   {PC::ProdDesc, u"A pen"_s},
                   {PC::Retail, 80.0},
                   {PC::Price, 70.0},
                   {PC::Cost1, 10.0},
                   {PC::MinOrdW, 6},
                   {PC::Picture, u"old/A1.gif"_s},
                   {PC::Notes, u"first"_s},
                   {PC::Taxable, true}});
    catalogue.add(2, u"B2"_s,
                  {{PC::ProdName, u"Cup"_s},
                   {PC::ProdDesc, u"A cup"_s},
                   {PC::Retail, QVariant()},
                   {PC::Price, 9.0},
                   {PC::MinOrdW, 2},
                   {PC::Taxable, true}});
}

// Every product's stored value of a column, by key.
QHash<qint64, QVariant> storedValues(CatalogueDatabase& db, const QString& column) {
    QHash<qint64, QVariant> values;
    const std::unique_ptr<StorageStatement> q =
        db.prepare(u"SELECT PID, "_s + column + u" FROM Products"_s);
    while (q->next())
        values.insert(q->integer(0), q->stored(1));
    return values;
}

// A trigger that refuses any change of the product with that stock number, in the engine's
// own words.
void refuseChangesOf(CatalogueDatabase& db, const QString& stockNumber) {
    if (!test::onServer()) {
        db.run(u"CREATE TRIGGER refuse_one BEFORE UPDATE ON Products WHEN OLD.StockNo = '"_s +
               stockNumber + u"' BEGIN SELECT RAISE(ABORT, 'not this one'); END"_s);
        return;
    }
    db.run(u"CREATE FUNCTION refuse_one() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN IF "
           u"OLD.stockno = '"_s +
           stockNumber + u"' THEN RAISE EXCEPTION 'not this one'; END IF; RETURN NEW; END$$"_s);
    db.run(u"CREATE TRIGGER refuse_one BEFORE UPDATE ON products FOR EACH ROW EXECUTE "
           u"FUNCTION refuse_one()"_s);
}

} // namespace

class BulkEditTest : public QObject {
    Q_OBJECT
private slots:
    void rules_data() {
        QTest::addColumn<QStringList>("edits"); // "Column=value", "!Column" for a flag off
        QTest::addColumn<bool>("includeBlank");
        QTest::addColumn<bool>("clearNotes");
        QTest::addColumn<QStringList>("expected"); // "Stock.Column=value"
        QTest::newRow("nothing touched changes nothing")
            << QStringList{} << false << false
            << QStringList{u"A1.ProdName=Pen"_s, u"B2.Price=9"_s, u"A1.Notes=first"_s};
        QTest::newRow("a blank box is passed over")
            << QStringList{u"ProdName="_s, u"MinOrdW="_s} << false << false
            << QStringList{u"A1.ProdName=Pen"_s, u"A1.MinOrdW=6"_s};
        QTest::newRow("include blank: text empty, number null, description kept")
            << QStringList{u"ProdName="_s, u"MinOrdW="_s, u"ProdDesc="_s} << true << false
            << QStringList{u"A1.ProdName="_s, u"A1.MinOrdW="_s, u"A1.ProdDesc=A pen"_s,
                           u"B2.MinOrdW="_s};
        QTest::newRow("25% off the retail; no retail keeps the price")
            << QStringList{u"Price=25%"_s} << false << false
            << QStringList{u"A1.Price=60"_s, u"B2.Price=9"_s};
        QTest::newRow("retail raised by 10%, a product without retail keeps none")
            << QStringList{u"Retail=10%"_s} << false << false
            << QStringList{u"A1.Retail=88"_s, u"B2.Retail="_s};
        QTest::newRow("price off the retail just raised")
            << QStringList{u"Retail=-50%"_s, u"Price=50%"_s} << false << false
            << QStringList{u"A1.Retail=40"_s, u"A1.Price=20"_s};
        QTest::newRow("price off a retail typed as a plain number")
            << QStringList{u"Retail=20"_s, u"Price=10%"_s} << false << false
            << QStringList{u"A1.Price=18"_s, u"B2.Price=18"_s};
        QTest::newRow("money from a percentage is rounded to the cent")
            << QStringList{u"Cost1=1.23%"_s, u"Price=12.345%"_s} << false << false
            << QStringList{u"A1.Cost1=10.12"_s, u"A1.Price=70.12"_s};
        QTest::newRow("a retail raised by a percentage is rounded before the price is taken off")
            << QStringList{u"Retail=0.0123%"_s, u"Price=50%"_s} << false << false
            << QStringList{u"A1.Retail=80.01"_s, u"A1.Price=40"_s};
        QTest::newRow("half a cent goes to the even cent")
            << QStringList{u"Cost1=0.05%"_s} << false << false << QStringList{u"A1.Cost1=10"_s};
        QTest::newRow("half a cent up to the even cent")
            << QStringList{u"Cost1=0.15%"_s} << false << false << QStringList{u"A1.Cost1=10.02"_s};
        QTest::newRow("plain number")
            << QStringList{u"Cost1=4.25"_s, u"MinOrdW=12"_s} << false << false
            << QStringList{u"B2.Cost1=4.25"_s, u"A1.MinOrdW=12"_s};
        QTest::newRow("thousands separators")
            << QStringList{u"Cost1=1,234.5"_s, u"Retail=1,000%"_s} << false << false
            << QStringList{u"B2.Cost1=1234.5"_s, u"A1.Retail=880"_s};
        QTest::newRow("yes/no words")
            << QStringList{u"OnSpecial=y"_s, u"Taxable=0"_s} << false << false
            << QStringList{u"B2.OnSpecial=True"_s, u"A1.Taxable=False"_s};
        QTest::newRow("notes appended after a line break or started")
            << QStringList{u"Notes=sale"_s} << false << false
            << QStringList{u"A1.Notes=first\r\nsale"_s, u"B2.Notes=sale"_s};
        QTest::newRow("clear notes puts the text in their place")
            << QStringList{u"Notes=sale"_s} << false << true
            << QStringList{u"A1.Notes=sale"_s, u"B2.Notes=sale"_s};
        QTest::newRow("clear notes with an empty box empties them")
            << QStringList{} << false << true << QStringList{u"A1.Notes="_s};
        QTest::newRow("picture folder with the first product's extension for all")
            << QStringList{u"Picture=/srv/pics"_s} << false << false
            << QStringList{u"A1.Picture=/srv/pics/A1.gif"_s, u"B2.Picture=/srv/pics/B2.gif"_s};
        QTest::newRow("picture address without a doubled slash")
            << QStringList{u"Picture=http://example.com/pics/"_s} << false << false
            << QStringList{u"A1.Picture=http://example.com/pics/A1.gif"_s};
        QTest::newRow("yes/no flag off, and Include Blank writes no into unticked boxes")
            << QStringList{u"!Taxable"_s} << true << false
            << QStringList{u"A1.Taxable=False"_s, u"A1.OnSpecial=False"_s};
        QTest::newRow("flag on") << QStringList{u"OnSpecial=True"_s} << false << false
                                 << QStringList{u"B2.OnSpecial=True"_s, u"A1.Taxable=True"_s};
    }
    void rules() {
        QFETCH(QStringList, edits);
        QFETCH(bool, includeBlank);
        QFETCH(bool, clearNotes);
        QFETCH(QStringList, expected);
        TestCatalogue catalogue;
        addProducts(catalogue);
        BulkEdit edit;
        for (const QString& e : edits) {
            if (e.startsWith(u'!')) {
                edit.setFlag(BulkEdit::columnOf(e.mid(1)), false);
                continue;
            }
            const qsizetype eq = e.indexOf(u'=');
            edit.set(BulkEdit::columnOf(e.left(eq)), e.mid(eq + 1));
        }
        edit.setIncludeBlank(includeBlank);
        edit.setClearNotes(clearNotes);
        if (includeBlank)
            for (int column = 1; column <= 30; ++column)
                if (BulkEdit::isYesNo(column) &&
                    !edits.contains(u'!' + BulkEdit::columnName(column)))
                    edit.setFlag(column, edits.contains(BulkEdit::columnName(column) + u"=True"_s));
        const ImportOutcome outcome = edit.run(catalogue.db(), QString());
        QCOMPARE(outcome.totals, u"Updating Records: #2 Of 2"_s);
        for (const QString& check : expected) {
            const qsizetype dot = check.indexOf(u'.');
            const qsizetype eq = check.indexOf(u'=');
            QCOMPARE(catalogue.text(check.left(dot), check.mid(dot + 1, eq - dot - 1)),
                     check.mid(eq + 1));
        }
    }

    // One product's value worked out alone, without a catalogue: the text typed for a column
    // and what the product holds give the stored value, or none when it keeps its own.
    void productValue_data() {
        QTest::addColumn<QString>("edit");        // "Column=value"
        QTest::addColumn<QVariant>("own");        // the product's value of that column (and Retail)
        QTest::addColumn<QVariant>("notes");      // its notes
        QTest::addColumn<QString>("expected");    // the stored value; "keep" when none is written
        QTest::addColumn<QString>("retailAfter"); // what a Price percentage works from next
        const QVariant none;
        QTest::newRow("price off the retail")
            << u"Price=25%"_s << QVariant(80.0) << none << u"600000"_s << u"80"_s;
        QTest::newRow("retail raised, to the cent, passed on")
            << u"Retail=10%"_s << QVariant(19.99) << none << u"219900"_s << u"21.99"_s;
        QTest::newRow("retail of more digits than a double holds raised")
            << u"Retail=10%"_s << QVariant::fromValue(Money::fromStored(1234567890123456789))
            << none << u"1358024679135802500"_s << u"135802467913580.25"_s;
        QTest::newRow("plain retail passed on")
            << u"Retail=12.5"_s << QVariant(3.0) << none << u"125000"_s << u"12.5"_s;
        QTest::newRow("percentage of an empty cost keeps")
            << u"Cost1=-10%"_s << QVariant(QString()) << none << u"keep"_s << QString();
        QTest::newRow("picture under the folder, extension of the product's picture")
            << u"Picture=pics//"_s << none << none << u"pics/A1.gif"_s << QString();
    }
    void productValue() {
        QFETCH(QString, edit);
        QFETCH(QVariant, own);
        QFETCH(QVariant, notes);
        QFETCH(QString, expected);
        QFETCH(QString, retailAfter);
        const int column = BulkEdit::columnOf(edit.section(u'=', 0, 0));
        const ColumnKind kind = CatalogueSchema::table(u"Products"_s).columns.at(column).kind;
        BulkEdit edits;
        edits.set(column, edit.section(u'=', 1));
        BulkEdit::ProductValues product{u"A1"_s, own, u"old/A1.gif"_s, notes, own};
        QString extension;
        const QVariant fixed = edits.fixedValue(column, kind, BulkEdit::columnName(column));
        const std::optional<QVariant> value =
            edits.productValue(column, kind, fixed, product, extension);
        QCOMPARE(value ? value->toString() : u"keep"_s, expected);
        if (column == PC::Retail || column == PC::Price)
            QCOMPARE(TextRules::toText(product.retail), retailAfter);
    }

    // Which texts read as numbers is the text rules' own test; here each way one is refused.
    void refusedWordWritesNothing_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("value");
        QTest::newRow("word for retail") << u"Retail"_s << u"call"_s;
        QTest::newRow("percent for a count") << u"MinOrdW"_s << u"10%"_s;
        QTest::newRow("word for the sales price") << u"Price"_s << u"half"_s;
        QTest::newRow("percentage with a decimal comma") << u"Price"_s << u"1,5%"_s;
        QTest::newRow("misspelt yes/no word") << u"Taxable"_s << u"ture"_s;
    }
    void refusedWordWritesNothing() {
        QFETCH(QString, column);
        QFETCH(QString, value);
        TestCatalogue catalogue;
        addProducts(catalogue);
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(column), value);
        edit.set(BulkEdit::columnOf(u"ProdName"_s), u"Changed"_s);
        QVERIFY(!edit.refusal().isEmpty());
        QVERIFY_THROWS_EXCEPTION(RunTimeError, edit.run(catalogue.db(), QString()));
        QCOMPARE(catalogue.text(u"A1"_s, u"ProdName"_s), u"Pen"_s);
    }

    void selectionAndCancel() {
        TestCatalogue catalogue;
        addProducts(catalogue);
        catalogue.add(3, u"C3"_s, {{PC::ProdName, u"Pen"_s}});
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(u"Weight"_s), u"1 lb"_s);
        // The search picks A1 and C3; the run stops after the first, which stays written.
        const ImportOutcome outcome =
            edit.run(catalogue.db(), u"ProdName = 'Pen'"_s,
                     [](const ImportProgress& progress) { return progress.value < 1; });
        QVERIFY(outcome.cancelled);
        QCOMPARE(catalogue.text(u"A1"_s, u"Weight"_s), u"1 lb"_s);
        QCOMPARE(catalogue.text(u"C3"_s, u"Weight"_s), QString());
        QCOMPARE(catalogue.text(u"B2"_s, u"Weight"_s), QString());
    }

    // A run that ends part way, past the first few thousand rows, has raised no price: raising
    // by 10% again must not find some prices raised already.
    void runEndingPartWayChangesNothing() {
        constexpr int Products = 5000;
        TestCatalogue catalogue;
        catalogue.addNumbered(Products, {{PC::Retail, 10.0}});
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
        QVERIFY_THROWS_EXCEPTION(
            CatalogueFailure, edit.run(catalogue.db(), QString(), [](const ImportProgress& p) {
                if (p.value == 4500)
                    throw CatalogueFailure(ErrorNumber::DatabaseRefused, u"The disk is full"_s);
                return true;
            }));
        QCOMPARE(catalogue.count(u"Retail = 100000"_s), qint64(Products));
    }

    // The row count goes on past 32767 to the last row.
    void countsEveryRow() {
        constexpr int Products = 33000;
        TestCatalogue catalogue;
        catalogue.addNumbered(Products, {{PC::Retail, 10.0}});
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(u"Weight"_s), u"1 lb"_s);
        QString last;
        const ImportOutcome outcome =
            edit.run(catalogue.db(), QString(), [&](const ImportProgress& p) {
                last = p.status;
                return true;
            });
        QCOMPARE(last, u"Updating Records: #33000 Of 33000"_s);
        QCOMPARE(outcome.totals, last);
        QCOMPARE(outcome.counts.edited, Products);
    }

    // More products than a catalogue on a server writes in one set, with mixed values: money
    // with and without cents and none, notes and none, pictures and none. Each product gets
    // the value worked out for it alone, and the run's undo gives every old value back, its
    // redo every new one.
    void manyMixedProductsAreEditedAndTakenBackExactly() {
        constexpr int Products = 5200;
        TestCatalogue catalogue;
        catalogue.addNumbered(Products, {{PC::Taxable, false}});
        CatalogueDatabase& db = catalogue.db();
        db.run(u"UPDATE Products SET Retail = CASE WHEN PID % 3 = 0 THEN NULL ELSE "
               u"(PID * 137 % 100000) * 100 + PID % 7 END, Notes = CASE WHEN PID % 2 = 0 THEN "
               u"'note ' || PID END, Picture = CASE WHEN PID % 5 = 1 THEN 'old/x.gif' END"_s);
        const QHash<qint64, QVariant> retailBefore = storedValues(db, u"Retail"_s);
        const QString before = test::dump(db);
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(u"Retail"_s), u"12.5%"_s);
        edit.set(BulkEdit::columnOf(u"Notes"_s), u"sale"_s);
        edit.set(BulkEdit::columnOf(u"Picture"_s), u"/srv/pics"_s);
        edit.set(BulkEdit::columnOf(u"Taxable"_s), u"yes"_s);
        const ImportOutcome outcome = edit.run(db, QString());
        QCOMPARE(outcome.counts.edited, Products);

        const QHash<qint64, QVariant> retailAfter = storedValues(db, u"Retail"_s);
        QCOMPARE(retailAfter.size(), retailBefore.size());
        for (auto it = retailBefore.cbegin(); it != retailBefore.cend(); ++it) {
            const QVariant expected =
                it->isNull()
                    ? QVariant()
                    : QVariant(qlonglong(
                          Money::fromStored(it->toLongLong()).percent(112.5, 2).toStored()));
            QCOMPARE(retailAfter.value(it.key()), expected);
        }
        QCOMPARE(catalogue.count(u"Notes = 'sale'"_s), qint64(Products / 2));
        QCOMPARE(catalogue.text(u"P1"_s, u"Notes"_s), u"note 2\r\nsale"_s);
        QCOMPARE(catalogue.text(u"P4"_s, u"Picture"_s), u"/srv/pics/P4.gif"_s);
        QCOMPARE(catalogue.count(u"Taxable <> 0"_s), qint64(Products));

        const QString after = test::dump(db);
        const qint64 run = test::lastRun(db);
        QCOMPARE(RunHistory::run(db, run)->changed, qint64(Products));
        const RunUndo::Result undone = RunUndo::undo(db, run);
        QVERIFY(undone.kept.isEmpty());
        QCOMPARE(undone.rowsRestored, qint64(Products));
        QCOMPARE(test::dump(db), before);
        QVERIFY(RunUndo::undo(db, undone.undoRun).kept.isEmpty());
        QCOMPARE(test::dump(db), after);
    }

    // A product the catalogue refuses in the middle of a set is told and keeps its values; the
    // others of the set are written, and the journal holds exactly those.
    void productRefusedInASetIsPassedOver() {
        constexpr int Products = 300;
        TestCatalogue catalogue;
        catalogue.addNumbered(Products, {{PC::Retail, 10.0}});
        CatalogueDatabase& db = catalogue.db();
        refuseChangesOf(db, u"P150"_s);
        const QString before = test::dump(db);
        BulkEdit edit;
        edit.set(BulkEdit::columnOf(u"Retail"_s), u"10%"_s);
        edit.set(BulkEdit::columnOf(u"Weight"_s), u"1 lb"_s);
        QStringList refused;
        const ImportOutcome outcome = edit.run(
            db, QString(), {}, [&](const RunTimeError& error) { refused << error.description(); });
        QCOMPARE(refused.size(), 1);
        QVERIFY2(refused.first().contains(u"not this one"_s), qPrintable(refused.first()));
        QCOMPARE(outcome.totals, u"Updating Records: #300 Of 300"_s);
        QCOMPARE(catalogue.count(u"Retail = 110000 AND Weight = '1 lb'"_s), qint64(Products - 1));
        QCOMPARE(catalogue.text(u"P150"_s, u"Weight"_s), QString());
        QCOMPARE(catalogue.text(u"P150"_s, u"Retail"_s), u"10"_s);

        const qint64 run = test::lastRun(db);
        QCOMPARE(RunHistory::run(db, run)->changed, qint64(Products - 1));
        QVERIFY(RunUndo::undo(db, run).kept.isEmpty());
        QCOMPARE(test::dump(db), before);
    }
};

QTEST_GUILESS_MAIN(BulkEditTest)
#include "tst_bulkedit.moc"
