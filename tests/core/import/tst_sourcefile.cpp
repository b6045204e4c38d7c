#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/import/SourceFile.h"
#include "core/import/TextImportSession.h"
#include "support/core/TestHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using namespace tovin;

// What may be named as the source of an import: only a plain file that is not the catalogue the
// products go into. Nothing here reads a refused source, so a pipe nothing writes to never
// holds the test up.
class SourceFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const {
        return name.startsWith(u'/') ? name : m_dir.filePath(name);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        test::writeFile(m_dir.filePath(u"list.csv"_s), "A1,Pen\r\n");
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder"_s));
        QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath(u"pipe"_s)).constData(), 0600) == 0);
        CatalogueDatabase::create(m_dir.filePath(u"shop.mde"_s));
        QVERIFY(QFile::link(m_dir.filePath(u"shop.mde"_s), m_dir.filePath(u"link.csv"_s)));
        CatalogueDatabase::create(m_dir.filePath(u"other.mde"_s));
    }

    void refusal_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("refusal"); // part of it; empty when the source is taken
        QTest::newRow("plain file") << u"list.csv"_s << QString();
        QTest::newRow("another catalogue") << u"other.mde"_s << QString();
        QTest::newRow("missing") << u"gone.csv"_s << u"does not exist"_s;
        QTest::newRow("folder") << u"folder"_s << u"is a folder, not a file"_s;
        QTest::newRow("device") << u"/dev/null"_s << u"is not a plain file"_s;
        QTest::newRow("named pipe") << u"pipe"_s << u"is not a plain file"_s;
        QTest::newRow("the catalogue") << u"shop.mde"_s << u"is the catalogue"_s;
        QTest::newRow("a link to the catalogue") << u"link.csv"_s << u"is the catalogue"_s;
    }
    void refusal() {
        QFETCH(QString, source);
        QFETCH(QString, refusal);
        const std::optional<QString> sentence =
            SourceFile::refusal(path(source), u"the file"_s, m_dir.filePath(u"shop.mde"_s));
        if (refusal.isEmpty()) {
            QVERIFY2(!sentence, qPrintable(sentence.value_or(QString())));
            return;
        }
        QVERIFY(sentence);
        QVERIFY2(sentence->contains(refusal), qPrintable(*sentence));
        QVERIFY2(sentence->contains(path(source)), qPrintable(*sentence));
    }

    // The import screen's session says the same of a device or a pipe, not that it is missing.
    void sessionRefusesWhatIsNoPlainFile_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("device") << u"/dev/null"_s;
        QTest::newRow("named pipe") << u"pipe"_s;
    }
    void sessionRefusesWhatIsNoPlainFile() {
        QFETCH(QString, source);
        TextImportSession session;
        QString message;
        try {
            session.open(path(source));
        } catch (const RunTimeError& error) {
            message = error.description();
        }
        QVERIFY2(message.contains(u"is not a plain file"_s), qPrintable(message));
        session.open(m_dir.filePath(u"list.csv"_s));
        QCOMPARE(session.lineCount(), 1);
    }
};

QTEST_GUILESS_MAIN(SourceFileTest)
#include "tst_sourcefile.moc"
