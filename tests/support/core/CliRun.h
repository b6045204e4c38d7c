#pragma once

#include <QList>
#include <QPair>
#include <QStringList>

namespace tovin::test {

// One run of the real program on the command line, as a script runs it.
struct CliRun {
    int status = -1;
    QString out;
    QString err;
    QStringList outLines() const { return out.split(u'\n', Qt::SkipEmptyParts); }
};

// Runs the program with these arguments (in `folder` when one is given) until it ends.
CliRun runProgram(const QStringList& arguments, const QString& folder = QString());

// An argument line split at blanks, with each placeholder (say "@db") replaced by its file, in
// the order given; "~" stands for a blank inside one argument.
using Placeholders = QList<QPair<QString, QString>>;
QStringList argumentLine(const QString& line, const Placeholders& placeholders);

// A file's bytes (empty when it cannot be read), and a file written with its folders.
QByteArray fileBytes(const QString& path);
void writeTestFile(const QString& path, const QByteArray& bytes);

// Every file below a folder with its bytes, to show that a refused run wrote nothing.
QString folderSnapshot(const QString& folder);

// What a catalogue file holds, read through a connection of its own.
qint64 productCount(const QString& catalogue, const QString& where = QStringLiteral("1"));
QString productValue(const QString& catalogue, const QString& column, const QString& stockNo);

} // namespace tovin::test
