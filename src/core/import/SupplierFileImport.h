#pragma once

#include "core/import/FixedMappings.h"
#include "core/import/ImportOptions.h"
#include "core/import/ImportProgress.h"

#include <QDate>
#include <QList>
#include <QString>

namespace tovin {

class CatalogueDatabase;

// The import of one of the supplier's own files (full descriptions, stock, a price list) with
// its fixed divider and mapping, read from the program folder's Supplier/ folder (or from a
// file given instead). The steps, for the caller to drive:
//
//   exists() (else show missingMessage() and end) -> for the stock file the discontinued
//   question (setSkipDiscontinued) -> caption() -> supplier choice (setSupplier) -> note
//   (setNote) -> run(progress) -> totals.
//
// Price lists are read one after another in the order of priceListsInOrder(); the caller asks
// for the supplier and the note once per list, and a missing list ends the whole run.
class SupplierFileImport {
public:
    // The file under `appFolder` (the program folder, ending in "/").
    SupplierFileImport(FixedMappings::SupplierFile file, const QString& appFolder);

    const FixedMappings::SupplierFile& file() const { return m_file; }
    // Reads this file instead of the one in the program folder.
    void setPath(const QString& path) { m_path = path; }
    const QString& path() const { return m_path; }
    QString bareFileName() const;
    bool exists() const;
    QString missingMessage() const;

    // The stock file asks whether discontinued items are wanted (No = pass them over).
    bool asksDiscontinued() const;
    static QString discontinuedQuestion();
    void setSkipDiscontinued(bool skip) { m_options.skipDiscontinued = skip; }

    QString caption() const;
    static QString selectSupplierMessage();
    void setSupplier(const QString& supplier) { m_options.supplier = supplier; }
    QString noteDefault(const QDate& today = QDate::currentDate()) const;
    void setNote(const QString& note) { m_options.note = note; }
    void setEditOnly(bool editOnly) { m_options.editOnly = editOnly; }
    ImportOptions& options() { return m_options; }

    // Adds and edits the rows; raises error 53 when the file cannot be read.
    ImportOutcome run(CatalogueDatabase& db, const ProgressCallback& progress = {});

    // The checked price lists (indexes 0 White ... 4 Retail) in the order they are read.
    static QList<int> priceListsInOrder(const QList<int>& checked);
    // The lists read in one run: a shop owner wants what the whole run did, not only what the
    // last list did. Counts, passed-over and repeated values are added up; the totals line is
    // made again from the sums.
    static ImportOutcome runOutcome(const QList<ImportOutcome>& lists);
    // One list's line under the run's totals: the file's bare name and its own totals.
    static QString listLine(const QString& bareFileName, const ImportOutcome& outcome);

private:
    FixedMappings::SupplierFile m_file;
    QString m_path;
    ImportOptions m_options;
};

} // namespace tovin
