#include "core/convert/AccessTableSource.h"
#include "core/convert/CatalogueConversion.h"
#include "support/core/TestProgramFolder.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The convert command on the real Access files of the test data.
class CliConvertTest : public QObject {
    Q_OBJECT

private slots:
    // No Access file of the test data holds a catalogue: each is refused by name, unchanged.
    void realAccessFilesAreRefusedInPlainWords_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("missing");
        QTest::newRow("Jet 3") << u"nwind_jet3.mdb"_s << u"Supplier, Catagory, Inventory"_s;
        QTest::newRow("Jet 4") << u"stock_inventory_jet4.mdb"_s << u"Products, Supplier"_s;
        QTest::newRow("ACE") << u"asset_sample_ace12.accdb"_s << u"Products, Supplier"_s;
    }
    void realAccessFilesAreRefusedInPlainWords() {
        QFETCH(QString, file);
        QFETCH(QString, missing);
        QTemporaryDir dir;
        const QString copy = dir.filePath(file);
        const QString original = test::testDataDir() + u"/mdb/"_s + file;
        QVERIFY2(QFile::copy(original, copy), qPrintable(u"missing test file "_s + original));
        QVERIFY(AccessTableSource::looksLikeAccessFile(copy));
        const QByteArray before = [&] {
            QFile f(copy);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();

        QProcess p;
        p.start(QStringLiteral(TOVIN_APP_BINARY), {u"convert"_s, copy});
        QVERIFY(p.waitForFinished(60000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 2);
        QVERIFY2(err.contains(u"does not hold a catalogue"_s) && err.contains(missing),
                 qPrintable(err));
        QVERIFY(!QFile::exists(CatalogueConversion::convertedPath(copy)));
        QFile f(copy);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll() == before);
    }
};

QTEST_GUILESS_MAIN(CliConvertTest)
#include "tst_cli_convert.moc"
