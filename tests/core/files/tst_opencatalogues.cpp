#include "core/catalogue/CatalogueDatabase.h"
#include "core/files/OpenCatalogues.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <memory>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The program knows which files its connections hold open by their identity, not their spelling,
// and every test program stops at once when anything but the database opens one of them.
class OpenCataloguesTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        CatalogueDatabase::create(path(u"shop.mde"_s));
        QFile::link(path(u"shop.mde"_s), path(u"link.mde"_s));
        QVERIFY(::link(QFile::encodeName(path(u"shop.mde"_s)).constData(),
                       QFile::encodeName(path(u"hard.mde"_s)).constData()) == 0);
        QFile plain(path(u"plain.txt"_s));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }

    // The open catalogue and its working files, by any name; nothing else, and nothing once the
    // connection is closed.
    void holdingKnowsTheFileByItsIdentity_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("held");
        QTest::newRow("the path it was opened by") << u"shop.mde"_s << true;
        QTest::newRow("another spelling") << u"./sub/../shop.mde"_s << true;
        QTest::newRow("a symbolic link") << u"link.mde"_s << true;
        QTest::newRow("a hard link") << u"hard.mde"_s << true;
        QTest::newRow("its write-ahead log") << u"shop.mde-wal"_s << true;
        QTest::newRow("its shared index") << u"shop.mde-shm"_s << true;
        QTest::newRow("another file") << u"plain.txt"_s << false;
        QTest::newRow("a missing file") << u"missing.mde"_s << false;
    }
    void holdingKnowsTheFileByItsIdentity() {
        QFETCH(QString, name);
        QFETCH(bool, held);
        QDir().mkpath(path(u"sub"_s));
        {
            CatalogueDatabase open(path(u"shop.mde"_s));
            open.scalar(u"SELECT count(*) FROM Products"_s); // the working files are made
            QCOMPARE(OpenCatalogues::holding(path(name)).has_value(), held);
            QCOMPARE(OpenCatalogues::plainOpenRefusal(path(name)).has_value(), held);
        }
        QVERIFY(!OpenCatalogues::holding(path(name)));
    }

    // A plain open of an open catalogue, in this test program or a library, ends the program with
    // a message naming it; the same open of a closed catalogue, or through the database, is fine.
    void plainOpenOfAnOpenCatalogueEndsTheTest_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("whileOpen");
        for (const char* how : {"QFile", "fopen", "ifstream"}) {
            QTest::addRow("%s while open", how) << QString::fromLatin1(how) << true;
            QTest::addRow("%s once closed", how) << QString::fromLatin1(how) << false;
        }
    }
    void plainOpenOfAnOpenCatalogueEndsTheTest() {
        QFETCH(QString, how);
        QFETCH(bool, whileOpen);
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        child.setArguments({u"openPlainly"_s});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"PLAIN_OPEN_HOW"_s, how);
        environment.insert(u"PLAIN_OPEN_WHILE_OPEN"_s, whileOpen ? u"1"_s : u"0"_s);
        environment.insert(u"PLAIN_OPEN_CATALOGUE"_s, path(u"shop.mde"_s));
        environment.insert(u"PLAIN_OPEN_FILE"_s, path(u"link.mde"_s));
        child.setProcessEnvironment(environment);
        child.start();
        QVERIFY(child.waitForFinished(60000));
        const QByteArray told = child.readAllStandardError();
        if (whileOpen) {
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);
            QVERIFY2(told.contains("was opened past SQLite while the catalogue"), told.constData());
        } else {
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     told.constData());
        }
    }

    // Run by the test above in a process of its own.
    void openPlainly() {
        const QString how = qEnvironmentVariable("PLAIN_OPEN_HOW");
        if (how.isEmpty())
            QSKIP("run by plainOpenOfAnOpenCatalogueEndsTheTest");
        const QString file = qEnvironmentVariable("PLAIN_OPEN_FILE");
        std::unique_ptr<CatalogueDatabase> open;
        if (qEnvironmentVariable("PLAIN_OPEN_WHILE_OPEN") == u"1"_s)
            open =
                std::make_unique<CatalogueDatabase>(qEnvironmentVariable("PLAIN_OPEN_CATALOGUE"));
        const QByteArray name = QFile::encodeName(file);
        if (how == u"QFile"_s) {
            QFile plain(file);
            QVERIFY(plain.open(QIODevice::ReadOnly));
        } else if (how == u"fopen"_s) {
            FILE* plain = std::fopen(name.constData(), "rb");
            QVERIFY(plain);
            std::fclose(plain);
        } else {
            std::ifstream plain(name.constData(), std::ios::binary);
            QVERIFY(plain.good());
        }
    }
};

QTEST_GUILESS_MAIN(OpenCataloguesTest)
#include "tst_opencatalogues.moc"
