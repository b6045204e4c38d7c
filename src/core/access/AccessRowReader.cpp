#include "core/access/AccessRowReader.h"

#include "core/access/AccessValueText.h"

#include <QByteArray>
#include <array>
#include <cstdint>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace tovin {

namespace {

// Column kinds whose text libmdb writes well itself; the reader binds a buffer for them.
bool convertedByLibrary(int columnType) {
    return columnType == MDB_TEXT || columnType == MDB_BOOL || columnType == MDB_REPID;
}

std::uint32_t uint32At(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

std::uint64_t uint64At(const unsigned char* bytes) {
    return std::uint64_t(uint32At(bytes)) | std::uint64_t(uint32At(bytes + 4)) << 32;
}

// The bytes a fixed-size value of the kind takes in a row; 0 for kinds not read that way.
int fixedSize(int columnType) {
    switch (columnType) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
        return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
        return 8;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

} // namespace

AccessRowReader::AccessRowReader(MdbTableDef* table)
    : m_table(table), m_mdb(table->entry->mdb), m_bound(table->num_cols),
      m_boundLength(table->num_cols, 0), m_chunk(MDB_PGSIZE) {
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        MdbColumn* col = column(int(i));
        col->bind_ptr = nullptr;
        col->len_ptr = nullptr;
        if (convertedByLibrary(col->col_type)) {
            m_bound[i].assign(m_mdb->bind_size, '\0');
            mdb_bind_column(table, int(i) + 1, m_bound[i].data(), &m_boundLength[i]);
        }
    }
    mdb_rewind_table(table);
}

AccessRowReader::~AccessRowReader() {
    // The buffers die with the reader; libmdb must not write into them afterwards.
    for (unsigned int i = 0; i < m_table->num_cols; ++i) {
        column(int(i))->bind_ptr = nullptr;
        column(int(i))->len_ptr = nullptr;
    }
}

bool AccessRowReader::next(QStringList& values) {
    if (!mdb_fetch_row(m_table))
        return false;
    values.clear();
    values.reserve(m_table->num_cols);
    for (unsigned int i = 0; i < m_table->num_cols; ++i)
        values.append(valueText(int(i)));
    return true;
}

MdbColumn* AccessRowReader::column(int index) const {
    return static_cast<MdbColumn*>(g_ptr_array_index(m_table->columns, index));
}

QString AccessRowReader::valueText(int index) const {
    MdbColumn* col = column(index);
    switch (col->col_type) {
    case MDB_BOOL:
        return std::strcmp(m_bound[index].data(), m_mdb->boolean_true_value) == 0 ? u"True"_s
                                                                                  : u"False"_s;
    case MDB_TEXT:
    case MDB_REPID:
        return QString::fromUtf8(m_bound[index].data(), m_boundLength[index]);
    case MDB_MEMO:
        return memoText(col);
    default:
        // Pictures, other binary data and attachment references stay empty; so do kinds the
        // reader does not know.
        return fixedSize(col->col_type) > 0 ? fixedValueText(col) : QString();
    }
}

QString AccessRowReader::fixedValueText(const MdbColumn* col) const {
    // libmdb leaves the value's length at 0 for a null value.
    const int size = fixedSize(col->col_type);
    if (col->cur_value_len < size || col->cur_value_start < 0 ||
        col->cur_value_start + size > m_mdb->fmt->pg_size)
        return QString();
    const unsigned char* bytes = m_mdb->pg_buf + col->cur_value_start;
    switch (col->col_type) {
    case MDB_BYTE:
        return QString::number(bytes[0]);
    case MDB_INT:
        return QString::number(std::int16_t(bytes[0] | bytes[1] << 8));
    case MDB_LONGINT:
        return QString::number(std::int32_t(uint32At(bytes)));
    case MDB_MONEY:
        return AccessValueText::moneyText(std::int64_t(uint64At(bytes)));
    case MDB_FLOAT: {
        const std::uint32_t raw = uint32At(bytes);
        float value;
        std::memcpy(&value, &raw, sizeof value);
        return AccessValueText::singleText(value);
    }
    case MDB_DOUBLE:
    case MDB_DATETIME: {
        const std::uint64_t raw = uint64At(bytes);
        double value;
        std::memcpy(&value, &raw, sizeof value);
        return col->col_type == MDB_DOUBLE ? AccessValueText::doubleText(value)
                                           : AccessValueText::dateText(value);
    }
    case MDB_NUMERIC: {
        // A sign byte, then four 32-bit words from the most significant one, each stored with
        // its low byte first.
        const std::array<std::uint32_t, 4> magnitude = {uint32At(bytes + 1), uint32At(bytes + 5),
                                                        uint32At(bytes + 9), uint32At(bytes + 13)};
        return AccessValueText::decimalText((bytes[0] & 0x80) != 0, magnitude, col->col_scale);
    }
    default:
        return QString();
    }
}

QString AccessRowReader::memoText(MdbColumn* col) const {
    // A long text starts with a 12-byte header in the row: its length with flags in the top
    // bits, and where it is stored (in the row itself, on one other page or on a chain of
    // pages). libmdb's text conversion stops at its bind size, so the pieces are gathered here
    // in full and converted at once.
    if (col->cur_value_len < MDB_MEMO_OVERHEAD || col->cur_value_start < 0 ||
        col->cur_value_start + MDB_MEMO_OVERHEAD > m_mdb->fmt->pg_size)
        return QString();
    unsigned char header[MDB_MEMO_OVERHEAD];
    std::memcpy(header, m_mdb->pg_buf + col->cur_value_start, MDB_MEMO_OVERHEAD);
    const qsizetype declaredLength = qsizetype(uint32At(header) & 0x3fffffff);

    QByteArray stored;
    col->bind_ptr = m_chunk.data();
    std::size_t piece = mdb_ole_read(m_mdb, col, header, m_chunk.size());
    stored.append(m_chunk.data(), qsizetype(piece));
    while (stored.size() < declaredLength && (piece = mdb_ole_read_next(m_mdb, col, header)) > 0)
        stored.append(m_chunk.data(), qsizetype(piece));
    col->bind_ptr = nullptr;
    if (stored.size() > declaredLength)
        stored.truncate(declaredLength);
    if (stored.isEmpty())
        return QString();

    // UTF-8 takes at most three bytes for each stored byte, whatever the storage encoding.
    QByteArray text(stored.size() * 3 + 4, '\0');
    const int length = mdb_unicode2ascii(m_mdb, stored.constData(), std::size_t(stored.size()),
                                         text.data(), std::size_t(text.size()));
    return QString::fromUtf8(text.constData(), length);
}

} // namespace tovin
