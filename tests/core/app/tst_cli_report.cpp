#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// "tovin-catalog report" as a scheduled job runs it: a PDF, or exit status 2 and no file.
class CliReportTest : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QString err;
    };
    static Run run(const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir m_dir;
    QString m_catalogue;

private slots:
    void initTestCase() {
        m_catalogue = m_dir.filePath(u"demo.mde"_s);
        QCOMPARE(run({u"create"_s, u"--demo"_s, m_catalogue}).status, 0);
    }

    void reports_data() {
        QTest::addColumn<QStringList>("arguments"); // @db and @pdf stand for the files
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("by name") << QStringList{u"inventory"_s, u"--db"_s, u"@db"_s, u"--pdf"_s,
                                                u"@pdf"_s}
                                 << 0 << QString();
        QTest::newRow("by file name, options first")
            << QStringList{u"--pdf"_s, u"@pdf"_s, u"--db"_s, u"@db"_s, u"orders.rpt"_s} << 0
            << QString();
        QTest::newRow("missing report file")
            << QStringList{u"nosuch"_s, u"--db"_s, u"@db"_s, u"--pdf"_s, u"@pdf"_s} << 2
            << u"no report file"_s;
        QTest::newRow("missing catalogue")
            << QStringList{u"cost1"_s, u"--db"_s, u"@gone"_s, u"--pdf"_s, u"@pdf"_s} << 2
            << u"no catalogue"_s;
        QTest::newRow("no pdf") << QStringList{u"cost1"_s, u"--db"_s, u"@db"_s} << 2
                                << u"--pdf FILE"_s;
        QTest::newRow("two names")
            << QStringList{u"cost1"_s, u"cost2"_s, u"--db"_s, u"@db"_s, u"--pdf"_s, u"@pdf"_s} << 2
            << u"unexpected argument cost2"_s;
        QTest::newRow("unknown option")
            << QStringList{u"cost1"_s, u"--landscape"_s, u"--db"_s, u"@db"_s, u"--pdf"_s, u"@pdf"_s}
            << 2 << u"unexpected argument --landscape"_s;
    }

    void reports() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const QString pdf = m_dir.filePath(u"out.pdf"_s);
        QFile::remove(pdf);
        arguments.replaceInStrings(u"@db"_s, m_catalogue);
        arguments.replaceInStrings(u"@pdf"_s, pdf);
        arguments.replaceInStrings(u"@gone"_s, m_dir.filePath(u"gone.mde"_s));
        const Run r = run(QStringList{u"report"_s} + arguments);
        QVERIFY2(r.status == status, qPrintable(r.err));
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QFile file(pdf);
        QCOMPARE(file.exists(), status == 0);
        if (status == 0) {
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(file.read(5) == "%PDF-");
        }
    }
};

QTEST_MAIN(CliReportTest)
#include "tst_cli_report.moc"
