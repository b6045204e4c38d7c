#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tovin {

// Read-only access to an Access database file (.mdb of Jet 3 and Jet 4, .accdb as far as libmdb
// reads it): its tables, their columns and their rows as texts. The import of "any Access
// database table" reads through this class.
//
// Values come out as the import uses them: text as Unicode, numbers in plain decimal with "."
// as decimal point, dates as MM/DD/YYYY (with " HH:MM:SS" only when there is a time of day),
// yes/no as "True"/"False", a null value as an empty text, pictures and other binary data as an
// empty text.
//
// libmdb keeps per-file state in its handle, so one object must be used by one thread at a time.
class AccessDatabase {
public:
    // Opens the file read-only. Raises error 53 (file not found) when it does not exist and error
    // 3049 (cannot open database) when it is not a database that can be read.
    explicit AccessDatabase(const QString& path);
    ~AccessDatabase();
    AccessDatabase(AccessDatabase&& other) noexcept;
    AccessDatabase& operator=(AccessDatabase&& other) noexcept;
    AccessDatabase(const AccessDatabase&) = delete;
    AccessDatabase& operator=(const AccessDatabase&) = delete;

    // The text shown in a table list in place of a system table.
    static QString systemTableCaption();

    // Every table in the order of the database's catalogue, system tables included.
    QStringList tableNames() const;
    // A system table is one whose upper-cased name contains "MSYS".
    static bool isSystemTable(const QString& name);
    // The table list offered to the user: the names with "** DON'T USE **" in place of system
    // tables, so that a list index is the table's position in tableNames().
    QStringList tableChoiceList() const;

    // The names of a table's columns in column order. Raises error 3265 for an unknown table.
    QStringList columnNames(const QString& table) const;
    // The number of rows the table holds, as readRows delivers them (counted, since the count
    // kept in a table's definition can be out of date). Raises error 3265 for an unknown table.
    // Raises error 3049 for a table that cannot be read exactly: a page missing, foreign or
    // damaged, a row that cannot be taken apart, anything libmdb complains about on the way.
    qint64 rowCount(const QString& table) const;
    // Reads every row of the table in storage order, each as texts in column order, and hands
    // it to onRow; reading stops early when onRow returns false. Raises error 3265 for an
    // unknown table, and error 3049 (as rowCount does) before the first row for a table that
    // cannot be read exactly.
    void readRows(const QString& table,
                  const std::function<bool(const QStringList& values)>& onRow) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace tovin
