#include "core/convert/AccessTableSource.h"

#include "core/files/OpenCatalogues.h"

#include <QFile>

namespace tovin {

AccessTableSource::AccessTableSource(const QString& path) : m_database(path) {}

QStringList AccessTableSource::tableNames() const {
    QStringList names;
    for (const QString& name : m_database.tableNames())
        if (!AccessDatabase::isSystemTable(name))
            names << name;
    return names;
}

QStringList AccessTableSource::columnNames(const QString& table) const {
    return m_database.columnNames(table);
}

qint64 AccessTableSource::rowCount(const QString& table) const {
    return m_database.rowCount(table);
}

void AccessTableSource::readRows(
    const QString& table, const std::function<bool(const QStringList& values)>& onRow) const {
    m_database.readRows(table, onRow);
}

bool AccessTableSource::looksLikeAccessFile(const QString& path) {
    // A catalogue this program has open is no Access file, and is never read past its
    // connection (that would drop the connection's locks).
    if (OpenCatalogues::holding(path))
        return false;
    // Both engines write their name at byte 4 of the first page.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(32);
    return head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB";
}

} // namespace tovin
