#pragma once

#include <QList>
#include <QPair>
#include <QProcessEnvironment>
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
// The same with an environment of its own (a nightly job's, say).
CliRun runProgram(const QStringList& arguments, const QProcessEnvironment& environment);

// An argument line split at blanks, with each placeholder (say "@db") replaced by its file, in
// the order given; "~" stands for a blank inside one argument.
using Placeholders = QList<QPair<QString, QString>>;
QStringList argumentLine(const QString& line, const Placeholders& placeholders);

// A file's bytes (empty when it cannot be read), and a file written with its folders.
QByteArray fileBytes(const QString& path);
void writeTestFile(const QString& path, const QByteArray& bytes);

// Every file below a folder with its bytes, to show that a refused run wrote nothing.
QString folderSnapshot(const QString& folder);

// Every row of every table of a catalogue on a server, or the bytes of a catalogue file, to
// show that a refused run wrote nothing to it.
QString catalogueSnapshot(const QString& catalogue);

// What a catalogue holds, read through a connection of its own: the products, or those meeting
// a condition in SQL.
qint64 productCount(const QString& catalogue, const QString& where = QString());
QString productValue(const QString& catalogue, const QString& column, const QString& stockNo);

} // namespace tovin::test
