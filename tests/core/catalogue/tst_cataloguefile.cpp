#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueFile.h"
#include "core/files/FileIdentity.h"
#include "support/core/TestProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The file rules of Open Database and Save DataBase As.
class CatalogueFileTest : public QObject {
    Q_OBJECT
private slots:
    void copyNames_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("bare name") << u"/shop/backup1"_s << u"/shop/backup1.mde"_s;
        QTest::newRow("own extension") << u"/shop/copy.mde"_s << u"/shop/copy.mde"_s;
        QTest::newRow("access names, any case") << u"/shop/Copy.MDB"_s << u"/shop/Copy.MDB"_s;
        QTest::newRow("accdb") << u"/shop/copy.accdb"_s << u"/shop/copy.accdb"_s;
        QTest::newRow("other extension") << u"/shop/copy.txt"_s << u"/shop/copy.txt.mde"_s;
        QTest::newRow("dotted folder") << u"/shop.v2/backup"_s << u"/shop.v2/backup.mde"_s;
        QTest::newRow("cancelled") << QString() << QString();
    }
    void copyNames() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(CatalogueFile::withCatalogueSuffix(chosen), written);
    }

    // Only a file holding the catalogue's tables opens; the reason names what is wrong.
    void refusedFiles_data() {
        QTest::addColumn<QString>("file");   // how the file is made
        QTest::addColumn<QString>("reason"); // a part of the refusal; "" when it opens
        QTest::newRow("catalogue") << u"catalogue"_s << QString();
        QTest::newRow("catalogue with a table of its own") << u"extra table"_s << QString();
        QTest::newRow("text file") << u"text"_s << u"is not a catalogue."_s;
        QTest::newRow("empty file") << u"empty"_s << u"is not a catalogue."_s;
        QTest::newRow("access file") << u"access"_s << u"is an Access database"_s;
        QTest::newRow("other database") << u"other database"_s << u"it has no table Products"_s;
        QTest::newRow("column missing")
            << u"column missing"_s << u"its table Setup has no column"_s;
        QTest::newRow("missing") << u"missing"_s << u"does not exist"_s;
        QTest::newRow("folder") << u"folder"_s << u"is a folder"_s;
    }
    void refusedFiles() {
        QFETCH(QString, file);
        QFETCH(QString, reason);
        test::TestProgramFolder folder(test::TestProgramFolder::Catalogue::None, false);
        QString path = folder.filePath(u"chosen.mde"_s);
        const auto sql = [&](const QString& statement) { CatalogueDatabase(path).run(statement); };
        if (file == u"catalogue"_s || file == u"extra table"_s || file == u"column missing"_s ||
            file == u"other database"_s)
            CatalogueDatabase::create(path);
        if (file == u"extra table"_s)
            sql(u"CREATE TABLE Notes (Text TEXT)"_s);
        if (file == u"column missing"_s)
            sql(u"ALTER TABLE Setup RENAME TO Setup2"_s), sql(u"CREATE TABLE Setup (X TEXT)"_s);
        if (file == u"text"_s)
            folder.writeFile(u"chosen.mde"_s, "StockNo,ProdName\nAB7,Brass Lamp\n");
        if (file == u"empty"_s)
            folder.writeFile(u"chosen.mde"_s, QByteArray());
        if (file == u"access"_s)
            path = test::testDataDir() + u"/mdb/barcode_inventory_jet4.mdb"_s;
        if (file == u"other database"_s)
            sql(u"DROP TABLE Products"_s);
        if (file == u"folder"_s)
            path = folder.path();
        const std::optional<QString> refusal = CatalogueFile::refusal(path);
        if (reason.isEmpty()) {
            QVERIFY2(!refusal, qPrintable(refusal.value_or(QString())));
            return;
        }
        QVERIFY(refusal);
        QVERIFY2(refusal->contains(reason), qPrintable(*refusal));
        QVERIFY2(!refusal->contains(u"Unable to"_s), qPrintable(*refusal)); // no raw SQL text
    }

    // Another path to the same file is the same file; a copy is not.
    void fileIdentity_data() {
        QTest::addColumn<QString>("other"); // relative to the second folder
        QTest::addColumn<bool>("same");
        QTest::newRow("through a linked folder") << u"link/shop.mde"_s << true;
        QTest::newRow("hard link") << u"hard.mde"_s << true;
        QTest::newRow("dots in the path") << u"real/./sub/../shop.mde"_s << true;
        QTest::newRow("a copy") << u"copy.mde"_s << false;
        QTest::newRow("new file in the linked folder") << u"link/new.mde"_s << false;
    }
    void fileIdentity() {
        QFETCH(QString, other);
        QFETCH(bool, same);
        QTemporaryDir dir;
        const QString root = dir.path() + u'/';
        QVERIFY(QDir().mkpath(root + u"real/sub"_s));
        const QString original = root + u"real/shop.mde"_s;
        QFile file(original);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        file.close();
        QVERIFY(QFile::link(root + u"real"_s, root + u"link"_s));
        QVERIFY(::link(QFile::encodeName(original).constData(),
                       QFile::encodeName(root + u"hard.mde"_s).constData()) == 0);
        QVERIFY(QFile::copy(original, root + u"copy.mde"_s));
        QCOMPARE(FileIdentity::sameFile(root + other, original), same);
        QCOMPARE(FileIdentity::sameFile(original, root + other), same);
    }
};

QTEST_GUILESS_MAIN(CatalogueFileTest)
#include "tst_cataloguefile.moc"
