#pragma once

#include "core/access/AccessDatabase.h"
#include "core/convert/TableSource.h"

namespace tovin {

// The tables of an Access file (.mdb, .mde, .accdb) as a table source.
class AccessTableSource : public TableSource {
public:
    // Raises error 53 for a missing file and 3049 for a file that is not an Access database.
    explicit AccessTableSource(const QString& path);

    QStringList tableNames() const override;
    QStringList columnNames(const QString& table) const override;
    qint64 rowCount(const QString& table) const override;
    void readRows(const QString& table,
                  const std::function<bool(const QStringList& values)>& onRow) const override;

    // True when the file starts like an Access database (Jet or ACE), whatever its name.
    static bool looksLikeAccessFile(const QString& path);

private:
    AccessDatabase m_database;
};

} // namespace tovin
