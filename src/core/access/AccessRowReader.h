#pragma once

#include "core/access/AccessHandles.h"

#include <QStringList>
#include <vector>

namespace tovin {

// Walks the rows of one table of an open Access database in storage order and gives each row's
// values as texts (see AccessDatabase for how each kind of value is written). The table's
// columns must have been read; the reader binds them for as long as it lives.
class AccessRowReader {
public:
    explicit AccessRowReader(MdbTableDef* table);
    ~AccessRowReader();
    AccessRowReader(const AccessRowReader&) = delete;
    AccessRowReader& operator=(const AccessRowReader&) = delete;

    // Moves to the next row and puts its values into `values`; false after the last row.
    bool next(QStringList& values);

private:
    MdbColumn* column(int index) const;
    QString valueText(int index) const;
    QString fixedValueText(const MdbColumn* col) const;
    QString memoText(MdbColumn* col) const;

    MdbTableDef* m_table;
    MdbHandle* m_mdb;
    // One buffer per column that libmdb turns into text itself (text, yes/no, replication id);
    // empty for the others, which are read from the row's bytes.
    std::vector<std::vector<char>> m_bound;
    std::vector<int> m_boundLength;
    // Receives the pieces of a long text as libmdb follows them from page to page.
    mutable std::vector<char> m_chunk;
};

} // namespace tovin
