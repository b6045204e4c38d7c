#include "core/backup/CatalogueCheck.h"

#include "core/data/CatalogueDatabase.h"
#include "core/data/CatalogueSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::CatalogueCheck {

namespace {

// A read-only, unchanging connection to a file; closed when it goes out of scope.
class ReadOnlyFile {
public:
    ReadOnlyFile(const QString& path, bool unchanging) {
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() +
                               (unchanging ? "?immutable=1" : "");
        if (sqlite3_open_v2(uri.constData(), &m_handle, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK)
            m_error = m_handle ? QString::fromUtf8(sqlite3_errmsg(m_handle)) : u"out of memory"_s;
        else if (!unchanging)
            // A live catalogue is briefly locked whole while its writer folds the write-ahead
            // log back into it (at a checkpoint or on closing): that is waited for, not taken
            // for damage.
            sqlite3_busy_timeout(m_handle, CatalogueDatabase::DefaultLockWaitMs);
    }
    ~ReadOnlyFile() { sqlite3_close(m_handle); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    const QString& error() const { return m_error; }

    // The first column of every row; a failed statement leaves its message in error().
    QStringList texts(const QString& sql) {
        QStringList rows;
        sqlite3_stmt* statement = nullptr;
        int rc = sqlite3_prepare_v2(m_handle, sql.toUtf8().constData(), -1, &statement, nullptr);
        if (rc == SQLITE_OK)
            while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
                rows << QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        if (rc != SQLITE_DONE)
            m_error = QString::fromUtf8(sqlite3_errmsg(m_handle));
        sqlite3_finalize(statement);
        return rows;
    }

private:
    sqlite3* m_handle = nullptr;
    QString m_error;
};

QString literal(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', u"''"_s) + u'\'';
}

// The first table or column of the catalogue the file lacks ("" when it has them all).
QString missingPart(ReadOnlyFile& file) {
    QStringList tables;
    for (const QString& name : file.texts(u"SELECT name FROM sqlite_master WHERE type = 'table'"_s))
        tables << name.toLower();
    for (const TableDefinition& table : CatalogueSchema::tables()) {
        if (!tables.contains(table.name.toLower()))
            return u"it has no table "_s + table.name;
        QStringList columns;
        for (const QString& name :
             file.texts(u"SELECT name FROM pragma_table_info("_s + literal(table.name) + u')'))
            columns << name.toLower();
        for (const ColumnDefinition& column : table.columns)
            if (!columns.contains(column.name.toLower()))
                return u"its table "_s + table.name + u" has no column "_s + column.name;
    }
    return QString();
}

} // namespace

std::optional<QString> problem(const QString& path, Depth depth) {
    QFile raw(path);
    if (!QFileInfo(path).isFile() || !raw.open(QIODevice::ReadOnly))
        return u"The file "_s + path + u" cannot be read."_s;
    if (raw.read(16) != QByteArrayView("SQLite format 3\0", 16))
        return u"The file "_s + path + u" is not a catalogue."_s;
    raw.close();
    ReadOnlyFile file(path, depth != Depth::Layout);
    const QString damaged = u"The file "_s + path + u" is damaged ("_s;
    if (!file.error().isEmpty())
        return damaged + file.error() + u")."_s;
    if (depth != Depth::Layout) {
        const QStringList check = file.texts(depth == Depth::Full ? u"PRAGMA integrity_check"_s
                                                                  : u"PRAGMA quick_check"_s);
        if (!file.error().isEmpty())
            return damaged + file.error() + u")."_s;
        if (check != QStringList{u"ok"_s})
            return damaged + check.value(0) + u")."_s;
    }
    const QString missing = missingPart(file);
    if (!file.error().isEmpty())
        return damaged + file.error() + u")."_s;
    if (!missing.isEmpty())
        return u"The file "_s + path + u" is not a catalogue of this program: "_s + missing + u'.';
    const QStringList version = file.texts(u"SELECT max(Version) FROM SchemaVersion"_s);
    if (!version.isEmpty() && version.first().toInt() > CatalogueSchema::Version)
        return u"The file "_s + path + u" was written by a newer version of this program."_s;
    return std::nullopt;
}

qint64 productCount(const QString& path) {
    ReadOnlyFile file(path, true);
    const QStringList count = file.texts(u"SELECT count(*) FROM Products"_s);
    return file.error().isEmpty() && count.size() == 1 ? count.first().toLongLong() : -1;
}

} // namespace tovin::CatalogueCheck
