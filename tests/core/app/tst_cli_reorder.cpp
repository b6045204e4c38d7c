#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// "tovin-catalog reorder" as scripts use it.
class CliReorderTest : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QString out;
        QString err;
    };
    static Run run(const QStringList& arguments) {
        QProcess p;
        p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        const Run made = run({u"create"_s, u"--demo"_s, m_dir.filePath(u"demo.mde"_s)});
        QVERIFY2(made.status == 0, qPrintable(made.err));
        QFile text(m_dir.filePath(u"notes.txt"_s));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a catalogue\n");
    }

    // The demo catalogue's products to order again, under their supplier.
    void listsBySupplier() {
        const Run r = run({u"reorder"_s, u"--db"_s, m_dir.filePath(u"demo.mde"_s)});
        QVERIFY2(r.status == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains(u"Pennybrook Lamp & Garden Co.\n"
                                u"  GD-605\tCedar Birdhouse\torder 1\t"
                                u"(in stock 2, on order 0, re-order at 2)\n"_s),
                 qPrintable(r.out));
        QVERIFY(r.err.isEmpty());
    }

    void failuresAreTold_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no catalogue named") << QStringList{u"reorder"_s};
        QTest::newRow("missing file") << QStringList{u"reorder"_s, u"--db"_s, u"@/none.mde"_s};
        QTest::newRow("not a catalogue") << QStringList{u"reorder"_s, u"--db"_s, u"@/notes.txt"_s};
        QTest::newRow("unknown option") << QStringList{u"reorder"_s, u"--all"_s};
    }
    void failuresAreTold() {
        QFETCH(QStringList, arguments);
        for (QString& a : arguments)
            if (a.startsWith(u'@'))
                a = m_dir.path() + a.mid(1);
        const Run r = run(arguments);
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.startsWith(u"tovin-catalog reorder: "_s));
        QVERIFY(r.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliReorderTest)
#include "tst_cli_reorder.moc"
