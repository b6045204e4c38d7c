#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tovin {

// A read-only source of named tables whose values come as texts: an Access file, or in tests a
// set of tables made in memory. Values follow the Access reader's forms: numbers in plain
// decimal with "." as decimal point, dates as MM/DD/YYYY (a time of day may follow), yes/no as
// "True"/"False", a null value as an empty text.
class TableSource {
public:
    virtual ~TableSource() = default;
    virtual QStringList tableNames() const = 0;
    virtual QStringList columnNames(const QString& table) const = 0;
    virtual qint64 rowCount(const QString& table) const = 0;
    // Hands every row to onRow in storage order; stops early when onRow returns false.
    virtual void readRows(const QString& table,
                          const std::function<bool(const QStringList& values)>& onRow) const = 0;
};

} // namespace tovin
