#include "core/convert/CatalogueConversion.h"

#include "core/base/RunTimeError.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/files/OutputFile.h"
#include "core/storage/ColumnValues.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

QString ConversionPlan::refusal() const {
    if (missingTables.isEmpty())
        return {};
    QString names = missingTables.last();
    if (missingTables.size() > 1)
        names = missingTables.mid(0, missingTables.size() - 1).join(u", "_s) + u" and "_s + names;
    return u"This file does not hold a catalogue: it lacks the table%1 %2."_s.arg(
        missingTables.size() > 1 ? u"s"_s : QString(), names);
}

qint64 ConversionResult::totalRows() const {
    qint64 total = 0;
    for (const auto& table : rowsPerTable)
        total += table.second;
    return total;
}

namespace CatalogueConversion {

namespace {

struct Cancelled {};

QString findName(const QStringList& names, const QString& wanted) {
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

// Where each catalogue column of one table comes from in the old table (-1: nowhere).
QList<int> sourcePositions(const TableDefinition& table, const QStringList& oldColumns) {
    QList<int> positions;
    for (const ColumnDefinition& column : table.columns) {
        int found = -1;
        for (int i = 0; i < oldColumns.size(); ++i)
            if (oldColumns.at(i).compare(column.name, Qt::CaseInsensitive) == 0)
                found = i;
        positions << found;
    }
    return positions;
}

QVariant storageValue(const ColumnDefinition& column, const QString& text) {
    if (column.kind == ColumnKind::Date) {
        // The catalogue keeps calendar dates; a time of day after the date is not part of it.
        const QString date = text.trimmed().section(u' ', 0, 0);
        return ColumnValues::toStorage(column.kind, QVariant(date), column.name);
    }
    return ColumnValues::toStorage(column.kind, QVariant(text), column.name);
}

void removeFile(const QString& path) {
    for (const QString& suffix : {u""_s, u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QFile::remove(path + suffix);
}

} // namespace

ConversionPlan plan(const TableSource& source) {
    ConversionPlan result;
    const QStringList oldTables = source.tableNames();
    for (const TableDefinition& table : CatalogueSchema::tables()) {
        const QString oldName = findName(oldTables, table.name);
        if (oldName.isEmpty()) {
            result.missingTables << table.name;
            continue;
        }
        const QStringList oldColumns = source.columnNames(oldName);
        for (const ColumnDefinition& column : table.columns)
            if (findName(oldColumns, column.name).isEmpty())
                result.emptyColumns << table.name + u'.' + column.name;
        for (const QString& oldColumn : oldColumns)
            if (table.columnIndex(oldColumn) < 0)
                result.ignoredColumns << table.name + u'.' + oldColumn;
    }
    return result;
}

ConversionResult convert(const TableSource& source, const QString& targetPath,
                         const Progress& progress) {
    const ConversionPlan checked = plan(source);
    if (!checked.usable())
        throw RunTimeError(ErrorNumber::CannotOpenDatabase, checked.refusal());
    if (QFileInfo::exists(targetPath))
        throw RunTimeError(ErrorNumber::PathFileAccessError,
                           u"%1 already exists; it was left as it was."_s.arg(targetPath));

    const QStringList oldTables = source.tableNames();
    qint64 rowsInAll = 0;
    for (const TableDefinition& table : CatalogueSchema::tables())
        rowsInAll += source.rowCount(findName(oldTables, table.name));

    // The new catalogue is written under a working name and takes its real name only when it is
    // whole, so a cancel, a refusal or a crash never leaves a half catalogue behind.
    const QString workingPath = targetPath + u".converting"_s;
    removeFile(workingPath);
    ConversionResult result;
    try {
        CatalogueDatabase::create(workingPath);
        {
            CatalogueDatabase db(workingPath);
            ScopedTransaction transaction(db);
            qint64 rowsDone = 0;
            for (const TableDefinition& table : CatalogueSchema::tables()) {
                const QString oldName = findName(oldTables, table.name);
                const QList<int> from = sourcePositions(table, source.columnNames(oldName));
                QStringList names;
                QStringList marks;
                for (int i = 0; i < table.columns.size(); ++i) {
                    if (from.at(i) < 0)
                        continue;
                    names << CatalogueDatabase::quoteName(table.columns.at(i).name);
                    marks << u"?"_s;
                }
                const QString insert = u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(
                    CatalogueDatabase::quoteName(table.name), names.join(u','), marks.join(u','));
                qint64 rows = 0;
                source.readRows(oldName, [&](const QStringList& values) {
                    ++rows;
                    QVariantList bound;
                    for (int i = 0; i < table.columns.size(); ++i) {
                        if (from.at(i) < 0)
                            continue;
                        const QString text = values.value(from.at(i));
                        try {
                            bound << storageValue(table.columns.at(i), text);
                        } catch (const RunTimeError& error) {
                            throw RunTimeError(
                                error.number(),
                                u"Row %1 of the table %2: the column %3 cannot take the value "
                                u"'%4'. Nothing was converted."_s.arg(rows)
                                    .arg(table.name, table.columns.at(i).name, text));
                        }
                    }
                    db.run(insert, bound);
                    ++rowsDone;
                    if (progress && (rowsDone % 256 == 0 || rowsDone == rowsInAll) &&
                        !progress(rowsDone, rowsInAll))
                        throw Cancelled{};
                    return true;
                });
                result.rowsPerTable << qMakePair(table.name, rows);
            }
            // An old file's order lines with a Date Received went into stock there.
            db.run(CatalogueSchema::markDatedLinesReceived(db.dialect()));
            transaction.commit();
            db.checkpoint();
        }
        if (!QFile::rename(workingPath, targetPath))
            throw RunTimeError(ErrorNumber::PathFileAccessError,
                               u"The new catalogue could not be named %1."_s.arg(targetPath));
        removeFile(workingPath);
    } catch (const Cancelled&) {
        removeFile(workingPath);
        result.cancelled = true;
        result.rowsPerTable.clear();
    } catch (...) {
        removeFile(workingPath);
        throw;
    }
    return result;
}

ConversionResult convertReplacing(const TableSource& source, const QString& targetPath,
                                  const QString& keep, const Progress& progress) {
    // Refused before any work: a folder, a device, or the catalogue that must stay.
    const OutputRules rules{keep, true, true};
    OutputFile::check(targetPath, rules);
    if (!QFileInfo::exists(targetPath))
        return convert(source, targetPath, progress);
    const QString fresh = targetPath + u".new"_s;
    removeFile(fresh);
    ConversionResult result = convert(source, fresh, progress);
    if (result.cancelled)
        return result;
    // Journals of the catalogue being replaced would be read into the new one.
    removeFile(targetPath + u"-wal"_s);
    removeFile(targetPath + u"-shm"_s);
    OutputFile::moveIntoPlace(fresh, targetPath, rules);
    return result;
}

QString convertedPath(const QString& oldPath) {
    const QFileInfo old(oldPath);
    const QString base = old.absolutePath() + u'/' + old.completeBaseName();
    if (old.suffix().compare(u"mde"_s, Qt::CaseInsensitive) == 0)
        return base + u"-converted.mde"_s;
    return base + u".mde"_s;
}

} // namespace CatalogueConversion

} // namespace tovin
