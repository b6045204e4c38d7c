#include "core/import/FolderImport.h"

#include "core/catalogue/CatalogueDatabase.h"
#include "core/import/ImportMessages.h"
#include "core/import/ProductImporter.h"
#include "core/journal/JournalRun.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QString FolderImport::caption() {
    return ImportMessages::folderCaption();
}

QString FolderImport::fileFilter() {
    return ImportMessages::pictureFilter();
}

bool FolderImport::chooseFile(const QString& path) {
    if (path.isEmpty())
        return false;
    const QFileInfo chosen(path);
    m_folder = chosen.absolutePath();
    const QString name = chosen.fileName();
    m_newItemName = ImportMessages::newItemName(name);
    m_files = QDir(m_folder).entryList({u"*"_s + name.right(4)}, QDir::Files,
                                       QDir::Name | QDir::IgnoreCase);
    return true;
}

QString FolderImport::noteTitle() const {
    return ImportMessages::noteTitle();
}

QString FolderImport::notePrompt() const {
    return ImportMessages::folderNotePrompt();
}

QString FolderImport::noteDefault(const QDate& today) const {
    return ImportMessages::folderNoteDefault(today, m_folder);
}

ImportOutcome FolderImport::run(CatalogueDatabase& db, const ProgressCallback& progress) {
    const std::unique_ptr<StorageStatement> find =
        db.prepare(u"SELECT rowid FROM Products WHERE StockNo = ? LIMIT 1"_s);
    const std::unique_ptr<StorageStatement> insert =
        db.prepare(u"INSERT INTO Products (PID, StockNo, ProdName, Retail, "
                   u"Picture, Notes) VALUES ("_s +
                   ProductImporter::nextKeyExpression() + u", ?, ?, 0, ?, ?)"_s);
    // The name is set only where there is none; the note is added only when there is one.
    const std::unique_ptr<StorageStatement> update =
        db.prepare(u"UPDATE Products SET ProdName = coalesce(nullif(ProdName, ''), ?1), "
                   u"Picture = ?2, Notes = coalesce(Notes || ?3, Notes, ?3) "
                   u"WHERE rowid = ?4"_s);
    const QString& note = options().note;
    const QString added = ProductImporter::addedNote(note);
    const QVariant addedNote = added.isEmpty() ? QVariant() : QVariant(added);
    const QVariant editedNote =
        note.isEmpty() ? QVariant() : QVariant(note + ImportMessages::editedThisItem() + u"\r\n"_s);

    int addedCount = 0;
    int editedCount = 0;
    ImportProgress report;
    report.maximum = m_files.size();
    Run run(*this, db, progress, JournalRun::Folder, m_folder);
    const int fileCount = int(m_files.size());
    int index = 0;
    for (; index < fileCount; ++index) {
        const QString& name = m_files.at(index);
        if (name.isEmpty())
            continue;
        const QString stockNumber = name.left(name.size() - 4);
        const QVariant picture(m_folder + u"/"_s + name);
        run.step(stockNumber, [&] {
            find->reset();
            find->bind(1, QVariant(stockNumber));
            const bool found = find->next();
            const qint64 rowId = found ? find->integer(0) : 0;
            find->reset();
            if (found) {
                update->bind(1, QVariant(m_newItemName));
                update->bind(2, picture);
                update->bind(3, editedNote);
                update->bind(4, rowId);
                update->next();
                update->reset();
                ++editedCount;
            } else {
                insert->bind(1, QVariant(stockNumber));
                insert->bind(2, QVariant(m_newItemName));
                insert->bind(3, picture);
                insert->bind(4, addedNote);
                insert->next();
                insert->reset();
                ++addedCount;
            }
        });
        report.value = index;
        report.counts.added = addedCount;
        report.counts.edited = editedCount;
        report.status = ImportMessages::folderProgress(index, fileCount, addedCount, editedCount);
        if (!run.tell(report))
            break;
    }
    return run.finish(report.counts, ImportMessages::folderTotals(index, addedCount, editedCount));
}

} // namespace tovin
