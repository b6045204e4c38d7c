#include "core/data/DataControl.h"

#include "core/data/CatalogueDatabase.h"
#include "core/shell/RunTimeError.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

DataControl::DataControl() = default;
DataControl::~DataControl() {
    m_rs.close();
}

void DataControl::setDatabaseName(const QString& path) {
    if (path == m_path && m_db)
        return;
    m_rs.close();
    m_db.reset();
    m_path = path;
}

void DataControl::setRecordSource(const QString& source) {
    m_source = source;
}

CatalogueDatabase& DataControl::database() {
    if (!m_db)
        m_db = std::make_unique<CatalogueDatabase>(m_path);
    return *m_db;
}

void DataControl::refresh() {
    m_editing = false;
    m_rs.open(m_source, database());
}

RecordSet& DataControl::recordset() {
    if (!m_rs.isOpen())
        refresh();
    return m_rs;
}

QStringList DataControl::tableNames() {
    return database().tableNames();
}

bool DataControl::findIndexed(const QString& criterion) {
    // [Column] = 'value' or Column = 'value' on a plain column of the table.
    static const QRegularExpression equality(
        u"^\\s*(?:\\[([^\\]]+)\\]|([A-Za-z_][A-Za-z0-9_]*))\\s*=\\s*'((?:[^']|'')*)'\\s*$"_s);
    const QRegularExpressionMatch m = equality.match(criterion);
    if (!m.hasMatch())
        return false;
    const QString column = m.captured(1).isEmpty() ? m.captured(2) : m.captured(1);
    const int field = m_rs.fieldIndex(column);
    if (field < 0 || !isTextKind(m_rs.fieldKind(field)))
        return false;
    const QString value = m.captured(3).replace(u"''"_s, u"'"_s);
    if (value.isEmpty())
        return false;
    // Every matching row; the first of them in the set's order is the one found.
    StorageStatement& q = database().run(
        u"SELECT rowid FROM "_s + CatalogueDatabase::quoteName(m_rs.tableName()) + u" WHERE "_s +
            CatalogueDatabase::quoteName(m_rs.fieldName(field)) + u" = ?"_s,
        {value});
    QList<qint64> rows;
    while (q.next())
        rows << q.value(0).toLongLong();
    q.finish();
    int best = -1;
    for (qint64 row : rows) {
        const int p = m_rs.positionOfBookmark(row);
        if (p >= 0 && (best < 0 || p < best))
            best = p;
    }
    m_noMatch = best < 0;
    if (!m_noMatch)
        m_rs.setAbsolutePosition(best + 1);
    return true;
}

void DataControl::findFirst(const QString& criterion) {
    RecordSet& rs = recordset();
    if (findIndexed(criterion))
        return;
    const bool hadRow = rs.hasCurrentRow() && !rs.isAdding();
    const RecordSet::Bookmark before = hadRow ? rs.bookmark() : 0;
    rs.find(criterion, 0, RecordSet::SearchDirection::Forward, RecordSet::FindStart::FirstRow);
    m_noMatch = !rs.hasCurrentRow();
    if (m_noMatch && hadRow)
        rs.setBookmark(before);
}

void DataControl::addNew() {
    RecordSet& rs = recordset();
    m_hadRowBeforeAdd = rs.hasCurrentRow() && !rs.isAdding();
    m_beforeAdd = m_hadRowBeforeAdd ? rs.bookmark() : 0;
    rs.addNew();
    m_editing = true;
}

void DataControl::edit() {
    RecordSet& rs = recordset();
    if (!rs.hasCurrentRow())
        throw RunTimeError(ErrorNumber::NoCurrentRecord, u"No current record."_s);
    m_editing = true;
}

void DataControl::update() {
    RecordSet& rs = recordset();
    if (!m_editing)
        throw RunTimeError(ErrorNumber::OperationNotAllowed, u"Update without AddNew or Edit."_s);
    const bool adding = rs.isAdding();
    rs.update();
    m_editing = false;
    if (adding && m_hadRowBeforeAdd)
        rs.setBookmark(m_beforeAdd);
}

void DataControl::cancelUpdate() {
    recordset().cancelUpdate();
    m_editing = false;
}

void DataControl::remove() {
    recordset().deleteCurrent();
    m_editing = false;
}

} // namespace tovin
