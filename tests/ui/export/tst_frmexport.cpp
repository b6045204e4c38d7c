// The export screen driven through its boxes and options.
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/catalogue/RowWriter.h"
#include "core/files/ProgramFolder.h"
#include "core/products/SearchInForce.h"
#include "core/settings/SettingsStore.h"
#include "support/core/ScriptedPrompts.h"
#include "support/core/TestHelpers.h"
#include "support/core/TestProgramFolder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/export/FrmExport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;
using namespace tovin::test;
namespace PC = CatalogueSchema::ProductsColumn;

using Catalogue = TestProgramFolder::Catalogue;

class FrmExportTest : public QObject {
    Q_OBJECT
    PromptsInUse m_promptsInUse;
    // The search in force the screens are made with.
    SearchInForce m_search;

    // A1 Pen 80 (taxable), B2 "Cup  large" 9.5, C3 Lamp 1, in the open catalogue.
    static void addThreeProducts() {
        CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
        const std::tuple<QString, QString, double> rows[] = {
            {u"B2"_s, u"Cup  large"_s, 9.5}, {u"A1"_s, u"Pen"_s, 80.0}, {u"C3"_s, u"Lamp"_s, 1.0}};
        int pid = 0;
        for (const auto& [stock, name, retail] : rows)
            RowWriter::insert(db, u"Products"_s,
                              {{PC::PID, ++pid},
                               {PC::StockNo, stock},
                               {PC::ProdName, name},
                               {PC::Retail, retail},
                               {PC::Taxable, stock == u"A1"_s}});
    }

private slots:
    void init() { m_search = SearchInForce{}; }

