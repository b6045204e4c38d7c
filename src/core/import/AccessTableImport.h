#pragma once

#include "core/access/AccessDatabase.h"
#include "core/import/FieldMapping.h"
#include "core/import/ImportOptions.h"
#include "core/import/ImportProgress.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace tovin {

class CatalogueDatabase;

// The import of a table of any Access database, one method per step:
//
//   open(file) -> a database named TOVIN.MDB (any letter case) takes its product table with
//   the fixed 19-column mapping (useFixedMapping) -> otherwise tableChoices(), chooseTable(i)
//   (system tables refused), mapping() of the column names -> isEmpty() (show emptyDatabase()
//   and end) -> note -> run(progress) -> totals.
//
// The fields of an item are the row's values in column order, a null value as an empty text.
class AccessTableImport {
public:
    enum class TableChoice { Chosen, Refused, Invalid };

    // Opens the database; raises error 53 or 3049 when it cannot be read.
    explicit AccessTableImport(const QString& path);
    // True for a file this import reads rather than the text import: one named *.mdb or
    // *.accdb, in any letter case.
    static bool readsFile(const QString& path);

    const QString& path() const { return m_path; }
    QString bareFileName() const;
    // True for a database file named TOVIN.MDB in any letter case.
    bool isTovinDatabase() const;
    // The product table of such a database: the first table with 19 columns, else "Products".
    QString tovinProductTable() const;
    // Chooses that table and the fixed mapping; Invalid when the database has no such table.
    TableChoice useFixedMapping();

    static QString chooseTableMessage();
    // Table names with "** DON'T USE **" for system tables; list index = table position.
    QStringList tableChoices() const;
    TableChoice chooseTable(int index);
    // The table by its name (any letter case).
    TableChoice chooseTable(const QString& name);
    const QString& table() const { return m_table; }

    static QString chooseFieldsMessage();
    FieldMapping& mapping() { return m_mapping; }
    const FieldMapping& mapping() const { return m_mapping; }

    // The chosen table's rows; an empty table ends the task with emptyDatabase().
    qint64 rowCount() const;
    bool isEmpty() const { return rowCount() == 0; }
    static QString emptyDatabase();

    QString caption() const;
    QString noteDefault(const QDate& today = QDate::currentDate()) const;
    void setNote(const QString& note) { m_options.note = note; }
    void setEditOnly(bool editOnly) { m_options.editOnly = editOnly; }
    void setSupplier(const QString& supplier) { m_options.supplier = supplier; }
    ImportOptions& options() { return m_options; }

    // When the column mapped to the stock number lies past the table's columns: the message that
    // refuses the run, which would import no row.
    std::optional<QString> stockNumberOutOfReach() const;

    // Adds and edits the rows; raises a RunTimeError, with nothing written or recorded, without
    // a chosen table, without a field mapped to the stock number or with it out of reach.
    ImportOutcome run(CatalogueDatabase& db, const ProgressCallback& progress = {});

private:
    QString m_path;
    AccessDatabase m_database;
    QString m_table;
    FieldMapping m_mapping;
    ImportOptions m_options;
};

} // namespace tovin
