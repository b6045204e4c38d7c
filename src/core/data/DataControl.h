#pragma once

#include "core/data/RecordSet.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace tovin {

class CatalogueDatabase;

// The data control the import, bulk edit and page designer work through: a database name, a
// record source (a table name or a SELECT text), and on its record set find-first with a
// no-match result, add, edit, update and delete, plus the list of the database's tables.
//
// Find-first on an equality with a quoted value ("[StockNo] = 'A1'") is answered through the
// column's index, so a lookup per imported line costs the same in a catalogue of any size.
class DataControl {
public:
    DataControl();
    ~DataControl();

    void setDatabaseName(const QString& path);
    const QString& databaseName() const { return m_path; }
    void setRecordSource(const QString& source);
    const QString& recordSource() const { return m_source; }
    // Opens (or re-reads) the record set over the record source; first row.
    void refresh();

    RecordSet& recordset();
    CatalogueDatabase& database();
    QStringList tableNames();

    // Moves to the first row matching the criterion; when none matches, noMatch() is true
    // and the current row stays where it was.
    void findFirst(const QString& criterion);
    bool noMatch() const { return m_noMatch; }

    // Starts a new row; update() writes it and returns to the row current before.
    void addNew();
    // Starts changing the current row; update() writes it.
    void edit();
    void update();
    void cancelUpdate();
    // Deletes the current row.
    void remove();

private:
    bool findIndexed(const QString& criterion);

    QString m_path;
    QString m_source;
    std::unique_ptr<CatalogueDatabase> m_db;
    RecordSet m_rs;
    bool m_noMatch = false;
    bool m_editing = false;
    RecordSet::Bookmark m_beforeAdd = 0;
    bool m_hadRowBeforeAdd = false;
};

} // namespace tovin
