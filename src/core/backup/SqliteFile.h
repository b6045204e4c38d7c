#pragma once

#include <QString>

// Small file-level steps the backups share, done through connections of their own.
namespace tovin::SqliteFile {

// The database's answer to one statement run on its own connection to the file.
struct Outcome {
    int code = 0; // the database's result code, 0 for success
    QString message;
    QString firstValue; // the first column of the first row the statement gave
    bool ok() const { return code == 0; }
    bool busy() const;
};

enum class Access { ReadWrite, ReadOnly, Unchanging };

Outcome run(const QString& path, Access access, const QString& sql);

// A text as an SQL string literal.
QString literal(const QString& text);

// Removes a database file and the journal files the database may have left beside it.
void removeWithJournals(const QString& path);

// Puts the folder itself on disk, so that a rename in it lasts.
void syncFolder(const QString& folder);

} // namespace tovin::SqliteFile
