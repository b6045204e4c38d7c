#include "core/journal/JournalValues.h"

#include "core/data/CatalogueFailure.h"
#include "core/data/ColumnValues.h"

#include <cstring>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace tovin::JournalValues {

namespace {

enum Tag : char { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };

void appendRaw(QByteArray& out, const void* data, qsizetype size) {
    out.append(static_cast<const char*>(data), size);
}

// Whole numbers and lengths take seven bits a byte, the high bit saying another byte follows:
// most of what an import writes (0, small amounts, short texts) then takes one or two bytes,
// which keeps the journal of a large run small.
void appendVarint(QByteArray& out, quint64 v) {
    while (v >= 0x80) {
        out.append(char(v | 0x80));
        v >>= 7;
    }
    out.append(char(v));
}

// Negative numbers interleaved with positive ones, so that -1 is as short as 1.
void appendInteger(QByteArray& out, qint64 i) {
    out.append(char(Integer));
    appendVarint(out, (quint64(i) << 1) ^ quint64(i >> 63));
}

void appendBytes(QByteArray& out, Tag tag, const char* data, quint32 size) {
    out.append(char(tag));
    appendVarint(out, size);
    out.append(data, size);
}

void appendValue(QByteArray& out, const QVariant& value) {
    if (!value.isValid() || value.isNull()) {
        out.append(char(Null));
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        out.append(char(Real));
        appendRaw(out, &d, sizeof d);
        return;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        appendInteger(out, value.toLongLong());
        return;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        appendBytes(out, Blob, bytes.constData(), quint32(bytes.size()));
        return;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        appendBytes(out, Text, text.constData(), quint32(text.size()));
    }
    }
}

// Reads one value at `at`; raises for a packed text that ends early.
class Reader {
public:
    explicit Reader(const QByteArray& packed) : m_data(packed) {}
    bool atEnd() const { return m_at >= m_data.size(); }

    template <typename T> T fixed() {
        T v;
        need(sizeof v);
        std::memcpy(&v, m_data.constData() + m_at, sizeof v);
        m_at += sizeof v;
        return v;
    }

    quint64 varint() {
        quint64 v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const auto byte = quint8(fixed<char>());
            v |= quint64(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return v;
        }
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
    }

    QVariant value() {
        const char tag = fixed<char>();
        switch (tag) {
        case Null:
            return QVariant();
        case Integer: {
            const quint64 z = varint();
            return QVariant(qlonglong((z >> 1) ^ (~(z & 1) + 1)));
        }
        case Real:
            return QVariant(fixed<double>());
        case Text:
        case Blob: {
            const quint64 size = varint();
            if (size > quint64(m_data.size()))
                throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
            need(qsizetype(size));
            const QByteArray bytes = m_data.mid(m_at, qsizetype(size));
            m_at += qsizetype(size);
            return tag == Text ? QVariant(QString::fromUtf8(bytes)) : QVariant(bytes);
        }
        }
        throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
    }

private:
    void need(qsizetype bytes) const {
        if (m_at + bytes > m_data.size())
            throw RunTimeError(ErrorNumber::DatabaseRefused, u"A journal entry is damaged"_s);
    }
    const QByteArray& m_data;
    qsizetype m_at = 0;
};

// The trigger side works on the database's own values, so nothing is converted on the way.
void appendSqlValue(QByteArray& out, sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        appendInteger(out, sqlite3_value_int64(value));
        return;
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(value);
        out.append(char(Real));
        appendRaw(out, &d, sizeof d);
        return;
    }
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        appendBytes(out, Text, text, quint32(sqlite3_value_bytes(value)));
        return;
    }
    case SQLITE_BLOB: {
        const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
        appendBytes(out, Blob, bytes, quint32(sqlite3_value_bytes(value)));
        return;
    }
    default:
        out.append(char(Null));
    }
}

