#include "support/core/CliRun.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/storage/CatalogueLocation.h"
#include "core/text/ValueText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace tovin::test {

namespace {
CliRun runToEnd(QProcess& p, const QStringList& arguments) {
    p.start(QStringLiteral(TOVIN_APP_BINARY), arguments);
    // A run that does not end in time keeps status -1 and fails the test that looks at it.
    if (!p.waitForFinished(180000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

CliRun runProgram(const QStringList& arguments, const QString& folder) {
    QProcess p;
    p.setWorkingDirectory(folder);
    return runToEnd(p, arguments);
}

CliRun runProgram(const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess p;
    p.setProcessEnvironment(environment);
    return runToEnd(p, arguments);
}

QStringList argumentLine(const QString& line, const Placeholders& placeholders) {
    QStringList list = line.split(u' ');
    for (QString& argument : list) {
        argument.replace(u'~', u' ');
        for (const auto& [name, file] : placeholders)
            argument.replace(name, file);
    }
    return list;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeTestFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
             qPrintable(path));
}

QString folderSnapshot(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files
            << QDir(folder).relativeFilePath(path) + u' ' +
                   QString::fromLatin1(
                       QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha1).toHex());
    }
    files.sort();
    return files.join(u'\n');
}

QString catalogueSnapshot(const QString& catalogue) {
    if (!CatalogueLocation::isServer(catalogue))
        return QString::fromLatin1(
            QCryptographicHash::hash(fileBytes(catalogue), QCryptographicHash::Sha1).toHex());
    CatalogueDatabase db(catalogue);
    QStringList rows;
    for (const QString& table : db.connection().tableNames()) {
        const auto q = db.prepare(u"SELECT * FROM "_s + CatalogueDatabase::quoteName(table));
        while (q->next()) {
            QString row = table;
            for (int column = 0; column < q->columnCount(); ++column)
                row +=
                    q->isNull(column) ? u"|null"_s : u"|'"_s + TextRules::toText(q->stored(column));
            rows << row;
        }
    }
    // A server gives rows in no fixed order.
    rows.sort();
    return rows.join(u'\n');
}

qint64 productCount(const QString& catalogue, const QString& where) {
    return CatalogueDatabase(catalogue)
        .scalar(u"SELECT count(*) FROM Products"_s +
                (where.isEmpty() ? QString() : u" WHERE "_s + where))
        .toLongLong();
}

QString productValue(const QString& catalogue, const QString& column, const QString& stockNo) {
    return CatalogueDatabase(catalogue)
        .scalar(u"SELECT "_s + column + u" FROM Products WHERE StockNo = ?"_s, {stockNo})
        .toString();
}

} // namespace tovin::test
