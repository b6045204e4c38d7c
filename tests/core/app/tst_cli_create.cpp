#include "core/data/CatalogueDatabase.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// The command line as scripts use it.
class CliCreateTest : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QString out;
        QString err;
    };
    static Run run(const QStringList& arguments, const QString& folder = QString()) {
        QProcess p;
        p.setWorkingDirectory(folder);
        p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void helpListsTheCommands() {
        const Run r = run({u"--help"_s});
        QCOMPARE(r.status, 0);
        for (const QString& word : {u"create"_s, u"import"_s, u"--app-folder"_s})
            QVERIFY2(r.out.contains(word), qPrintable(word));
    }

    void createsEmptyAndDemoCatalogues_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("filled");
        QTest::newRow("empty") << QStringList{} << false;
        QTest::newRow("demo") << QStringList{u"--demo"_s} << true;
    }
    void createsEmptyAndDemoCatalogues() {
        QFETCH(QStringList, options);
        QFETCH(bool, filled);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"new.mde"_s);
        const Run r = run(QStringList{u"create"_s} + options + QStringList{path});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        CatalogueDatabase db(path);
        QCOMPARE(db.scalar(u"SELECT count(*) > 0 FROM Products"_s).toBool(), filled);
    }

    void refusesToOverwriteAndBadArguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("existing file") << QStringList{u"create"_s, u"@existing"_s};
        QTest::newRow("no file") << QStringList{u"create"_s};
        QTest::newRow("two files") << QStringList{u"create"_s, u"a.mde"_s, u"b.mde"_s};
        QTest::newRow("unknown option") << QStringList{u"create"_s, u"--colour"_s, u"c.mde"_s};
        QTest::newRow("unknown command") << QStringList{u"frobnicate"_s};
    }
    void refusesToOverwriteAndBadArguments() {
        QFETCH(QStringList, arguments);
        QTemporaryDir dir;
        const QString existing = dir.filePath(u"existing.mde"_s);
        CatalogueDatabase::create(existing);
        QFile file(existing);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        arguments.replaceInStrings(u"@existing"_s, existing);
        const Run r = run(arguments, dir.path());
        QCOMPARE(r.status, 2);
        QVERIFY(!r.err.isEmpty());
        QFile after(existing);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), before);
    }
};

QTEST_GUILESS_MAIN(CliCreateTest)
#include "tst_cli_create.moc"