bool sameSqlValue(sqlite3_value* a, sqlite3_value* b) {
    const int type = sqlite3_value_type(a);
    if (type != sqlite3_value_type(b))
        return false;
    switch (type) {
    case SQLITE_NULL:
        return true;
    case SQLITE_INTEGER:
        return sqlite3_value_int64(a) == sqlite3_value_int64(b);
    case SQLITE_FLOAT: {
        const double x = sqlite3_value_double(a);
        const double y = sqlite3_value_double(b);
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    default: {
        const void* x = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(a))
                                            : sqlite3_value_blob(a);
        const int xs = sqlite3_value_bytes(a);
        const void* y = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_value_text(b))
                                            : sqlite3_value_blob(b);
        const int ys = sqlite3_value_bytes(b);
        return xs == ys && (xs == 0 || std::memcmp(x, y, size_t(xs)) == 0);
    }
    }
}

void runFunction(sqlite3_context* context, int, sqlite3_value**) {
    const auto* current = static_cast<const CurrentRun*>(sqlite3_user_data(context));
    if (current->run > 0)
        sqlite3_result_int64(context, current->run);
    else
        sqlite3_result_null(context);
}

void rowFunction(sqlite3_context* context, int, sqlite3_value**) {
    auto* current = static_cast<CurrentRun*>(sqlite3_user_data(context));
    sqlite3_result_int64(context, firstRowOf(current->run) + ++current->rows);
}

void packFunction(sqlite3_context* context, int count, sqlite3_value** values) {
    // One buffer per thread, reused: the import's hot loop packs a row per product.
    thread_local QByteArray out;
    out.clear();
    const int mode = sqlite3_value_int(values[0]);
    if (mode == 0) {
        for (int i = 1; i < count; ++i)
            appendSqlValue(out, values[i]);
    } else {
        for (int i = 1, column = 0; i + 1 < count; i += 2, ++column) {
            if (sameSqlValue(values[i], values[i + 1]))
                continue;
            appendVarint(out, quint64(column));
            appendSqlValue(out, values[mode == 1 ? i : i + 1]);
        }
        if (out.isEmpty()) {
            sqlite3_result_null(context);
            return;
        }
    }
    sqlite3_result_blob(context, out.constData(), int(out.size()), SQLITE_TRANSIENT);
}

} // namespace

QByteArray packRow(const Row& values) {
    QByteArray out;
    for (const QVariant& value : values)
        appendValue(out, value);
    return out;
}

Row unpackRow(const QByteArray& packed) {
    Row row;
    for (Reader reader(packed); !reader.atEnd();)
        row << reader.value();
    return row;
}

Columns unpackColumns(const QByteArray& packed) {
    Columns columns;
    for (Reader reader(packed); !reader.atEnd();) {
        const int position = int(reader.varint());
        columns.append({position, reader.value()});
    }
    return columns;
}

bool same(const QVariant& a, const QVariant& b) {
    return packRow({a}) == packRow({b});
}

QString display(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return u"(none)"_s;
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', 17);
    if (value.typeId() == QMetaType::QByteArray)
        return u"(%1 bytes)"_s.arg(value.toByteArray().size());
    if (value.typeId() == QMetaType::QString)
        return u'"' + value.toString() + u'"';
    return value.toString();
}

QString display(const QVariant& value, ColumnKind kind) {
    if (kind == ColumnKind::Money && value.typeId() == QMetaType::LongLong)
        return ColumnValues::fromStorage(ColumnKind::Money, value).toString();
    return display(value);
}

void registerFunctions(sqlite3* handle, CurrentRun* current) {
    const int flags = SQLITE_UTF8;
    if (sqlite3_create_function(handle, "journal_run", 0, flags, current, &runFunction, nullptr,
                                nullptr) != SQLITE_OK ||
        sqlite3_create_function(handle, "journal_row", 0, flags, current, &rowFunction, nullptr,
                                nullptr) != SQLITE_OK ||
        sqlite3_create_function(handle, "journal_pack", -1, flags | SQLITE_DETERMINISTIC, nullptr,
                                &packFunction, nullptr, nullptr) != SQLITE_OK)
        DatabaseErrors::raise(sqlite3_errcode(handle), u"Preparing the journal"_s,
                              QString::fromUtf8(sqlite3_errmsg(handle)));
}

} // namespace tovin::JournalValues
