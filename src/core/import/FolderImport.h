#pragma once

#include "core/import/ImportProgress.h"
#include "core/import/RowTask.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace tovin {

class CatalogueDatabase;

// Makes or refreshes one product per file of a folder (pictures or text files). The user picks
// one file; every file of its folder with the same extension (the last four characters of its
// name, in any letter case) is taken, in name order.
//
// For each file the stock number is the name without its last four characters and the picture
// path is folder + "/" + name. A new product gets the next key (one past the largest PID), the
// name "New JPG Picture" (and so on, or "New Text File"), retail 0 and the picture path; a found
// product gets the picture path, and the name only when it has none. A non-empty note is added
// to Notes with " - Added This Item" or " - Edited This Item".
class FolderImport : public RowTask {
public:
    FolderImport() : RowTask(QStringLiteral("Folders"), Writes::InBatches) {}

    static QString caption();
    // The filter of the file dialog.
    static QString fileFilter();

    // The file the user chose; false for an empty choice, which ends the task.
    bool chooseFile(const QString& path);
    // The chosen file's folder, without a trailing "/".
    const QString& folder() const { return m_folder; }
    // The names of the files taken, in the order they are read.
    const QStringList& files() const { return m_files; }
    // The name of new products.
    const QString& newItemName() const { return m_newItemName; }

    QString noteTitle() const;
    QString notePrompt() const;
    QString noteDefault(const QDate& today = QDate::currentDate()) const;

    // Adds and edits the rows; the progress callback is told after each file.
    ImportOutcome run(CatalogueDatabase& db, const ProgressCallback& progress = {});

private:
    QString m_folder;
    QStringList m_files;
    QString m_newItemName;
};

} // namespace tovin
