#include "core/share/BatchedInsert.h"

#include "core/catalogue/CatalogueDatabase.h"

using namespace Qt::Literals::StringLiterals;

namespace tovin {

BatchedInsert::BatchedInsert(CatalogueDatabase& db, const QString& quotedTable,
                             const QStringList& quotedColumns)
    : m_db(db), m_start(u"INSERT INTO "_s + quotedTable + u" ("_s + quotedColumns.join(u", "_s) +
                        u") VALUES "_s) {
    QStringList marks;
    for (qsizetype i = 0; i < quotedColumns.size(); ++i)
        marks << u"?"_s;
    m_row = u'(' + marks.join(u", "_s) + u')';
    m_pending.reserve(RowsPerStatement);
}

BatchedInsert::~BatchedInsert() = default;

std::unique_ptr<StorageStatement> BatchedInsert::statementFor(qsizetype rows) const {
    return m_db.prepare(m_start + QStringList(rows, m_row).join(u", "_s));
}

void BatchedInsert::add(QVariantList row) {
    m_pending << std::move(row);
    if (m_pending.size() == RowsPerStatement)
        flush();
}

void BatchedInsert::flush() {
    if (m_pending.isEmpty())
        return;
    // The full batch's statement is kept for the next; a last, shorter one is made once.
    std::unique_ptr<StorageStatement> shorter;
    if (m_pending.size() == RowsPerStatement && !m_full)
        m_full = statementFor(RowsPerStatement);
    if (m_pending.size() < RowsPerStatement)
        shorter = statementFor(m_pending.size());
    StorageStatement& statement = shorter ? *shorter : *m_full;
    statement.reset();
    int position = 0;
    for (const QVariantList& row : std::as_const(m_pending))
        for (const QVariant& value : row)
            statement.bind(++position, value);
    m_pending.clear();
    statement.execute();
    statement.reset();
}

} // namespace tovin