    void exports_data() {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("answers"); // input answers in order
        QTest::addColumn<QString>("search");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("stock number and retail, tab")
            << QStringList{u"Check1(2)"_s, u"Check1(12)"_s, u"Option1(1)"_s}
            << QStringList{u"export"_s} << QString() << "A1\t80\r\nB2\t9.5\r\nC3\t1\r\n"_ba;
        QTest::newRow("space delimited: two spaces")
            << QStringList{u"Check1(2)"_s, u"Check1(3)"_s, u"Option1(2)"_s}
            << QStringList{u"export"_s} << QString()
            << "A1  Pen\r\nB2  \"Cup  large\"\r\nC3  Lamp\r\n"_ba;
        QTest::newRow("Other left empty is a comma")
            << QStringList{u"Check1(2)"_s, u"Check1(30)"_s, u"Option1(4)"_s}
            << QStringList{QString(), u"export"_s} << QString()
            << "A1,True\r\nB2,False\r\nC3,False\r\n"_ba;
        QTest::newRow("only the searched products")
            << QStringList{u"Check1(2)"_s} << QStringList{u"export"_s} << u"Retail > 5"_s
            << "A1\r\nB2\r\n"_ba;
        QTest::newRow("an extension is refused, then the name is taken")
            << QStringList{u"Check1(2)"_s} << QStringList{u"list.txt"_s, u"list"_s} << QString()
            << "A1\r\nB2\r\nC3\r\n"_ba;
    }
    void exports() {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, answers);
        QFETCH(QString, search);
        QFETCH(QByteArray, file);
        TestProgramFolder folder(Catalogue::Empty);
        addThreeProducts();
        m_search.SearchWhere = search;
        ScriptedPrompts prompts(m_promptsInUse);
        for (const QString& answer : answers) {
            prompts.answerInput(answer);
            if (answer.contains(u'.'))
                prompts.answerMessage(MessageAnswer::Ok);
        }
        auto screen = openScreen<FrmExport>(TestProgramFolder::current().catalogue(),
                                            m_promptsInUse, m_search);
        for (const QString& name : clicks)
            click(screen.get(), name);
        click(screen.get(), u"Command2"_s);
        QCOMPARE(prompts.unanswered(), 0);
        const QString name = answers.last().isEmpty() ? u"export"_s : answers.last();
        QCOMPARE(readFile(ProgramFolder::path() + name + u".txt"_s), file);
        if (answers.first() == u"list.txt"_s)
            QVERIFY(prompts.shownTexts().contains(
                u"Do NOT Use ANY Extensions After The File Name, Only Type The Files Name"_s));
        QCOMPARE(control<QLabel>(screen.get(), u"Label1"_s)->text(),
                 u"Exporting: "_s + QString::number(file.count("\r\n")) + u"\nSaved as "_s +
                     ProgramFolder::path() + name + u".txt"_s);
    }

    // What is in the way of an export: a file of that name is replaced only after a Yes (No is
    // the default), the open catalogue never, and characters Windows-1252 lacks are refused with
    // UTF-8 offered instead.
    void inTheWay_data() {
        QTest::addColumn<QString>("setup"); // earlier, catalogue, code page
        QTest::addColumn<int>("answer");    // to the question or notice
        QTest::addColumn<QString>("shown"); // part of the text shown
        QTest::addColumn<QByteArray>("file");
        const QByteArray earlier = "earlier\r\n";
        const QByteArray utf8 = "A1,Pen\r\nJP-1,\xE6\x97\xA5\xE6\x9C\xAC\r\n";
        const int yes = int(MessageAnswer::Yes), no = int(MessageAnswer::No);
        QTest::newRow("earlier export kept")
            << u"earlier"_s << no << u"Replace shop.txt?"_s << earlier;
        QTest::newRow("earlier export replaced")
            << u"earlier"_s << yes << u"Replace shop.txt?"_s << "A1,Pen\r\n"_ba;
        QTest::newRow("the open catalogue") << u"catalogue"_s << int(MessageAnswer::Ok)
                                            << u"shop.txt is the open catalogue"_s << QByteArray();
        QTest::newRow("code page lacks a character, UTF-8 taken")
            << u"code page"_s << yes
            << u"1 product holds characters Windows-1252 cannot hold (JP-1)"_s << utf8;
        QTest::newRow("code page lacks a character, declined")
            << u"code page"_s << no << u"(JP-1)"_s << "<missing>"_ba;
    }
    void inTheWay() {
        QFETCH(QString, setup);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        QFETCH(QByteArray, file);
        TestProgramFolder folder(Catalogue::Empty);
        const QString target = ProgramFolder::path() + u"shop.txt"_s;
        if (setup == u"catalogue"_s) {
            QVERIFY(QFile::copy(TestProgramFolder::current().catalogue().path, target));
            folder.catalogue().path = target;
        }
        if (setup == u"earlier"_s)
            writeFile(target, "earlier\r\n");
        {
            CatalogueDatabase db(TestProgramFolder::current().catalogue().path);
            RowWriter::insert(db, u"Products"_s,
                              {{PC::PID, 1}, {PC::StockNo, u"A1"_s}, {PC::ProdName, u"Pen"_s}});
            if (setup == u"code page"_s)
                RowWriter::insert(
                    db, u"Products"_s,
                    {{PC::PID, 2}, {PC::StockNo, u"JP-1"_s}, {PC::ProdName, u"日本"_s}});
            db.checkpoint();
        }
        // Read once no connection has it open: a plain read of an open catalogue drops its locks.
        if (setup == u"catalogue"_s)
            file = readFile(target);
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerInput(u"shop"_s).answerMessage(MessageAnswer(answer));
        auto screen = openScreen<FrmExport>(TestProgramFolder::current().catalogue(),
                                            m_promptsInUse, m_search);
        click(screen.get(), QStringList{u"Check1(2)"_s, u"Check1(3)"_s});
        if (setup == u"code page"_s)
            control<QComboBox>(screen.get(), u"cboEncoding"_s)->setCurrentIndex(1);
        click(screen.get(), u"Command2"_s);
        QCOMPARE(prompts.unanswered(), 0);
        const auto& asked = prompts.shown().last();
        QVERIFY2(asked.text.contains(shown), qPrintable(asked.text));
        if (setup == u"earlier"_s)
            QCOMPARE(asked.defaultButton, MessageDefault::Second);
        screen.reset(); // the export screen's connection lets go of the catalogue first
        QCOMPARE(readFile(target), file);
    }

    // Column names on the first line only when ticked; the screen opened next starts with the
    // columns and the heading option of the last export, and a stored choice that is no column
    // or no yes/no is passed over.
    void headingAndRememberedChoice_data() {
        QTest::addColumn<QString>("storedColumns");
        QTest::addColumn<QString>("storedHeading");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("heading ticked")
            << QString() << QString()
            << QStringList{u"Check1(12)"_s, u"Check1(2)"_s, u"chkHeading"_s}
            << "Stock Number,Retail Price\r\nA1,80\r\nB2,9.5\r\nC3,1\r\n"_ba;
        QTest::newRow("no heading") << QString() << QString() << QStringList{u"Check1(3)"_s}
                                    << "Pen\r\nCup  large\r\nLamp\r\n"_ba;
        QTest::newRow("stored choice, odd parts passed over")
            << u"2,x,31,0,2"_s << u"maybe"_s << QStringList{} << "A1\r\nB2\r\nC3\r\n"_ba;
    }
    void headingAndRememberedChoice() {
        QFETCH(QString, storedColumns);
        QFETCH(QString, storedHeading);
        QFETCH(QStringList, clicks);
        QFETCH(QByteArray, file);
        TestProgramFolder folder(Catalogue::Empty);
        addThreeProducts();
        if (!storedColumns.isEmpty())
            SettingsStore::program().setValue(u"Export"_s, u"Columns"_s, storedColumns);
        if (!storedHeading.isEmpty())
            SettingsStore::program().setValue(u"Export"_s, u"Heading"_s, storedHeading);
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerInput(u"first"_s);
        prompts.answerInput(u"again"_s);
        {
            auto screen = openScreen<FrmExport>(TestProgramFolder::current().catalogue(),
                                                m_promptsInUse, m_search);
            QVERIFY(!control<QCheckBox>(screen.get(), u"chkHeading"_s)->isChecked());
            for (const QString& name : clicks)
                click(screen.get(), name);
            click(screen.get(), u"Command2"_s);
        }
        QCOMPARE(readFile(ProgramFolder::path() + u"first.txt"_s), file);
        auto next = openScreen<FrmExport>(TestProgramFolder::current().catalogue(), m_promptsInUse,
                                          m_search);
        click(next.get(), u"Command2"_s);
        QCOMPARE(prompts.unanswered(), 0);
        QCOMPARE(readFile(ProgramFolder::path() + u"again.txt"_s), file);
    }

    void selectAllAndNoName() {
        TestProgramFolder folder(Catalogue::Demo);
        ScriptedPrompts prompts(m_promptsInUse);
        prompts.answerInput(QString());
        auto screen = openScreen<FrmExport>(TestProgramFolder::current().catalogue(),
                                            m_promptsInUse, m_search);
        click(screen.get(), u"Command3"_s);
        for (int i = 1; i <= 30; ++i)
            QVERIFY(control<QCheckBox>(screen.get(), u"Check1"_s, i)->isChecked());
        // No name: the screen closes and writes nothing.
        click(screen.get(), u"Command2"_s);
        QVERIFY(!screen->isVisible());
        QCOMPARE(readFile(ProgramFolder::path() + u"export.txt"_s), "<missing>"_ba);
    }
};

QTEST_MAIN(FrmExportTest)
#include "tst_frmexport.moc"
