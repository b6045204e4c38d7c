#include "core/backup/CatalogueCheck.h"

#include "core/backup/SqliteFile.h"
#include "core/catalogue/CatalogueDatabase.h"
#include "core/catalogue/CatalogueSchema.h"
#include "core/storage/SqliteHandle.h"

#include <QFileInfo>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueCheck {

namespace {

// The first table or column of the catalogue the file lacks ("" when it has them all).
QString missingPart(SqliteHandle& file, SqliteOutcome& failure) {
    QStringList tables;
    for (const QString& name : file.tableNames(failure))
        tables << name.toLower();
    for (const TableDefinition& table : CatalogueSchema::tables()) {
        if (!failure.ok())
            return QString();
        if (!tables.contains(table.name.toLower()))
            return u"it has no table "_s + table.name;
        QStringList columns;
        for (const QString& name : file.columnNames(table.name, failure))
            columns << name.toLower();
        for (const ColumnDefinition& column : table.columns)
            if (!columns.contains(column.name.toLower()))
                return u"its table "_s + table.name + u" has no column "_s + column.name;
    }
    return QString();
}

// The sentence for a file the database could not read.
QString unreadable(const QString& path, const SqliteOutcome& failure) {
    if (failure.notADatabase())
        return u"The file "_s + path + u" is not a catalogue."_s;
    if (failure.cannotOpen() || failure.refused())
        return u"The file "_s + path + u" cannot be read ("_s + failure.message + u")."_s;
    return u"The file "_s + path + u" is damaged ("_s + failure.message + u")."_s;
}

// The database takes an empty file for an empty database; a catalogue is never empty, but its
// pages may all still be in its log.
bool emptyWithoutLog(const QString& path) {
    return QFileInfo(path).size() == 0 && !SqliteFile::hasLogBeside(path);
}

} // namespace

std::optional<QString> problem(const QString& path, Depth depth) {
    const QFileInfo info(path);
    if (!info.isFile())
        return u"The file "_s + path + u" cannot be read."_s;
    if (emptyWithoutLog(path))
        return u"The file "_s + path + u" is not a catalogue."_s;
    if (depth == Depth::Layout) {
        QString refusal;
        const std::unique_ptr<SqliteHandle> file = openInUse(path, refusal);
        if (!file)
            return refusal;
        return problem(*file, path, depth);
    }
    SqliteHandle file(path, SqliteAccess::Unchanging, 0);
    return problem(file, path, depth);
}

std::optional<QString> problem(SqliteHandle& file, const QString& path, Depth depth) {
    SqliteOutcome failure;
    if (depth != Depth::Layout) {
        const QStringList check = file.checkPages(depth == Depth::Full, failure);
        if (!failure.ok())
            return unreadable(path, failure);
        if (check != QStringList{u"ok"_s})
            return u"The file "_s + path + u" is damaged ("_s + check.value(0) + u")."_s;
    }
    const QString missing = missingPart(file, failure);
    if (!failure.ok())
        return unreadable(path, failure);
    if (!missing.isEmpty())
        return u"The file "_s + path + u" is not a catalogue of this program: "_s + missing + u'.';
    const QStringList version = file.texts(u"SELECT max(Version) FROM SchemaVersion"_s, failure);
    if (!version.isEmpty() && version.first().toInt() > CatalogueSchema::Version)
        return u"The file "_s + path + u" was written by a newer version of this program."_s;
    return std::nullopt;
}

std::unique_ptr<SqliteHandle> openInUse(const QString& path, QString& refusal) {
    if (emptyWithoutLog(path)) {
        refusal = u"The file "_s + path + u" is not a catalogue."_s;
        return nullptr;
    }
    // A live catalogue is briefly locked whole while its writer folds the write-ahead log back
    // into it (at a checkpoint or on closing): that is waited for, not taken for damage.
    auto file = std::make_unique<SqliteHandle>(path, SqliteAccess::ReadOnly,
                                               CatalogueDatabase::DefaultLockWaitMs);
    const SqliteOutcome first = file->firstRead();
    if (first.ok())
        return file;
    // Reading a catalogue in its journal mode needs its shared index file beside it, which
    // read-only storage cannot hold.
    if (first.cannotOpen() && SqliteFile::onReadOnlyStorage(path)) {
        if (SqliteFile::hasLogBeside(path)) {
            refusal = u"The file "_s + path +
                      u" is on read-only storage, and the changes in its write-ahead log "_s +
                      path +
                      u"-wal cannot be read there; copy both files to writable "
                      u"storage first."_s;
            return nullptr;
        }
        file = std::make_unique<SqliteHandle>(path, SqliteAccess::Unchanging, 0);
        const SqliteOutcome unchanging = file->firstRead();
        if (unchanging.ok())
            return file;
        refusal = unreadable(path, unchanging);
        return nullptr;
    }
    refusal = unreadable(path, first);
    return nullptr;
}

qint64 productCount(const QString& path) {
    SqliteHandle file(path, SqliteAccess::Unchanging, 0);
    SqliteOutcome failure;
    const QStringList count = file.texts(u"SELECT count(*) FROM Products"_s, failure);
    return failure.ok() && count.size() == 1 ? count.first().toLongLong() : -1;
}

} // namespace tovin::CatalogueCheck
